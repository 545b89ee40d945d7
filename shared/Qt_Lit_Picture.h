#pragma once

#include "Lit_Picture.h"

#include <QImage>

// The picture as the preview files and the picture boxes both draw it: lit pixels black on
// white, each pixel a square of `scale` by `scale`.
QImage Lit_Picture_Image(const Lit_Picture& picture, int scale = 1);
