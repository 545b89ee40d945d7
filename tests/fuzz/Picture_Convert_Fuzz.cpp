#include "Fuzz_Input_File.h"
#include "Mono_Bitmap_File.h"
#include "Picture_Geometry.h"
#include "Picture_Tone.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Displays of every model, and a few odd ones to reach the edges of the scaling.
constexpr int Displays[][2] = {{128, 64}, {240, 64}, {240, 128}, {1, 1}, {7, 300}};

Grey_Picture Raw(const std::uint8_t* bytes, std::size_t size) {
    const int width = 1 + bytes[0] % 64;
    const int height = 1 + bytes[1] % 64;
    std::vector<std::uint8_t> rgba(std::size_t(width) * height * 4, 0xFF);
    const std::size_t given = std::min(rgba.size(), size - 2);
    std::copy(bytes + 2, bytes + 2 + given, rgba.begin());
    return Flatten_On_White({rgba.data(), width, height, std::size_t(width) * 4});
}

} // namespace

// The input as one set of choices, four bytes of options (display, scale, dither and invert,
// threshold), then the source as decoded pixels: two bytes of size and RGBA pixels. Every
// conversion must give exactly the display's pixels, and pure black and white must come out as
// they went in.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 6) {
        return 0;
    }
    const auto& display = Displays[bytes[0] % std::size(Displays)];
    Conversion_Options options;
    options.Scale = static_cast<Scale_Mode>(bytes[1] % 4);
    options.Dither = static_cast<Dither_Method>((bytes[2] >> 1) % 4);
    options.Invert = bytes[2] & 1;
    options.Threshold = Lowest_Threshold + bytes[3] % (Highest_Threshold - Lowest_Threshold + 1);
    const Grey_Picture source = Raw(bytes + 4, size - 4);
    const int width = source.Width;
    const int height = source.Height;
    const Lit_Picture shown = Convert_Picture(source, display[0], display[1], options);
    if (shown.Width != display[0] || shown.Height != display[1] ||
        shown.Lit.size() != std::size_t(display[0]) * display[1]) {
        Fuzz_Fail("a conversion does not have the display's size");
    }
    if (options.Scale == Scale_Mode::Stretch) {
        bool black_and_white = true;
        for (float luma : source.Luma) {
            black_and_white = black_and_white && (luma == 0.0f || luma == 255.0f);
        }
        if (black_and_white && width == display[0] && height == display[1]) {
            for (std::size_t i = 0; i < shown.Lit.size(); ++i) {
                if ((shown.Lit[i] != 0) != ((source.Luma[i] == 0.0f) != options.Invert)) {
                    Fuzz_Fail("a black-and-white source at the display's size was changed");
                }
            }
        }
    }
    const std::vector<std::uint8_t> file = Mono_Bitmap_Bytes(shown);
    const std::size_t row = ((std::size_t(display[0]) + 31) / 32) * 4;
    if (file.size() != 62 + row * display[1]) {
        Fuzz_Fail("a bitmap file of the wrong length");
    }
    return 0;
}
