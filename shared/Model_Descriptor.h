#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// How a model's pictures are laid out in the EEPROM image.
enum class Packing {
    Vertical_Pages,  // one byte per pixel column, 8 rows per page
    Horizontal_Rows, // one byte per 8 pixels of a row
};

// A display model as data: the windows, the start-up fill, the picture-box handlers and the
// compiler are all driven by the program's list of these.
struct Model_Descriptor {
    std::string Code;              // "64128A", also the model name on the command line
    std::string Tab_Caption;       // "128x64 (64128A)"
    std::string Frame_Name;        // "fra_Select_Image_64128A"
    std::string Frame_Caption;     // "Selezionare immagini di sfondo per display 64128A:"
    std::string Table_Name;        // "Images_64128A"
    std::string Picture_Box_Array; // "pct_Image_64128A"
    std::string Label_Array;       // "lbl_Image_64128A"
    int Width = 0;
    int Height = 0;
    std::string Default_File; // looked up beside the program, then in the installed data
    Packing Layout = Packing::Vertical_Pages;
    std::size_t Base_Offset = 0; // first byte of slot 0 in the EEPROM image

    std::size_t Image_Length() const { return static_cast<std::size_t>(Width) * Height / 8; }
    std::size_t Slot_Offset(int slot) const { return Base_Offset + slot * Image_Length(); }
};

// What one of the two programs is: its models, in compile order, and whether it has glyphs.
struct Program_Description {
    std::string Program_Name; // "Vantrel" or "Quorrin"
    std::string Main_Caption; // caption of frm_Tessaro
    std::vector<Model_Descriptor> Models;
    bool Has_Glyphs = false;

    // Position of the model in Models, which also indexes the data's tables and picture boxes.
    std::optional<int> Model_Index(const std::string& code) const;
    // The distinct default files in the order the start-up tests them.
    std::vector<std::string> Default_Files() const;
};

const Program_Description& Vantrel_Program();
const Program_Description& Quorrin_Program();
