#include "mod_Compilatore.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

// For a row byte v: byte i set to 1 when the pixel of column i (bit 7 - i of v) is set.
constexpr std::array<std::uint64_t, 256> Column_Spread = [] {
    std::array<std::uint64_t, 256> table{};
    for (unsigned v = 0; v < 256; ++v) {
        for (int i = 0; i < 8; ++i) {
            if ((v >> (7 - i)) & 1) {
                table[v] |= std::uint64_t(1) << (8 * i);
            }
        }
    }
    return table;
}();

// `slot`, when given, names the model and slot on a line of its own: a file name alone does not
// tell which of sixteen slots holds it.
void Fail(Window_System& ws, const std::string& first_line, const std::string& slot = "") {
    ws.Message_Box(first_line + CR_LF + "Impossibile continuare!!" +
                       (slot.empty() ? "" : CR_LF + slot),
                   Title_Error, Message_Icon::Critical);
}

} // namespace

std::int16_t Slot_Size(double value) {
    // nearbyint follows the default rounding mode, round to nearest with ties to even.
    return static_cast<std::int16_t>(std::nearbyint(value));
}

bool Read_Bitmap(Program_Data& data, const std::string& path, const std::string& name, int width,
                 int height, Window_System& ws, const std::string& slot) {
    if (!ws.File_Exists(path)) {
        Fail(ws, "File " + name + " non trovato.", slot);
        return false;
    }
    Bitmap_Grid& grid = data.Bitmap_Rows;
    const Bitmap_File file = Read_Bitmap_File(path, width, height, grid.Bytes);
    if (!file) {
        Fail(ws,
             "File " + name +
                 (file.Fault == Bitmap_Fault::Invalid ? " non valido." : " non leggibile."),
             slot);
        return false;
    }
    grid.Rows = height;
    grid.Bytes_Per_Row = Bytes_Per_Row(width);
    // Store_Image inverts every byte, so the rows hold the unlit pixels.
    for (std::uint8_t& b : grid.Bytes) {
        b = static_cast<std::uint8_t>(~b);
    }
    return true;
}

void Pack_Vertical(Program_Data& data, int width, int height) {
    const Bitmap_Grid& rows = data.Bitmap_Rows;
    data.Packed_Image.assign(std::size_t(width) * height / 8, 0);
    for (int base = 0; base < height; base += 8) {
        for (int c = 0; c < width / 8; ++c) {
            // Byte i of `columns` is the output byte of pixel column 8c + i: row base + j of
            // the page lands in its bit j.
            std::uint64_t columns = 0;
            for (int j = 0; j < 8; ++j) {
                columns |= Column_Spread[rows.At(base + j, c)] << j;
            }
            const std::size_t k = std::size_t(base / 8) * width + std::size_t(c) * 8;
            for (int i = 0; i < 8; ++i) {
                data.Packed_Image[k + i] = static_cast<std::uint8_t>(columns >> (8 * i));
            }
        }
    }
}

void Pack_Horizontal(Program_Data& data, int width, int height) {
    const Bitmap_Grid& rows = data.Bitmap_Rows;
    const int pixel_bytes = width / 8;
    data.Packed_Image.assign(std::size_t(pixel_bytes) * height, 0);
    auto out = data.Packed_Image.begin();
    for (int r = 0; r < height; ++r) {
        const auto row = rows.Bytes.begin() + std::size_t(r) * rows.Bytes_Per_Row;
        out = std::copy(row, row + pixel_bytes, out);
    }
}

void Store_Image(Program_Data& data, std::size_t offset) {
    std::transform(data.Packed_Image.begin(), data.Packed_Image.end(),
                   data.EEPROM_Image.begin() + offset,
                   [](std::uint8_t b) { return static_cast<std::uint8_t>(~b); });
}

bool Compile_Images(Program_Data& data, Window_System& ws) {
    for (const Image_Table& table : data.Tables) {
        const Model_Descriptor& model = *table.Model;
        for (int i = 0; i < Slots_Per_Table; ++i) {
            const Image_Slot& slot = table.Slots[i];
            const int w = Slot_Size(slot.Width);
            const int h = Slot_Size(slot.Height);
            // Only the model's own size fits its region and its packing.
            if (w != model.Width || h != model.Height) {
                Fail(ws, "Dimensioni di " + slot.Name + " diverse da quelle del display " +
                             model.Code + ".");
                return false;
            }
            if (!Read_Bitmap(data, slot.Path, slot.Name, w, h, ws,
                             model.Code + ", Immagine numero " + std::to_string(i + 1))) {
                return false;
            }
            if (model.Layout == Packing::Vertical_Pages) {
                Pack_Vertical(data, w, h);
            } else {
                Pack_Horizontal(data, w, h);
            }
            Store_Image(data, model.Slot_Offset(i));
        }
    }
    if (!data.Program.Has_Glyphs) {
        return true;
    }
    std::copy(data.Font_5x8_Columns.begin(), data.Font_5x8_Columns.end(),
              data.EEPROM_Image.begin() + Font_5x8_Address);
    for (std::size_t c = 0; c < data.Font_10x16_Columns.size(); ++c) {
        const auto v = static_cast<std::uint32_t>(std::nearbyint(data.Font_10x16_Columns[c]));
        data.EEPROM_Image[Font_10x16_Low_Address + c] = static_cast<std::uint8_t>(v & 0xFF);
        data.EEPROM_Image[Font_10x16_High_Address + c] = static_cast<std::uint8_t>(v / 256);
    }
    return true;
}
