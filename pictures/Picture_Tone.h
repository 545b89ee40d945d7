#pragma once

#include "Lit_Picture.h"
#include "Picture_Types.h"

// Decides for every pixel whether the unit lights it. Without dithering a pixel is lit when its
// luma is below the threshold (at or above it with invert). Error diffusion makes the same
// decision on the luma plus the error carried from earlier pixels, the error being the luma
// minus the level the decision stands for (0 below the threshold, 255 at or above it); rows run
// alternately left to right and right to left. Floyd-Steinberg passes on the whole error,
// Atkinson three quarters of it. Bayer compares each pixel with its cell of an 8x8 ordered
// matrix whose 64 thresholds lie between 0 and 255 around the chosen one, half below it and
// half above, so pure black and pure white stay as they are with every method.
Lit_Picture Apply_Tone(const Grey_Picture& picture, const Conversion_Options& options);

// The whole conversion of a decoded source for a display of width x height: geometry, then tone.
Lit_Picture Convert_Picture(const Grey_Picture& source, int width, int height,
                            const Conversion_Options& options);
