#pragma once

#include <string>

// One background slot: the bitmap file the compiler reads and the display size it must have.
struct Image_Slot {
    std::string Path;
    std::string Name;
    double Height = 0;
    double Width = 0;

    bool operator==(const Image_Slot&) const = default;
};
