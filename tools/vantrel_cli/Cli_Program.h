#pragma once

#include "Cli_Commands.h"

inline constexpr const char* Program_Usage =
    "(--port PORT [--verbose] | --port PORT... [--all] [--json] [--log FILE] [--repeat]\n"
    "                        | --watch [--port PORT...] [--json] [--log FILE])\n"
    "                        ([--oled] [compile options] | [--oled] --image FILE)";

// Programs a unit: compile (or take a ready image), find the unit, write 512 blocks, reset. With
// several ports (or --all, --json, --log, --repeat) programs them all at once; with --watch,
// every unit as it appears.
int Run_Program(const Cli_Arguments& args);
