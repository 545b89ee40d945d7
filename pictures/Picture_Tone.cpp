#include "Picture_Tone.h"

#include "Picture_Geometry.h"

#include <array>

namespace {

struct Error_Share {
    int Dx;
    int Dy;
    float Weight;
};

constexpr std::array<Error_Share, 4> Floyd_Steinberg{
    {{1, 0, 7 / 16.0f}, {-1, 1, 3 / 16.0f}, {0, 1, 5 / 16.0f}, {1, 1, 1 / 16.0f}}};
constexpr std::array<Error_Share, 6> Atkinson{{{1, 0, 1 / 8.0f},
                                               {2, 0, 1 / 8.0f},
                                               {-1, 1, 1 / 8.0f},
                                               {0, 1, 1 / 8.0f},
                                               {1, 1, 1 / 8.0f},
                                               {0, 2, 1 / 8.0f}}};

// Ranks 0 to 63 of the 8x8 ordered matrix, built by doubling the 2x2 one.
constexpr std::array<std::array<int, 8>, 8> Bayer_Ranks = [] {
    std::array<std::array<int, 8>, 8> m{};
    for (int size = 1; size < 8; size *= 2) {
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const int r = m[y][x] * 4;
                m[y][x] = r;
                m[y][x + size] = r + 2;
                m[y + size][x] = r + 3;
                m[y + size][x + size] = r + 1;
            }
        }
    }
    return m;
}();

bool Lit(bool high, bool invert) {
    return high == invert;
}

template <std::size_t N>
Lit_Picture Diffuse(const Grey_Picture& picture, const Conversion_Options& options,
                    const std::array<Error_Share, N>& shares) {
    Lit_Picture mono(picture.Width, picture.Height);
    std::vector<float> value = picture.Luma;
    const auto threshold = float(options.Threshold);
    for (int y = 0; y < picture.Height; ++y) {
        const bool backwards = y % 2 == 1;
        for (int i = 0; i < picture.Width; ++i) {
            const int x = backwards ? picture.Width - 1 - i : i;
            const std::size_t at = std::size_t(y) * picture.Width + x;
            const bool high = value[at] >= threshold;
            mono.Lit[at] = Lit(high, options.Invert);
            const float error = value[at] - (high ? 255.0f : 0.0f);
            for (const Error_Share& share : shares) {
                const int tx = x + (backwards ? -share.Dx : share.Dx);
                const int ty = y + share.Dy;
                if (tx >= 0 && tx < picture.Width && ty < picture.Height) {
                    value[std::size_t(ty) * picture.Width + tx] += error * share.Weight;
                }
            }
        }
    }
    return mono;
}

Lit_Picture Ordered(const Grey_Picture& picture, const Conversion_Options& options) {
    // Rank r stands for the fraction p = (r + 0.5) / 64; the lower half of the ranks spreads
    // over (0, threshold), the upper half over (threshold, 255).
    std::array<std::array<float, 8>, 8> cell{};
    const auto t = float(options.Threshold);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const float p = (Bayer_Ranks[y][x] + 0.5f) / 64.0f;
            cell[y][x] = p < 0.5f ? 2 * p * t : t + (2 * p - 1) * (255 - t);
        }
    }
    Lit_Picture mono(picture.Width, picture.Height);
    for (int y = 0; y < picture.Height; ++y) {
        for (int x = 0; x < picture.Width; ++x) {
            mono.Lit[std::size_t(y) * picture.Width + x] =
                Lit(picture.At(x, y) >= cell[y % 8][x % 8], options.Invert);
        }
    }
    return mono;
}

} // namespace

Lit_Picture Apply_Tone(const Grey_Picture& picture, const Conversion_Options& options) {
    switch (options.Dither) {
    case Dither_Method::Floyd_Steinberg:
        return Diffuse(picture, options, Floyd_Steinberg);
    case Dither_Method::Atkinson:
        return Diffuse(picture, options, Atkinson);
    case Dither_Method::Bayer:
        return Ordered(picture, options);
    case Dither_Method::None:
        break;
    }
    Lit_Picture mono(picture.Width, picture.Height);
    const auto threshold = float(options.Threshold);
    for (std::size_t i = 0; i < picture.Luma.size(); ++i) {
        mono.Lit[i] = Lit(picture.Luma[i] >= threshold, options.Invert);
    }
    return mono;
}

Lit_Picture Convert_Picture(const Grey_Picture& source, int width, int height,
                            const Conversion_Options& options) {
    return Apply_Tone(Lay_On_Display(source, width, height, options.Scale), options);
}
