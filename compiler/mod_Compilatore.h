#pragma once

#include "Bitmap_File.h"
#include "Window_System.h"
#include "mod_variabili.h"

#include <cstdint>
#include <string>

// A slot's size as the compiler uses it: the nearest whole number, ties to even.
std::int16_t Slot_Size(double value);

// Loads the pixel rows of the slot's bitmap through the bitmap reader into data.Bitmap_Rows, top
// row first, a set bit being a pixel the unit leaves unlit (colour index 1 of a black-then-white
// file). Only the header and the pixel array at the header's offset are read. A file that is
// missing, unreadable, or no longer one the choice would take is reported (naming `name`, and
// `slot` on a line of its own when given) and gives false.
bool Read_Bitmap(Program_Data& data, const std::string& path, const std::string& name, int width,
                 int height, Window_System& ws, const std::string& slot = "");

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
