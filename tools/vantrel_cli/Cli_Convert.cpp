#include "Cli_Convert.h"

#include "Cli_Output.h"
#include "Model_Descriptor.h"
#include "Mono_Bitmap_File.h"
#include "Picture_Tone.h"
#include "Qt_Picture_File.h"

#include <charconv>
#include <iostream>
#include <utility>

namespace {

template <typename T> using Names = std::initializer_list<std::pair<const char*, T>>;

const Names<Scale_Mode> Scale_Names{{"fit", Scale_Mode::Fit},
                                    {"fill", Scale_Mode::Fill},
                                    {"stretch", Scale_Mode::Stretch},
                                    {"none", Scale_Mode::None}};
const Names<Dither_Method> Dither_Names{{"none", Dither_Method::None},
                                        {"floyd-steinberg", Dither_Method::Floyd_Steinberg},
                                        {"atkinson", Dither_Method::Atkinson},
                                        {"bayer", Dither_Method::Bayer}};

// A choice by name such as --scale, left as it is when the option is not given. False, with the
// names it takes in `error`, for a name it does not know.
template <typename T>
bool Read_Choice(const QCommandLineParser& parser, const char* option, const Names<T>& names,
                 T& choice, std::string& error) {
    if (!parser.isSet(QString::fromLatin1(option))) {
        return true;
    }
    const std::string value = Value(parser, QString::fromLatin1(option));
    std::string known;
    for (auto at = names.begin(); at != names.end(); ++at) {
        if (value == at->first) {
            choice = at->second;
            return true;
        }
        known += at == names.begin() ? "" : at + 1 == names.end() ? " or " : ", ";
        known += at->first;
    }
    error = "--" + std::string(option) + " '" + value + "' is not " + known;
    return false;
}

const Model_Descriptor* Model_By_Code(const std::string& code) {
    for (const Program_Description* program : {&Vantrel_Program(), &Quorrin_Program()}) {
        if (const auto index = program->Model_Index(code)) {
            return &program->Models[std::size_t(*index)];
        }
    }
    return nullptr;
}

struct Convert_Request {
    std::string In;
    std::string Out;
    const Model_Descriptor* Model = nullptr;
    Conversion_Options Options;
};

// Fills the request from the parsed arguments; false with a one-line reason in `error`.
bool Read(const QCommandLineParser& parser, Convert_Request& request, std::string& error) {
    const QStringList positional = parser.positionalArguments();
    request.In = positional.isEmpty() ? "" : Argument_Bytes(positional.front());
    request.Out = Value(parser, QStringLiteral("o"));
    request.Options.Invert = parser.isSet(QStringLiteral("invert"));
    const std::string model = Value(parser, QStringLiteral("model"));
    if (!Read_Choice(parser, "scale", Scale_Names, request.Options.Scale, error) ||
        !Read_Choice(parser, "dither", Dither_Names, request.Options.Dither, error)) {
        return false;
    }
    if (parser.isSet(QStringLiteral("threshold"))) {
        const std::string value = Value(parser, QStringLiteral("threshold"));
        int n = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
        if (ec != std::errc() || end != value.data() + value.size() || n < Lowest_Threshold ||
            n > Highest_Threshold) {
            error = "--threshold '" + value + "' is not a whole number from " +
                    std::to_string(Lowest_Threshold) + " to " + std::to_string(Highest_Threshold);
            return false;
        }
        request.Options.Threshold = n;
    }
    if (request.In.empty() || model.empty() || request.Out.empty()) {
        error = "convert needs IN, --model MODEL and -o OUT";
        return false;
    }
    request.Model = Model_By_Code(model);
    if (!request.Model) {
        error = "model '" + model + "' is not one of 64128A, 64128E, 64240B, 128240A, RGS24128064";
        return false;
    }
    return true;
}

} // namespace

int Run_Convert(const Cli_Arguments& args) {
    QCommandLineParser parser;
    parser.addOptions({
        {QStringLiteral("model"), QStringLiteral("the model whose bitmap is made"),
         QStringLiteral("MODEL")},
        {QStringLiteral("scale"), QStringLiteral("fit (default), fill, stretch or none"),
         QStringLiteral("MODE")},
        {QStringLiteral("threshold"), QStringLiteral("lights luma below N, 1..255 (default 128)"),
         QStringLiteral("N")},
        {QStringLiteral("dither"), QStringLiteral("none, floyd-steinberg, atkinson or bayer"),
         QStringLiteral("METHOD")},
        {QStringLiteral("invert"), QStringLiteral("lights luma at or above the threshold")},
        {QStringLiteral("o"), QStringLiteral("the bitmap file to write"), QStringLiteral("OUT")},
    });
    parser.addPositionalArgument(QStringLiteral("IN"), QStringLiteral("any picture"));
    if (const auto status = Parse_Arguments(parser, args, 1)) {
        return *status;
    }
    Convert_Request request;
    if (std::string error; !Read(parser, request, error)) {
        return Usage_Error(error);
    }
    // Refused before the work of decoding; the save checks it again.
    if (std::string error; !Output_File_Allowed(request.Out, error)) {
        std::cerr << "vantrel-cli: " << error << "\n";
        return Exit_Usage;
    }
    const Picture_Read_Result source = Read_Picture_File(request.In);
    if (source.Failure != Picture_Read_Failure::None) {
        std::cerr << "vantrel-cli: " << source.Detail << "\n";
        return Exit_Usage;
    }
    const Model_Descriptor& model = *request.Model;
    const Lit_Picture picture =
        Convert_Picture(source.Luma, model.Width, model.Height, request.Options);
    if (const File_Failure failure = Write_File_Atomically(request.Out, Mono_Bitmap_Bytes(picture));
        failure.Failed()) {
        std::cerr << "vantrel-cli: " << English_Text(failure) << "\n";
        return Exit_Failed;
    }
    std::cout << "bitmap written to " << request.Out << " (" << model.Width << "x" << model.Height
              << ", model " << model.Code << ")\n";
    return Exit_Ok;
}
