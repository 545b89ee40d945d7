#pragma once

#include "Cli_Commands.h"

inline constexpr const char* Convert_Usage =
    "IN --model MODEL [--scale fit|fill|stretch|none] [--threshold N]\n"
    "      [--dither none|floyd-steinberg|atkinson|bayer] [--invert] -o OUT.bmp";

// Turns any picture into the model's 1-bit bitmap, ready for --slot or a picture box.
int Run_Convert(const Cli_Arguments& args);
