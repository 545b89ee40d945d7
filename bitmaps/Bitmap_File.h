#pragma once

#include "Lit_Picture.h"

#include <cstdint>
#include <string>
#include <vector>

// The one reader of background bitmap files. The choice of a file, the picture boxes and the
// compiler all read through it, so what a box shows is what the unit gets.

// Stored length of one pixel row of a 1-bit bitmap of this width (rows are padded to 4 bytes).
int Bytes_Per_Row(int width);

enum class Bitmap_Fault {
    None,
    Missing,    // no file of that name
    Unreadable, // a folder, a pipe or a device, or the reading failed
    Invalid,    // a file, but not a bitmap the unit can take
};

// What the header of a file says, and whether it is a bitmap the unit can take: 1 bit per pixel,
// 1 plane, uncompressed, stored bottom-up, of exactly the asked size, with the pixel array after
// headers and palette and wholly inside the file.
struct Bitmap_File {
    Bitmap_Fault Fault = Bitmap_Fault::None;
    std::string Reason; // why it was refused: one Italian sentence for the user

    std::uint32_t Pixel_Offset = 0;
    // The unit lights the darker of the two palette colours: colour 0 in the usual
    // black-then-white palette, colour 1 when an editor wrote white first.
    bool Index_1_Lit = false;

    explicit operator bool() const { return Fault == Bitmap_Fault::None; }
};

// Reads the headers and the palette only, never the whole file.
Bitmap_File Read_Bitmap_Header(const std::string& path, int width, int height);

// Reads the headers, then the pixel array at the header's offset into `rows`: Height rows of
// Bytes_Per_Row(Width) bytes, top row first, leftmost pixel in bit 7, a set bit being a pixel the
// unit lights. `rows` is left as it was when the headers refuse the file, and emptied when the
// pixel array cannot be read in full.
Bitmap_File Read_Bitmap_File(const std::string& path, int width, int height,
                             std::vector<std::uint8_t>& rows);

// A bitmap file read as the picture the unit will show.
struct Bitmap_Picture {
    Bitmap_File File;    // whether the reader took the file, and if not why
    Lit_Picture Picture; // when it did

    explicit operator bool() const { return static_cast<bool>(File); }
};

// The same as Read_Bitmap_File, as the picture the unit will show.
Bitmap_Picture Read_Bitmap_Picture(const std::string& path, int width, int height);
