#pragma once

#include "Picture_Boxes.h"
#include "Window_System.h"
#include "mod_variabili.h"

// The main window's load step: clears the tables, then for each default file in turn (128x64,
// 240x64, 240x128) tests that it lies in the program's folder and fills every slot of the models
// that use it, showing it in each picture box first. A default that is missing, or that the
// bitmap reader refuses for a model's size, shows its message and ends the program; the result
// is then false. The command line runs the same step, so it refuses the same defaults.
bool Start_Up_Fill(Program_Data& data, Window_System& ws, Picture_Boxes& boxes);
