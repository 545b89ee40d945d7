#include "Cli_Config.h"

#include "Cli_Options.h"
#include "Cli_Output.h"
#include "Configuration.h"
#include "Qt_Console_Window_System.h"

#include <iostream>

int Run_Config(const Cli_Arguments& args) {
    Compile_Options options;
    std::string save;
    if (const auto status = Parse_Compile_Into(
            args,
            {QStringLiteral("save"), QStringLiteral("the configuration file to write"),
             QStringLiteral("FILE")},
            "no configuration file: --save FILE is required", options, save);
        status) {
        return *status;
    }
    if (std::string error; !Output_File_Allowed(save, error)) {
        std::cerr << "vantrel-cli: " << error << "\n";
        return Exit_Usage;
    }

    // The slots go through the checks of a compile, so a configuration written here opens in
    // the window without a refused slot.
    Qt_Console_Window_System ws(std::cerr);
    No_Picture_Boxes boxes;
    Program_Data data(Program_For(options));
    if (const int status = Fill_Program_Data(options, data, ws, boxes); status != Exit_Ok) {
        return status;
    }
    if (const File_Failure failure = Write_Configuration_File(save, Configuration_Of(data));
        failure.Failed()) {
        std::cerr << "vantrel-cli: " << English_Text(failure) << "\n";
        return Exit_Failed;
    }
    std::cout << "configuration written to " << save << "\n";
    return Exit_Ok;
}
