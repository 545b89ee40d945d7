#pragma once

#include "Cli_Commands.h"

inline constexpr const char* Config_Usage = "--save FILE [--oled] [compile options]";

// Writes a configuration file from the compile options, after the same checks as a compile.
int Run_Config(const Cli_Arguments& args);
