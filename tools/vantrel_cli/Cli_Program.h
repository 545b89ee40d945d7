#pragma once

#include "Cli_Commands.h"

inline constexpr const char* Program_Usage =
    "--port PORT [--verbose] ([--oled] [compile options] | [--oled] --image FILE)";

// Programs a unit: compile (or take a ready image), find the unit, write 512 blocks, reset.
int Run_Program(const Cli_Arguments& args);
