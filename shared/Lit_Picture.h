#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A picture as the unit shows it: Lit holds 1 for each pixel the unit lights, row by row from
// the top. The compiled image decodes to these, a bitmap file reads to one and a converted
// source picture comes out as one.
struct Lit_Picture {
    std::string Name; // "64128A_1" ... for slots (number = slot index + 1), "font5x8", "font10x16"
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Lit;

    Lit_Picture() = default;
    // All dark.
    Lit_Picture(int width, int height, std::string name = {})
        : Name(std::move(name)), Width(width), Height(height), Lit(std::size_t(width) * height, 0) {
    }
    bool At(int x, int y) const { return Lit[std::size_t(y) * Width + x] != 0; }
};
