#include "Cli_Compile.h"

#include "Cli_Options.h"
#include "Cli_Output.h"
#include "Qt_Console_Window_System.h"
#include "mod_Compilatore.h"

#include <iostream>

namespace {

// "-" is standard output, which then gets the image alone: the messages go to stderr.
bool Write_Image(const std::string& out, const std::vector<std::uint8_t>& image) {
    const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
    std::string error;
    if (out == "-") {
        if (std::cout.write(bytes.data(), std::streamsize(bytes.size())).flush()) {
            std::cerr << "EEPROM image written to standard output (" << image.size() << " bytes)\n";
            return true;
        }
        error = "cannot write the image to standard output";
    } else if (Save_Atomically(out, bytes, error)) {
        std::cout << "EEPROM image written to " << out << " (" << image.size() << " bytes)\n";
        return true;
    }
    std::cerr << "vantrel-cli: " << error << "\n";
    return false;
}

} // namespace

int Run_Compile(const Cli_Arguments& args) {
    Compile_Options options;
    std::string out;
    if (const auto status = Parse_Compile_Into(
            args,
            {QStringLiteral("o"), QStringLiteral("the image file to write; - for stdout"),
             QStringLiteral("OUT")},
            "no output file: -o OUT is required", options, out);
        status) {
        return *status;
    }
    std::string error;
    if (out != "-" && !Output_File_Allowed(out, error)) {
        std::cerr << "vantrel-cli: " << error << "\n";
        return Exit_Usage;
    }

    Qt_Console_Window_System ws(std::cerr);
    No_Picture_Boxes boxes;
    Program_Data data(Program_For(options));
    if (const int status = Fill_Program_Data(options, data, ws, boxes); status != Exit_Ok) {
        return status;
    }
    return Compile_Images(data, ws) && Write_Image(out, data.EEPROM_Image) ? Exit_Ok : Exit_Failed;
}
