#pragma once

#include "Picture_Boxes.h"
#include "Window_System.h"
#include "mod_variabili.h"

#include <string>
#include <vector>

// Where the default backgrounds are looked for, in this order: beside the program (a build tree,
// or a folder copied whole), then ../share/vantrel from it, where an installation under any
// prefix puts them.
std::vector<std::string> Default_Folders(const std::string& program_folder);

// The main window's load step: clears the tables, takes the first of the default folders that
// holds every default file of the program (or, when none does, the program's own) as
// data.Defaults_Folder, then for each default file in turn (128x64, 240x64, 240x128) tests that
// it lies there and fills every slot of the models that use it, showing it in each picture box
// first. A default that is missing, or that the bitmap reader refuses for a model's size, shows
// its message and ends the program; the result is then false. A missing one's message names the
// folders looked in on its second line. The command line runs the same step, so it refuses the
// same defaults.
bool Start_Up_Fill(Program_Data& data, Window_System& ws, Picture_Boxes& boxes);
