#include "Cli_Compile.h"

#include "Cli_Options.h"
#include "Cli_Output.h"
#include "Qt_Console_Window_System.h"
#include "mod_Compilatore.h"

#include <iostream>

namespace {

bool Write_Image(const std::string& out, const std::vector<std::uint8_t>& image) {
    std::string error;
    const QByteArray bytes(reinterpret_cast<const char*>(image.data()),
                           static_cast<qsizetype>(image.size()));
    if (!Save_Atomically(out, bytes, error)) {
        std::cerr << "vantrel-cli: " << error << "\n";
        return false;
    }
    return true;
}

} // namespace

int Run_Compile(const Cli_Arguments& args) {
    Compile_Options options;
    std::string out;
    std::string error;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Option_Result result = Parse_Compile_Option(args, i, options, error);
        if (result == Option_Result::Error) {
            return Usage_Error(error);
        }
        if (result == Option_Result::Taken) {
            continue;
        }
        if (args[i] != "-o") {
            return Usage_Error("unexpected argument '" + args[i] + "'");
        }
        if (!Take_Value(args, i, out, error)) {
            return Usage_Error(error);
        }
    }
    if (out.empty()) {
        return Usage_Error("no output file: -o OUT is required");
    }
    if (const int status = Read_Configuration_Option(options); status != Exit_Ok) {
        return status;
    }
    if (!Check_Compile_Options(options, error)) {
        return Usage_Error(error);
    }
    if (!Output_File_Allowed(out, error)) {
        std::cerr << "vantrel-cli: " << error << "\n";
        return Exit_Usage;
    }

    Qt_Console_Window_System ws(std::cerr);
    No_Picture_Boxes boxes;
    Program_Data data(Program_For(options));
    if (const int status = Fill_Program_Data(options, data, ws, boxes); status != Exit_Ok) {
        return status;
    }
    if (!Compile_Images(data, ws) || !Write_Image(out, data.EEPROM_Image)) {
        return Exit_Failed;
    }
    std::cout << "EEPROM image written to " << out << " (" << data.EEPROM_Image.size()
              << " bytes)\n";
    return Exit_Ok;
}
