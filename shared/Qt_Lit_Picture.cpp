#include "Qt_Lit_Picture.h"

QImage Lit_Picture_Image(const Lit_Picture& picture, int scale) {
    QImage image(picture.Width * scale, picture.Height * scale, QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            line[x] = picture.At(x / scale, y / scale) ? 0 : 255;
        }
    }
    return image;
}
