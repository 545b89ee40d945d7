#include "Cli_Preview.h"

#include "Cli_Output.h"
#include "EEPROM_Image_File.h"
#include "Image_Decoder.h"
#include "Qt_Lit_Picture.h"
#include "mod_costanti.h"

#include <QBuffer>
#include <QDir>

#include <filesystem>
#include <iostream>

namespace {

// Glyphs are a few pixels across; each cell becomes a square this many pixels wide.
constexpr int Glyph_Scale = 16;

} // namespace

int Run_Preview(const Cli_Arguments& args) {
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("oled"), QStringLiteral("the image is of the OLED layout")});
    parser.addOption({QStringLiteral("o"), QStringLiteral("the folder of the PNG files"),
                      QStringLiteral("DIR")});
    parser.addPositionalArgument(QStringLiteral("IMAGE"), QStringLiteral("a compiled image"));
    if (const auto status = Parse_Arguments(parser, args, 1)) {
        return *status;
    }
    const bool oled = parser.isSet(QStringLiteral("oled"));
    const std::string dir = Value(parser, QStringLiteral("o"));
    const QStringList positional = parser.positionalArguments();
    const std::string image_path = positional.isEmpty() ? "" : Argument_Bytes(positional.front());
    if (image_path.empty() || dir.empty()) {
        return Usage_Error("preview needs IMAGE and -o DIR");
    }

    std::string error;
    std::vector<std::uint8_t> image;
    if (!Read_EEPROM_Image(image_path, image, error)) {
        std::cerr << "vantrel-cli: " << error << "\n";
        return Exit_Usage;
    }
    const Program_Description& program = oled ? Quorrin_Program() : Vantrel_Program();
    const std::vector<Lit_Picture> pictures = Decode_Image(image, program);
    const auto png_path = [&dir](const Lit_Picture& picture) {
        return (std::filesystem::path(dir) / (picture.Name + ".png")).string();
    };
    // Every place is checked before the first picture is written.
    bool allowed = Output_Folder_Allowed(dir, error);
    for (std::size_t i = 0; allowed && i < pictures.size(); ++i) {
        allowed = Output_File_Allowed(png_path(pictures[i]), error);
    }
    if (!allowed) {
        std::cerr << "vantrel-cli: " << error << "\n";
        return Exit_Usage;
    }
    if (!QDir().mkpath(QString::fromStdString(dir))) {
        std::cerr << "vantrel-cli: cannot create folder " << dir << "\n";
        return Exit_Failed;
    }
    for (const Lit_Picture& picture : pictures) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        Lit_Picture_Image(picture, picture.Name.starts_with("font") ? Glyph_Scale : 1)
            .save(&buffer, "PNG");
        const std::string png = png_path(picture);
        if (!Save_Atomically(png, std::string_view(bytes.constData(), std::size_t(bytes.size())),
                             error)) {
            std::cerr << "vantrel-cli: " << error << "\n";
            return Exit_Failed;
        }
        std::cout << png << "\n";
    }
    return Exit_Ok;
}
