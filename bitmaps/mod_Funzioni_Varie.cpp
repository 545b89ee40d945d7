#include "mod_Funzioni_Varie.h"

#include "Bitmap_File.h"

#include <algorithm>
#include <cctype>

namespace {

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

bool Check_Bitmap(const std::string& path, int width, int height, std::string& reason) {
    reason.clear();
    if (path.empty()) {
        return false;
    }
    const Bitmap_File file = Read_Bitmap_Header(path, width, height);
    reason = file.Reason;
    return static_cast<bool>(file);
}

bool Accept_Background(Program_Data& data, int model_index, int slot, const std::string& path,
                       Picture_Boxes& boxes, Window_System& ws) {
    Image_Table& table = data.Tables.at(model_index);
    const Model_Descriptor& model = *table.Model;
    std::string reason;
    if (Check_Bitmap(path, model.Width, model.Height, reason)) {
        const Bitmap_Picture read = Read_Bitmap_Picture(path, model.Width, model.Height);
        if (read) {
            boxes.Show_Picture(model_index, slot, read.Picture);
            Image_Slot& target = table.Slots.at(slot);
            target.Path = path;
            target.Name = File_Name_Part(path);
            target.Height = model.Height;
            target.Width = model.Width;
            return true;
        }
        reason = read.File.Reason;
    }
    ws.Message_Box(reason.empty() ? Invalid_Image_Message
                                  : Invalid_Image_Message + std::string(CR_LF) + reason,
                   Title_Error, Message_Icon::Critical);
    return false;
}

void Picture_Box_Mouse_Down(Program_Data& data, int model_index, int slot, Mouse_Button button,
                            File_Dialog& dialog, Picture_Boxes& boxes, Window_System& ws) {
    if (button != Mouse_Button::Right) {
        return;
    }
    Accept_Background(data, model_index, slot, Pick_Bitmap(dialog, ws), boxes, ws);
}
