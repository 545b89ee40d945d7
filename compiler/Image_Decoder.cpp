#include "Image_Decoder.h"

#include "mod_costanti.h"

namespace {

void Set(Lit_Picture& picture, int x, int y, bool lit) {
    picture.Lit[std::size_t(y) * picture.Width + x] = lit ? 1 : 0;
}

Lit_Picture Decode_Slot(const std::vector<std::uint8_t>& image, const Model_Descriptor& model,
                        int slot) {
    Lit_Picture picture(model.Width, model.Height, model.Code + "_" + std::to_string(slot + 1));
    const std::size_t base = model.Slot_Offset(slot);
    for (int y = 0; y < model.Height; ++y) {
        for (int x = 0; x < model.Width; ++x) {
            bool lit = false;
            if (model.Layout == Packing::Vertical_Pages) {
                lit = (image[base + std::size_t(y / 8) * model.Width + x] >> (y % 8)) & 1;
            } else {
                const std::size_t byte = base + std::size_t(y) * (model.Width / 8) + x / 8;
                lit = (image[byte] >> (7 - x % 8)) & 1;
            }
            Set(picture, x, y, lit);
        }
    }
    return picture;
}

// A glyph column holds row n in bit n; the 10x16 columns keep their low bytes in one block of
// ten and their high bytes in the next.
Lit_Picture Decode_Glyph(const std::vector<std::uint8_t>& image, const std::string& name,
                         int columns, int rows) {
    Lit_Picture picture(columns, rows, name);
    for (int c = 0; c < columns; ++c) {
        std::uint32_t mask = 0;
        if (rows == 8) {
            mask = image[Font_5x8_Address + c];
        } else {
            mask = image[Font_10x16_Low_Address + c] |
                   (std::uint32_t(image[Font_10x16_High_Address + c]) << 8);
        }
        for (int r = 0; r < rows; ++r) {
            Set(picture, c, r, (mask >> r) & 1);
        }
    }
    return picture;
}

} // namespace

std::vector<Lit_Picture> Decode_Image(const std::vector<std::uint8_t>& image,
                                      const Program_Description& program) {
    std::vector<Lit_Picture> pictures;
    if (image.size() != EEPROM_Size) {
        return pictures;
    }
    for (const Model_Descriptor& model : program.Models) {
        for (int slot = 0; slot < Slots_Per_Table; ++slot) {
            pictures.push_back(Decode_Slot(image, model, slot));
        }
    }
    if (program.Has_Glyphs) {
        pictures.push_back(Decode_Glyph(image, "font5x8", 5, 8));
        pictures.push_back(Decode_Glyph(image, "font10x16", 10, 16));
    }
    return pictures;
}
