#pragma once

#include "Exit_Status.h"
#include "Qt_Command_Line.h"

#include <QCommandLineParser>

#include <optional>
#include <string>
#include <vector>

using Cli_Arguments = std::vector<std::string>;

struct Cli_Command {
    std::string Name;
    std::string Usage; // the synopsis line, without the program name
    int (*Run)(const Cli_Arguments& args);
};

// The subcommands in the order the usage lists them.
const std::vector<Cli_Command>& Cli_Commands();

std::string Usage_Text();

// Runs the command that `args` names (or --help, --version); returns its exit status.
int Run_Command_Line(const Cli_Arguments& args);

// Parses a command's arguments against the options declared on `parser`, plus -h and --help.
// Returns the exit status when the run ends here: Exit_Ok once the command's help is printed
// (asked for, it is printed whatever else is wrong), Exit_Usage for an unknown option, a value
// missing or empty (an empty value never stands for a default), or more than `positional` other
// arguments. Empty when the command goes on.
std::optional<int> Parse_Arguments(QCommandLineParser& parser, const Cli_Arguments& args,
                                   qsizetype positional = 0);

std::string Value(const QCommandLineParser& parser, const QString& name);

// Prints the reason, and where the usage of the command being run is, on stderr; returns
// Exit_Usage.
int Usage_Error(const std::string& reason);
