#pragma once

#include "Window_System.h"
#include "mod_variabili.h"

#include <cstdint>
#include <string>

// Stored length of one pixel row of a 1-bit bitmap of this width (rows are padded to 4 bytes).
int Bytes_Per_Row(int width);

// A slot's size as the compiler uses it: the nearest whole number, ties to even.
std::int16_t Slot_Size(double value);

// Loads the pixel rows of a bottom-up 1-bit bitmap into data.Bitmap_Rows, top row first: row r,
// byte c is the file byte at offset L - (r + 1) * B + c, or 0 when that offset lies in the
// first 61 bytes. A missing or unreadable file is reported (naming `name`) and gives false.
bool Read_Bitmap(Program_Data& data, const std::string& path, const std::string& name, int width,
                 int height, Window_System& ws);

// Packs data.Bitmap_Rows into data.Packed_Image: one byte per pixel column and 8-row page,
// the page's top row in bit 0.
void Pack_Vertical(Program_Data& data, int width, int height);

// Packs data.Bitmap_Rows into data.Packed_Image: the pixel bytes of each row, without padding.
void Pack_Horizontal(Program_Data& data, int width, int height);

// Writes data.Packed_Image inverted into data.EEPROM_Image from `offset` on, so that a set bit
// is a pixel of colour index 0.
void Store_Image(Program_Data& data, std::size_t offset);

// Compiles every slot of every table in model order, then the glyphs when the program has them.
// Stops at the first file that cannot be read (already reported) and returns false; the regions
// after it keep what they held. The image is never cleared.
bool Compile_Images(Program_Data& data, Window_System& ws);
