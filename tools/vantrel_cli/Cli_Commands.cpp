#include "Cli_Commands.h"

#include "Cli_Compile.h"
#include "Cli_Config.h"
#include "Cli_Convert.h"
#include "Cli_Ports.h"
#include "Cli_Preview.h"
#include "Cli_Program.h"

#include <QCoreApplication>

#include <iostream>
#include <limits>

namespace {

// The command main dispatched to; none while the command line itself is read.
const Cli_Command* Current_Command = nullptr;

std::string Help_Text(const QCommandLineParser& parser) {
    if (!Current_Command) {
        return Usage_Text();
    }
    // The first line names the program alone; the synopsis names the command as well.
    const QString options = parser.helpText();
    return "usage: vantrel-cli " + Current_Command->Name + " " + Current_Command->Usage + "\n" +
           options.mid(options.indexOf(u'\n') + 1).toStdString();
}

} // namespace

const std::vector<Cli_Command>& Cli_Commands() {
    static const std::vector<Cli_Command> commands{
        {"compile", Compile_Usage, Run_Compile}, {"preview", Preview_Usage, Run_Preview},
        {"program", Program_Usage, Run_Program}, {"ports", Ports_Usage, Run_Ports},
        {"config", Config_Usage, Run_Config},    {"convert", Convert_Usage, Run_Convert},
    };
    return commands;
}

std::string Usage_Text() {
    std::string text = "usage:\n";
    for (const Cli_Command& command : Cli_Commands()) {
        text += "  vantrel-cli " + command.Name + (command.Usage.empty() ? "" : " ") +
                command.Usage + "\n";
    }
    text +=
        "  vantrel-cli COMMAND --help\n"
        "  vantrel-cli --help | --version\n"
        "\n"
        "MODEL: 64128A, 64128E, 64240B, 128240A, or RGS24128064 with --oled.\n"
        "N: the slot \"Immagine numero N\", 1 to 4.\n"
        "LIST: comma-separated column values, decimal or 0x hex; bit n = row n.\n"
        "  --font5x8 takes 5 values 0..255, --font10x16 10 values 0..65535 (not with --oled).\n"
        "Slots not given hold the model's default bitmap, found beside the program or in\n"
        "  ../share/vantrel from it.\n"
        "--config FILE takes the slots and glyphs of a configuration (.vantrel, or .quorrin\n"
        "  for the OLED layout, which implies --oled); --slot, --font5x8 and --font10x16\n"
        "  given with it override its entries. config --save writes one from the options.\n"
        "preview writes one PNG per slot (MODEL_N.png) and, for the graphic layout,\n"
        "font5x8.png and font10x16.png; lit pixels are drawn black on white.\n"
        "PORT: a port number as 'vantrel-cli ports' lists them (3, COM3, COM 3), looked up\n"
        "  once at the start; a device path (/dev/ttyUSB0, /dev/serial/by-id/...), a device\n"
        "  name (ttyUSB0) or serial=XXXX (the adapter's USB serial number). A port that is\n"
        "  gone or ambiguous exits with 3.\n"
        "--image sends a ready 65,536-byte image. ports --json prints the list as JSON.\n"
        "program shows its progress on stderr, the traffic with --verbose; Ctrl-C stops it.\n"
        "  Several --port (or --all: every USB adapter and simulated unit listed) program all\n"
        "  at once; --json prints a record per unit and a summary on stdout, --log FILE\n"
        "  appends the records as CSV, --repeat programs the same ports again after Enter\n"
        "  (q quits). --watch programs every unit as it appears (on the --port devices, or\n"
        "  every USB adapter and simulated unit) until Ctrl-C; it takes no port number.\n"
        "  Exit status: 0 when every unit was written, else the highest failure.\n"
        "convert: MODEL as above, any of the five; --scale fit (default) keeps the aspect,\n"
        "  --threshold N (1..255, default 128) lights luma < N (>= N with --invert); an IN\n"
        "  that cannot be read or is too large exits 2, as does a refused OUT; an OUT not\n"
        "  written exits 1.\n"
        "Every output goes to a temporary file in its folder, renamed over the old one once\n"
        "  complete, with the old permission bits; a link is followed and its target replaced.\n"
        "  A folder, a pipe, a device, a dangling link, a link loop or a path too long is\n"
        "  refused as an output (exit 2). A failure leaves the old file and says why.\n"
        "Every option value must be given and not empty; --opt=value is --opt value.\n"
        "Exit status: 0 done, 1 a bitmap or default missing or unreadable when compiling, or\n"
        "  an output not written (nothing sent), 2 usage error or refused input (a --slot\n"
        "  file; an image file missing, not a regular file or not of 65,536 bytes; a refused\n"
        "  output, or for preview DIR not a folder; a configuration missing, unreadable,\n"
        "  malformed or refused), 3 unit not\n"
        "  found or port not opened, 4 write failed (the reset was still sent unless the port\n"
        "  went away), 5 stopped, 6 written but the reset not acknowledged.\n";
    return text;
}

int Run_Command_Line(const Cli_Arguments& args) {
    QCommandLineParser parser;
    // The command's own options follow its name.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("print the version and exit"));
    parser.addOption(version);
    if (const auto status = Parse_Arguments(parser, args, std::numeric_limits<qsizetype>::max())) {
        return *status;
    }
    if (parser.isSet(version)) {
        std::cout << "vantrel-cli " << QCoreApplication::applicationVersion().toStdString() << "\n";
        return Exit_Ok;
    }
    const QStringList words = parser.positionalArguments();
    if (words.isEmpty()) {
        return Usage_Error("no command given");
    }
    for (const Cli_Command& command : Cli_Commands()) {
        if (command.Name == Argument_Bytes(words.front())) {
            Current_Command = &command;
            Cli_Arguments rest;
            for (qsizetype i = 1; i < words.size(); ++i) {
                rest.push_back(Argument_Bytes(words[i]));
            }
            return command.Run(rest);
        }
    }
    return Usage_Error("unknown command '" + Argument_Bytes(words.front()) + "'");
}

std::optional<int> Parse_Arguments(QCommandLineParser& parser, const Cli_Arguments& args,
                                   qsizetype positional) {
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("print this help and exit"));
    parser.addOption(help);
    const std::string error = Parse_Command_Line(parser, args);
    // The help is asked for to learn the right arguments: wrong ones beside it do not hide it.
    if (parser.isSet(help)) {
        std::cout << Help_Text(parser);
        return Exit_Ok;
    }
    if (!error.empty()) {
        return Usage_Error(error);
    }
    const QStringList words = parser.positionalArguments();
    if (words.size() > positional) {
        return Usage_Error("unexpected argument '" + Argument_Bytes(words[positional]) + "'");
    }
    return std::nullopt;
}

std::string Value(const QCommandLineParser& parser, const QString& name) {
    return Argument_Bytes(parser.value(name));
}

int Usage_Error(const std::string& reason) {
    std::cerr << "vantrel-cli: " << reason << "; see 'vantrel-cli "
              << (Current_Command ? Current_Command->Name + " " : "") << "--help'\n";
    return Exit_Usage;
}
