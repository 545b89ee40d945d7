#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads the column values typed for a glyph: exactly `count` values separated by commas, each
// decimal or 0x hex from 0 to `highest`, spaces around them allowed. On anything else returns
// false with the reason, in Italian, in `reason`, and leaves `values` as it was.
bool Parse_Glyph_Values(const std::string& text, int count, std::uint32_t highest,
                        std::vector<std::uint32_t>& values, std::string& reason);
