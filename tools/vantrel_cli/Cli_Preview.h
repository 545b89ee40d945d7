#pragma once

#include "Cli_Commands.h"

inline constexpr const char* Preview_Usage = "[--oled] IMAGE -o DIR";

// Writes one PNG per slot (and per glyph) of a compiled image: what each display will show.
int Run_Preview(const Cli_Arguments& args);
