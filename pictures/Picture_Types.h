#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A decoded source picture as the image reader hands it over: 4 bytes per pixel in the order
// R, G, B, A (alpha not premultiplied), rows top first, `Stride` bytes from one row to the next.
struct Rgba_View {
    const std::uint8_t* Pixels = nullptr;
    int Width = 0;
    int Height = 0;
    std::size_t Stride = 0;
};

// Brightness per pixel on the luma scale 0 (black) to 255 (white), rows top first. Kept as
// fractions so that averaging and error diffusion lose nothing before the lit decision.
struct Grey_Picture {
    int Width = 0;
    int Height = 0;
    std::vector<float> Luma;

    Grey_Picture() = default;
    Grey_Picture(int width, int height, float fill)
        : Width(width), Height(height), Luma(std::size_t(width) * height, fill) {}
    float& At(int x, int y) { return Luma[std::size_t(y) * Width + x]; }
    float At(int x, int y) const { return Luma[std::size_t(y) * Width + x]; }
};

// How a source is laid on the display; white wherever the source does not reach.
enum class Scale_Mode {
    Fit,     // aspect kept, as large as fits, centred
    Fill,    // aspect kept, covers the display, centred crop
    Stretch, // exactly the display's size
    None,    // source pixels 1:1, centred, cropped or padded
};

enum class Dither_Method { None, Floyd_Steinberg, Atkinson, Bayer };

inline constexpr int Default_Threshold = 128;
inline constexpr int Lowest_Threshold = 1;
inline constexpr int Highest_Threshold = 255;

// Every choice of one conversion. A pixel is lit when its luma is below Threshold, or at or above
// it with Invert; a threshold from 1 to 255 keeps pure black lit and pure white dark.
struct Conversion_Options {
    Scale_Mode Scale = Scale_Mode::Fit;
    int Threshold = Default_Threshold;
    Dither_Method Dither = Dither_Method::None;
    bool Invert = false;
};
