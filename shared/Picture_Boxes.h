#pragma once

#include <string>

// The picture boxes of the main window, addressed by model index (position in the program's
// model list) and slot index 0 to 3.
class Picture_Boxes {
  public:
    virtual ~Picture_Boxes() = default;
    // Loads the bitmap file and shows it in the box; false when it cannot be decoded.
    virtual bool Load_Picture(int model_index, int slot, const std::string& path) = 0;
};

// For tools without windows: every load succeeds and nothing is shown.
class No_Picture_Boxes : public Picture_Boxes {
  public:
    bool Load_Picture(int, int, const std::string&) override { return true; }
};
