#pragma once

#include "Lit_Picture.h"

// The picture boxes of the main window, addressed by model index (position in the program's
// model list) and slot index 0 to 3. They show a picture the bitmap reader has made, so what a
// box shows is what the unit will show.
class Picture_Boxes {
  public:
    virtual ~Picture_Boxes() = default;
    virtual void Show_Picture(int model_index, int slot, const Lit_Picture& picture) = 0;
};

// For tools without windows: nothing is shown.
class No_Picture_Boxes : public Picture_Boxes {
  public:
    void Show_Picture(int, int, const Lit_Picture&) override {}
};
