#include "Cli_Preview.h"

#include "EEPROM_Image_File.h"
#include "Image_Decoder.h"
#include "Qt_Lit_Picture.h"
#include "mod_costanti.h"

#include <QDir>

#include <fstream>
#include <iostream>
#include <iterator>

namespace {

// Glyphs are a few pixels across; each cell becomes a square this many pixels wide.
constexpr int Glyph_Scale = 16;

} // namespace

int Run_Preview(const Cli_Arguments& args) {
    bool oled = false;
    std::string image_path;
    std::string dir;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--oled") {
            oled = true;
        } else if (args[i] == "-o") {
            if (i + 1 >= args.size()) {
                return Usage_Error("-o needs a value");
            }
            dir = args[++i];
        } else if (image_path.empty() && !args[i].starts_with("-")) {
            image_path = args[i];
        } else {
            return Usage_Error("unexpected argument '" + args[i] + "'");
        }
    }
    if (image_path.empty() || dir.empty()) {
        return Usage_Error("preview needs IMAGE and -o DIR");
    }

    std::vector<std::uint8_t> image;
    if (std::string error; !Read_EEPROM_Image(image_path, image, error)) {
        std::cerr << "vantrel-cli: " << error << "\n";
        return Exit_Usage;
    }
    const QString folder = QString::fromStdString(dir);
    if (!QDir().mkpath(folder)) {
        std::cerr << "vantrel-cli: cannot create folder " << dir << "\n";
        return Exit_Failed;
    }
    const Program_Description& program = oled ? Quorrin_Program() : Vantrel_Program();
    for (const Lit_Picture& picture : Decode_Image(image, program)) {
        const bool glyph = picture.Name.starts_with("font");
        const QString png = QDir(folder).filePath(QString::fromStdString(picture.Name + ".png"));
        if (!Lit_Picture_Image(picture, glyph ? Glyph_Scale : 1).save(png, "PNG")) {
            std::cerr << "vantrel-cli: cannot write " << png.toStdString() << "\n";
            return Exit_Failed;
        }
        std::cout << png.toStdString() << "\n";
    }
    return Exit_Ok;
}
