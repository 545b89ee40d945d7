#pragma once

#include "Model_Descriptor.h"

#include <cstdint>
#include <string>
#include <vector>

// What one region of an EEPROM image shows: Lit holds 1 for each pixel the module lights,
// row by row from the top.
struct Lit_Picture {
    std::string Name; // "64128A_1" ... for slots (number = slot index + 1), "font5x8", "font10x16"
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Lit;

    bool At(int x, int y) const { return Lit[std::size_t(y) * Width + x] != 0; }
};

// Reads the pictures of every slot of the program's models, then its glyphs when it has them,
// back out of a 65,536-byte image; an image of any other size gives none.
std::vector<Lit_Picture> Decode_Image(const std::vector<std::uint8_t>& image,
                                      const Program_Description& program);
