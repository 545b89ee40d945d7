#include "Cli_Options.h"

#include "Atomic_File.h"
#include "Configuration_Messages.h"
#include "Start_Up.h"
#include "mod_Funzioni_Varie.h"

#include <charconv>
#include <iostream>

namespace {

bool Parse_Number(const std::string& text, unsigned long limit, unsigned long& value) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, value, hex ? 16 : 10);
    return first != last && ec == std::errc() && end == last && value <= limit;
}

// Comma-separated column values, exactly `count` of them, each at most `limit`.
bool Parse_List(const std::string& option, const std::string& text, std::size_t count,
                unsigned long limit, std::vector<unsigned long>& values, std::string& error) {
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma - start);
        unsigned long value = 0;
        if (!Parse_Number(item, limit, value)) {
            error = option + ": '" + item + "' is not a number 0.." + std::to_string(limit);
            return false;
        }
        values.push_back(value);
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    if (values.size() != count) {
        error = option + " takes " + std::to_string(count) + " values, got " +
                std::to_string(values.size());
        return false;
    }
    return true;
}

bool Parse_Slot(const std::string& text, Slot_Choice& choice, std::string& error) {
    const std::size_t colon = text.find(':');
    const std::size_t equals = text.find('=', colon == std::string::npos ? 0 : colon);
    if (colon == std::string::npos || equals == std::string::npos || equals != colon + 2 ||
        text[colon + 1] < '1' || text[colon + 1] > '4' || equals + 1 == text.size()) {
        error = "--slot '" + text + "' is not MODEL:N=FILE with N from 1 to 4";
        return false;
    }
    choice.Model = text.substr(0, colon);
    choice.Slot = text[colon + 1] - '1';
    choice.File = text.substr(equals + 1);
    return true;
}

} // namespace

void Add_Compile_Options(QCommandLineParser& parser) {
    parser.addOptions({
        {QStringLiteral("oled"), QStringLiteral("the OLED layout (model RGS24128064), no glyphs")},
        {QStringLiteral("slot"), QStringLiteral("put FILE in slot N of MODEL; repeatable"),
         QStringLiteral("MODEL:N=FILE")},
        {QStringLiteral("font5x8"), QStringLiteral("the 5x8 glyph: 5 column values 0..255"),
         QStringLiteral("LIST")},
        {QStringLiteral("font10x16"), QStringLiteral("the 10x16 glyph: 10 column values 0..65535"),
         QStringLiteral("LIST")},
        {QStringLiteral("config"),
         QStringLiteral(
             "take slots and glyphs from a configuration; the options above override it"),
         QStringLiteral("FILE")},
    });
}

bool Read_Compile_Options(const QCommandLineParser& parser, Compile_Options& options,
                          std::string& error) {
    options.Oled = parser.isSet(QStringLiteral("oled"));
    options.Configuration_File = Value(parser, QStringLiteral("config"));
    for (const QString& text : parser.values(QStringLiteral("slot"))) {
        if (!Parse_Slot(Argument_Bytes(text), options.Slots.emplace_back(), error)) {
            return false;
        }
    }
    std::vector<unsigned long> values;
    if (parser.isSet(QStringLiteral("font5x8"))) {
        if (!Parse_List("--font5x8", Value(parser, QStringLiteral("font5x8")), 5, 0xFF, values,
                        error)) {
            return false;
        }
        std::array<std::uint8_t, 5> columns{};
        std::copy(values.begin(), values.end(), columns.begin());
        options.Font_5x8 = columns;
    }
    values.clear();
    if (parser.isSet(QStringLiteral("font10x16"))) {
        if (!Parse_List("--font10x16", Value(parser, QStringLiteral("font10x16")), 10, 0xFFFF,
                        values, error)) {
            return false;
        }
        std::array<double, 10> columns{};
        std::copy(values.begin(), values.end(), columns.begin());
        options.Font_10x16 = columns;
    }
    return true;
}

bool Compile_Options_Given(const QCommandLineParser& parser) {
    for (const char* name : {"slot", "font5x8", "font10x16", "config"}) {
        if (parser.isSet(QString::fromLatin1(name))) {
            return true;
        }
    }
    return false;
}

std::optional<int> Parse_Compile_Into(const Cli_Arguments& args, const QCommandLineOption& output,
                                      const std::string& missing, Compile_Options& options,
                                      std::string& output_value) {
    QCommandLineParser parser;
    Add_Compile_Options(parser);
    parser.addOption(output);
    if (const auto status = Parse_Arguments(parser, args)) {
        return *status;
    }
    std::string error;
    if (!Read_Compile_Options(parser, options, error)) {
        return Usage_Error(error);
    }
    output_value = Value(parser, output.names().front());
    if (output_value.empty()) {
        return Usage_Error(missing);
    }
    if (const int status = Complete_Compile_Options(options); status != Exit_Ok) {
        return status;
    }
    return std::nullopt;
}

const Program_Description& Program_For(const Compile_Options& options) {
    return options.Oled ? Quorrin_Program() : Vantrel_Program();
}

namespace {

int Read_Configuration_Option(Compile_Options& options) {
    if (options.Configuration_File.empty()) {
        return Exit_Ok;
    }
    Configuration configuration;
    Configuration_Error error;
    if (!Read_Configuration_File(options.Configuration_File, configuration, error)) {
        std::cerr << "vantrel-cli: " << English_Text(error, options.Configuration_File) << "\n";
        return Exit_Usage;
    }
    const bool oled = !configuration.Program->Has_Glyphs;
    if (options.Oled && !oled) {
        return Usage_Error("--oled contradicts " + options.Configuration_File +
                           ", a configuration of the graphic layout");
    }
    options.Oled = oled;
    std::vector<Slot_Choice> choices;
    for (std::size_t m = 0; m < configuration.Slots.size(); ++m) {
        for (std::size_t k = 0; k < Slots_Per_Table; ++k) {
            if (const auto& file = configuration.Slots[m][k]) {
                choices.push_back({configuration.Program->Models[m].Code, int(k), *file, true});
            }
        }
    }
    choices.insert(choices.end(), options.Slots.begin(), options.Slots.end());
    options.Slots = std::move(choices);
    if (!oled && !options.Font_5x8) {
        options.Font_5x8 = configuration.Font_5x8;
    }
    if (!oled && !options.Font_10x16) {
        options.Font_10x16 = configuration.Font_10x16;
    }
    return Exit_Ok;
}

bool Check_Compile_Options(const Compile_Options& options, std::string& error) {
    const Program_Description& program = Program_For(options);
    if (options.Oled && (options.Font_5x8 || options.Font_10x16)) {
        error = "the OLED layout has no glyphs: --font5x8 and --font10x16 are refused with --oled";
        return false;
    }
    for (const Slot_Choice& choice : options.Slots) {
        if (!program.Model_Index(choice.Model)) {
            error = "model '" + choice.Model + "' is not one of " +
                    (options.Oled ? std::string("RGS24128064 (--oled)")
                                  : std::string("64128A, 64128E, 64240B, 128240A"));
            return false;
        }
    }
    return true;
}

} // namespace

int Complete_Compile_Options(Compile_Options& options) {
    if (const int status = Read_Configuration_Option(options); status != Exit_Ok) {
        return status;
    }
    if (std::string error; !Check_Compile_Options(options, error)) {
        return Usage_Error(error);
    }
    return Exit_Ok;
}

int Fill_Program_Data(const Compile_Options& options, Program_Data& data, Window_System& ws,
                      Picture_Boxes& boxes) {
    if (!Start_Up_Fill(data, ws, boxes)) {
        return Exit_Failed;
    }
    for (const Slot_Choice& choice : options.Slots) {
        const auto model_index = data.Program.Model_Index(choice.Model);
        // A file that cannot be opened is told by its cause, in English, before the window
        // texts of a refused bitmap would say it in Italian.
        if (const File_Failure failure = Check_Input_File(choice.File); failure.Failed()) {
            std::cerr << "vantrel-cli: " << (choice.From_Configuration ? "slot " : "--slot ")
                      << choice.Model << ":" << choice.Slot + 1 << ": " << English_Text(failure)
                      << "\n";
            return Exit_Usage;
        }
        // A name that fails the test reaches the header check as no file at all, as from the
        // dialog, so both window texts are shown.
        const std::string path = Bitmap_Name_Passes(choice.File, ws) ? choice.File : "";
        if (!model_index || !Accept_Background(data, *model_index, choice.Slot, path, boxes, ws)) {
            const Model_Descriptor& model = data.Program.Models[model_index.value_or(0)];
            std::cerr << "vantrel-cli: " << (choice.From_Configuration ? "slot " : "--slot ")
                      << choice.Model << ":" << choice.Slot + 1 << "=" << choice.File
                      << " refused: it must be a readable 1-bit " << model.Width << "x"
                      << model.Height << " bitmap whose name contains \"bmp\"\n";
            return Exit_Usage;
        }
    }
    if (options.Font_5x8) {
        data.Font_5x8_Columns = *options.Font_5x8;
    }
    if (options.Font_10x16) {
        data.Font_10x16_Columns = *options.Font_10x16;
    }
    return Exit_Ok;
}
