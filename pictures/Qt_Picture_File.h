#pragma once

#include "Picture_Types.h"

#include <cstdint>
#include <string>
#include <vector>

enum class Picture_Read_Failure {
    None,
    Not_Found,  // no such file, or not a regular file
    Unreadable, // not a picture any installed reader knows, or damaged
    Over_Limit, // larger than the image readers' allocation limit
};

struct Picture_Read_Result {
    Picture_Read_Failure Failure = Picture_Read_Failure::None;
    std::string Detail; // one line, in English, for the command line
    Grey_Picture Luma;  // the source laid over white, when read
};

// Decodes any picture format that Qt's image readers load (the first frame of an animation,
// turned upright as its orientation tag says) and hands it to the core as luma over white.
// Pictures whose 32-bit form would pass the readers' allocation limit are refused before
// decoding: every buffer of the conversion is that size or smaller.
Picture_Read_Result Read_Picture_File(const std::string& path);

// Writes the bytes through a temporary file that replaces `path` only once complete. An existing
// `path` that is not a regular file is refused. False with a one-line reason in English.
bool Save_Bytes_Atomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                           std::string& error);
