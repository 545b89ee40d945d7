#include "Start_Up.h"

namespace {

void Stop_Program(const std::string& text, Window_System& ws) {
    ws.Message_Box(text, Title_Error, Message_Icon::Critical);
    ws.End_Program();
}

} // namespace

bool Start_Up_Fill(Program_Data& data, Window_System& ws, Picture_Boxes& boxes) {
    for (auto& table : data.Tables) {
        table.Slots.fill(Image_Slot{});
    }
    for (const std::string& file : data.Program.Default_Files()) {
        const std::string path = ws.Program_Folder() + "/" + file;
        if (!ws.File_Exists(path)) {
            Stop_Program("File " + file + " non trovato. Impossibile continuare", ws);
            return false;
        }
        for (int m = 0; m < static_cast<int>(data.Tables.size()); ++m) {
            Image_Table& table = data.Tables[m];
            if (table.Model->Default_File != file) {
                continue;
            }
            for (int k = 0; k < Slots_Per_Table; ++k) {
                // A slot must never be left without a picture and values, so a default that
                // cannot be shown ends the program like a missing one.
                if (!boxes.Load_Picture(m, k, path)) {
                    Stop_Program("File " + file +
                                     " non leggibile come immagine. Impossibile continuare",
                                 ws);
                    return false;
                }
                table.Slots[k] =
                    Image_Slot{path, file, double(table.Model->Height), double(table.Model->Width)};
            }
        }
    }
    return true;
}
