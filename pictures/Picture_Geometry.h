#pragma once

#include "Picture_Types.h"

// The luma of every source pixel laid over white: each channel becomes
// c * a / 255 + 255 * (1 - a / 255), then luma = 0.299 R + 0.587 G + 0.114 B.
Grey_Picture Flatten_On_White(const Rgba_View& source);

// Lays the source on a display of width x height as the mode says; display pixels the source
// does not cover are white (255). Scaling is area averaging in both directions: a display pixel
// takes the mean of the source area it covers, source pixels cut by its edges weighted by the
// part inside. A factor of 1 or a whole factor up copies values exactly, and halving averages
// pairs. Centring puts the smaller half of any padding or crop on the left and at the top.
Grey_Picture Lay_On_Display(const Grey_Picture& source, int width, int height, Scale_Mode mode);
