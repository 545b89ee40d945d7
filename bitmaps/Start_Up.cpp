#include "Start_Up.h"

#include "Bitmap_File.h"

#include <algorithm>
#include <filesystem>

namespace {

void Stop_Program(const std::string& text, Window_System& ws) {
    ws.Message_Box(text, Title_Error, Message_Icon::Critical);
    ws.End_Program();
}

// One folder for all the defaults, so that a slot's default path names one place whatever its
// model, and a configuration tells a default from a chosen file by that path alone.
std::string Chosen_Folder(const std::vector<std::string>& folders, const Program_Data& data,
                          Window_System& ws) {
    const std::vector<std::string> files = data.Program.Default_Files();
    for (const std::string& folder : folders) {
        if (std::all_of(files.begin(), files.end(), [&](const std::string& file) {
                return ws.File_Exists(folder + "/" + file);
            })) {
            return folder;
        }
    }
    return folders.front();
}

std::string Folders_Looked_In(const std::vector<std::string>& folders) {
    std::string text = "Cercato nelle cartelle ";
    for (std::size_t i = 0; i < folders.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == folders.size() ? " e " : ", ") + folders[i];
    }
    return text + ".";
}

} // namespace

std::vector<std::string> Default_Folders(const std::string& program_folder) {
    const std::filesystem::path installed =
        (std::filesystem::path(program_folder) / ".." / "share" / "vantrel").lexically_normal();
    return {program_folder, std::filesystem::path(installed).make_preferred().string()};
}

bool Start_Up_Fill(Program_Data& data, Window_System& ws, Picture_Boxes& boxes) {
    for (auto& table : data.Tables) {
        table.Slots.fill(Image_Slot{});
    }
    const std::vector<std::string> folders = Default_Folders(ws.Program_Folder());
    data.Defaults_Folder = Chosen_Folder(folders, data, ws);
    for (const std::string& file : data.Program.Default_Files()) {
        const std::string path = data.Defaults_Folder + "/" + file;
        if (!ws.File_Exists(path)) {
            Stop_Program("File " + file + " non trovato. Impossibile continuare" + CR_LF +
                             Folders_Looked_In(folders),
                         ws);
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
