#pragma once

#include "Lit_Picture.h"
#include "Model_Descriptor.h"
#include "mod_Structure_UDT.h"

#include <string>

// What a picture box shows for its slot. The slot keeps its path whatever becomes of the file, so
// a file gone or refused since its choice shows the model's default with the reason beside it,
// and the compiler still refuses the slot.
struct Slot_Picture {
    Lit_Picture Picture;
    bool Refused = false; // the slot's own file could not be shown: the box carries the mark
    std::string Tooltip;  // the file (or "Sfondo predefinito"), the reason if refused, the hint
};

inline constexpr const char* Default_Background_Text = "Sfondo predefinito";
inline constexpr const char* Picture_Box_Hint = "Clic destro: scegli una bitmap";

// The model's default background in the defaults' folder, as the start-up puts it in a slot.
Image_Slot Default_Slot(const std::string& defaults_folder, const Model_Descriptor& model);

// Reads the slot's file as the unit will show it; when that fails, the model's default (or a
// blank picture, should the default have gone too).
Slot_Picture Read_Slot_Picture(const Image_Slot& slot, const Model_Descriptor& model,
                               const std::string& defaults_folder);
