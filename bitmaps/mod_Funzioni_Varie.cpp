#include "mod_Funzioni_Varie.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>

namespace {

// A header field of up to 4 bytes, little-endian, unsigned.
std::uint32_t Field(const std::array<std::uint8_t, 62>& header, int offset, int size) {
    std::uint32_t value = 0;
    for (int k = size - 1; k >= 0; --k) {
        value = value * 256 + header[offset + k];
    }
    return value;
}

std::string Lower_Case(const std::string& text) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

} // namespace

bool Bitmap_Name_Passes(const std::string& path, Window_System& ws) {
    if (Lower_Case(path).find("bmp") != std::string::npos) {
        return true;
    }
    ws.Message_Box(Invalid_Extension_Message, Title_Warning, Message_Icon::Exclamation);
    return false;
}

std::string Pick_Bitmap(File_Dialog& dialog, Window_System& ws) {
    const auto chosen = dialog.Show_Open(Bitmap_Filter, 2);
    if (!chosen) {
        return "";
    }
    ws.Yield();
    return Bitmap_Name_Passes(*chosen, ws) ? *chosen : "";
}

bool Check_Bitmap(const std::string& path, int width, int height, Window_System& ws) {
    if (path.empty()) {
        return false;
    }
    std::error_code ec;
    // A missing file is refused quietly; only a file that exists but cannot be read is worth
    // its own message.
    if (!std::filesystem::exists(path, ec)) {
        return false;
    }
    std::array<std::uint8_t, 62> header{};
    std::ifstream file;
    if (std::filesystem::is_regular_file(path, ec)) {
        file.open(path, std::ios::binary);
    }
    if (file.is_open()) {
        // A short file leaves the bytes past its end at 0.
        file.read(reinterpret_cast<char*>(header.data()), header.size());
    }
    if (!file.is_open() || file.bad()) {
        ws.Message_Box("Impossibile leggere il file " + path + ".", Title_Error,
                       Message_Icon::Critical);
        return false;
    }
    return Field(header, 18, 4) == static_cast<std::uint32_t>(width) && width >= 0 &&
           Field(header, 22, 4) == static_cast<std::uint32_t>(height) && height >= 0 &&
           Field(header, 26, 2) == 1 && Field(header, 28, 2) == 1;
}

bool Accept_Background(Program_Data& data, int model_index, int slot, const std::string& path,
                       Picture_Boxes& boxes, Window_System& ws) {
    Image_Table& table = data.Tables.at(model_index);
    const Model_Descriptor& model = *table.Model;
    if (!Check_Bitmap(path, model.Width, model.Height, ws) ||
        !boxes.Load_Picture(model_index, slot, path)) {
        ws.Message_Box(Invalid_Image_Message, Title_Error, Message_Icon::Critical);
        return false;
    }
    Image_Slot& target = table.Slots.at(slot);
    target.Path = path;
    target.Name = File_Name_Part(path);
    target.Height = model.Height;
    target.Width = model.Width;
    return true;
}

void Picture_Box_Mouse_Down(Program_Data& data, int model_index, int slot, Mouse_Button button,
                            File_Dialog& dialog, Picture_Boxes& boxes, Window_System& ws) {
    if (button != Mouse_Button::Right) {
        return;
    }
    Accept_Background(data, model_index, slot, Pick_Bitmap(dialog, ws), boxes, ws);
}
