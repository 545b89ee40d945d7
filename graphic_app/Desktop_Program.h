#pragma once

#include "Model_Descriptor.h"

// The entry of a desktop program: the main window's load step, the configuration file named as
// the first argument if any, then the event loop until neither window is left. Returns the
// program's exit status.
int Run_Desktop_Program(const Program_Description& program, int argc, char** argv);
