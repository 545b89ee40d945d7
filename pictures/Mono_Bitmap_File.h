#pragma once

#include "Lit_Picture.h"
#include "Picture_Types.h"

#include <cstdint>
#include <vector>

// The file form the bitmap choice accepts and the compiler reads: a 14-byte file header, a
// 40-byte information header and a two-entry palette (index 0 black, index 1 white), so the
// pixels start at byte 62; rows bottom-up, each padded with zero bits to a multiple of 4 bytes;
// a lit pixel is black, colour index 0, a clear bit.
std::vector<std::uint8_t> Mono_Bitmap_Bytes(const Lit_Picture& picture);
