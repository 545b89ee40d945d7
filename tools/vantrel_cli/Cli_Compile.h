#pragma once

#include "Cli_Commands.h"

inline constexpr const char* Compile_Usage =
    "[--oled] [--slot MODEL:N=FILE]... [--font5x8 LIST] [--font10x16 LIST] [--config FILE] -o OUT";

// Compiles the slots and glyphs into a 65,536-byte EEPROM image file.
int Run_Compile(const Cli_Arguments& args);
