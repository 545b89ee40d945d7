#pragma once

#include "Configuration.h"
#include "Picture_Boxes.h"
#include "Window_System.h"

#include <string>
#include <vector>

// A slot of a configuration that was not taken, and the messages that said why.
struct Slot_Failure {
    int Model_Index = 0;
    int Slot = 0;
    std::string File;
    std::string Reason;
};

// Puts a configuration of the data's own program into the data: every slot first goes back to
// its model's default, then each named file goes through the name test and the header check of
// a choice in the window. A slot whose file fails shows the default but keeps the file's path, so
// that it is saved back and a compile refuses it; the glyphs and every other slot are taken all
// the same. Shows nothing: the failures are returned.
std::vector<Slot_Failure> Apply_Configuration(const Configuration& configuration,
                                              Program_Data& data, Picture_Boxes& boxes,
                                              Window_System& ws);
