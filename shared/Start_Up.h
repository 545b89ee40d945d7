#pragma once

#include "Picture_Boxes.h"
#include "Window_System.h"
#include "mod_variabili.h"

// The main window's load step: clears the tables, then for each default file in turn (128x64,
// 240x64, 240x128) tests that it lies in the program's folder and fills every slot of the models
// that use it, loading it into each picture box first. A missing or unreadable default shows its
// message and ends the program; the result is then false.
bool Start_Up_Fill(Program_Data& data, Window_System& ws, Picture_Boxes& boxes);
