#pragma once

#include <string>
#include <vector>

// Exit statuses of every subcommand.
inline constexpr int Exit_Ok = 0;
inline constexpr int Exit_Failed = 1; // a file missing or unreadable, an output not written
inline constexpr int Exit_Usage = 2;  // bad arguments, or an input refused before any work

using Cli_Arguments = std::vector<std::string>;

struct Cli_Command {
    std::string Name;
    std::string Usage; // the synopsis line, without the program name
    int (*Run)(const Cli_Arguments& args);
};

// The subcommands in the order the usage lists them.
const std::vector<Cli_Command>& Cli_Commands();

std::string Usage_Text();

// Takes the value that follows the option at args[i], advancing i. False, with the reason in
// `error`, when there is none or it is empty: an empty value never stands for a default.
bool Take_Value(const Cli_Arguments& args, std::size_t& i, std::string& value, std::string& error);

// Prints the reason and the usage on stderr; returns Exit_Usage.
int Usage_Error(const std::string& reason);
