#include "Cli_Commands.h"

#include <QCoreApplication>

#include <algorithm>
#include <exception>
#include <iostream>

namespace {

int Run(const Cli_Arguments& args) {
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        std::cout << Usage_Text();
        return Exit_Ok;
    }
    if (args.empty()) {
        return Usage_Error("no command given");
    }
    for (const Cli_Command& command : Cli_Commands()) {
        if (command.Name == args.front()) {
            return command.Run(Cli_Arguments(args.begin() + 1, args.end()));
        }
    }
    return Usage_Error("unknown command '" + args.front() + "'");
}

} // namespace

int main(int argc, char* argv[]) {
    try {
        // The application object gives the program's folder, where the default bitmaps lie.
        QCoreApplication app(argc, argv);
        return Run(Cli_Arguments(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << "vantrel-cli: unexpected error: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "vantrel-cli: unexpected error\n";
    }
    return Exit_Failed;
}
