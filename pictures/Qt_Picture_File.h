#pragma once

#include "Atomic_File.h"
#include "Picture_Types.h"

#include <string>

enum class Picture_Read_Failure {
    None,
    File_Refused, // the file cannot be read: File says why
    Unreadable,   // not a picture any installed reader knows, or damaged
    Over_Limit,   // larger than the image readers' allocation limit
};

struct Picture_Read_Result {
    Picture_Read_Failure Failure = Picture_Read_Failure::None;
    std::string Detail; // one line, in English, for the command line
    File_Failure File;
    Grey_Picture Luma; // the source laid over white, when read
};

// Decodes any picture format that Qt's image readers load (the first frame of an animation,
// turned upright as its orientation tag says) and hands it to the core as luma over white.
// Pictures whose 32-bit form would pass the readers' allocation limit are refused before
// decoding: every buffer of the conversion is that size or smaller.
Picture_Read_Result Read_Picture_File(const std::string& path);
