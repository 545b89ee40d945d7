#include "Cli_Commands.h"
#include "Qt_Offscreen_Application.h"

#include <QCoreApplication>

#include <exception>
#include <iostream>

int main(int argc, char* argv[]) {
    try {
        // The application object gives the program's folder, from which the default bitmaps are
        // found, and the fonts that `convert` needs for SVG text; it takes none of the command's
        // arguments.
        Qt_Offscreen_Application app(argv[0]);
        QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
        return Run_Command_Line(Cli_Arguments(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << "vantrel-cli: unexpected error: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "vantrel-cli: unexpected error\n";
    }
    return Exit_Failed;
}
