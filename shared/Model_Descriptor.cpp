#include "Model_Descriptor.h"

#include "mod_costanti.h"

#include <algorithm>

namespace {

Model_Descriptor Graphic_Model(const std::string& code, int width, int height,
                               const std::string& default_file, Packing layout, std::size_t base) {
    Model_Descriptor m;
    m.Code = code;
    m.Tab_Caption = std::to_string(width) + "x" + std::to_string(height) + " (" + code + ")";
    m.Frame_Name = "fra_Select_Image_" + code;
    m.Frame_Caption = "Selezionare immagini di sfondo per display " + code + ":";
    m.Table_Name = "Images_" + code;
    m.Picture_Box_Array = "pct_Image_" + code;
    m.Label_Array = "lbl_Image_" + code;
    m.Width = width;
    m.Height = height;
    m.Default_File = default_file;
    m.Layout = layout;
    m.Base_Offset = base;
    return m;
}

} // namespace

std::optional<int> Program_Description::Model_Index(const std::string& code) const {
    for (std::size_t i = 0; i < Models.size(); ++i) {
        if (Models[i].Code == code) {
            return int(i);
        }
    }
    return std::nullopt;
}

std::vector<std::string> Program_Description::Default_Files() const {
    std::vector<std::string> files;
    for (const auto& m : Models) {
        if (std::find(files.begin(), files.end(), m.Default_File) == files.end()) {
            files.push_back(m.Default_File);
        }
    }
    return files;
}

const Program_Description& Vantrel_Program() {
    static const Program_Description program{
        "Vantrel",
        "Programmatore LCD grafici",
        {
            Graphic_Model("64128A", 128, 64, Default_128x64, Packing::Vertical_Pages, 0x0000),
            Graphic_Model("64128E", 128, 64, Default_128x64, Packing::Vertical_Pages, 0x1000),
            Graphic_Model("64240B", 240, 64, Default_240x64, Packing::Horizontal_Rows, 0x2000),
            Graphic_Model("128240A", 240, 128, Default_240x128, Packing::Horizontal_Rows, 0x3E00),
        },
        true,
    };
    return program;
}

const Program_Description& Quorrin_Program() {
    static const Program_Description program = [] {
        Model_Descriptor oled =
            Graphic_Model("RGS24128064", 128, 64, Default_128x64, Packing::Vertical_Pages, 0x0000);
        // The OLED program keeps the control names of the 64128A slots it grew from.
        oled.Frame_Name = "fra_Select_Image_64128A";
        oled.Table_Name = "Images_OLED";
        oled.Picture_Box_Array = "pct_Image_64128";
        oled.Label_Array = "lbl_Image_64128A";
        return Program_Description{"Quorrin", "Programmatore LCD OLED", {oled}, false};
    }();
    return program;
}
