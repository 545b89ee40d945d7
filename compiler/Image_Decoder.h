#pragma once

#include "Lit_Picture.h"
#include "Model_Descriptor.h"

#include <cstdint>
#include <string>
#include <vector>

// Reads the pictures of every slot of the program's models, then its glyphs when it has them,
// back out of a 65,536-byte image; an image of any other size gives none.
std::vector<Lit_Picture> Decode_Image(const std::vector<std::uint8_t>& image,
                                      const Program_Description& program);
