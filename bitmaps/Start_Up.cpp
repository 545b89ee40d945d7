#include "Start_Up.h"

#include "Bitmap_File.h"

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
            const Model_Descriptor& model = *table.Model;
            if (model.Default_File != file) {
                continue;
            }
            // A slot must never be left without a picture and values, and a default the unit
            // cannot take would be compiled into every slot left to it.
            const Bitmap_Picture read = Read_Bitmap_Picture(path, model.Width, model.Height);
            if (!read) {
                Stop_Program("File " + file + " non valido. Impossibile continuare" + CR_LF +
                                 read.File.Reason,
                             ws);
                return false;
            }
            for (int k = 0; k < Slots_Per_Table; ++k) {
                boxes.Show_Picture(m, k, read.Picture);
                table.Slots[k] = Image_Slot{path, file, double(model.Height), double(model.Width)};
            }
        }
    }
    return true;
}
