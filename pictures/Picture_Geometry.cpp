#include "Picture_Geometry.h"

#include <algorithm>
#include <cmath>

namespace {

// Where the source goes: the part of the source taken (in source pixels, possibly fractional)
// and the display rectangle it fills.
struct Placement {
    double Source_X = 0, Source_Y = 0, Source_Width = 0, Source_Height = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
};

// a * b / c rounded to the nearest whole number, at least 1.
int Scaled(long long a, long long b, long long c) {
    return int(std::max<long long>(1, (2 * a * b + c) / (2 * c)));
}

Placement Place(int w, int h, int width, int height, Scale_Mode mode) {
    Placement p{0, 0, double(w), double(h), 0, 0, width, height};
    // Comparing w * height with h * width tells which side binds without rounding.
    const long long across = static_cast<long long>(w) * height;
    const long long down = static_cast<long long>(h) * width;
    switch (mode) {
    case Scale_Mode::Stretch:
        break;
    case Scale_Mode::Fit:
        if (across >= down) {
            p.Height = std::min(height, Scaled(h, width, w));
        } else {
            p.Width = std::min(width, Scaled(w, height, h));
        }
        break;
    case Scale_Mode::Fill:
        if (across >= down) {
            p.Source_Width = double(h) * width / height;
            p.Source_X = (w - p.Source_Width) / 2;
        } else {
            p.Source_Height = double(w) * height / width;
            p.Source_Y = (h - p.Source_Height) / 2;
        }
        break;
    case Scale_Mode::None:
        p.Width = w;
        p.Height = h;
        break;
    }
    p.X = (width - p.Width) / 2;
    p.Y = (height - p.Height) / 2;
    return p;
}

// The source pixels that make up each output pixel along one axis, with their weights.
struct Axis_Weights {
    std::vector<int> First; // first source index of output i
    std::vector<int> Begin; // Weights[Begin[i] .. Begin[i + 1]) belong to output i
    std::vector<float> Weights;
};

Axis_Weights Area_Weights(double start, double length, int source_length, int outputs) {
    Axis_Weights axis;
    const double step = length / outputs;
    for (int i = 0; i < outputs; ++i) {
        const double a = start + i * step;
        const double b = start + (i + 1) * step;
        const int first = std::clamp(int(std::floor(a)), 0, source_length - 1);
        const int last = std::clamp(int(std::ceil(b)) - 1, first, source_length - 1);
        axis.First.push_back(first);
        axis.Begin.push_back(int(axis.Weights.size()));
        for (int j = first; j <= last; ++j) {
            const double overlap = std::min(b, j + 1.0) - std::max(a, double(j));
            axis.Weights.push_back(float(std::max(0.0, overlap) / step));
        }
    }
    axis.Begin.push_back(int(axis.Weights.size()));
    return axis;
}

// Copies the source 1:1 with the offset of the placement, cut to the display.
void Copy_Centred(const Grey_Picture& source, const Placement& p, Grey_Picture& display) {
    for (int y = std::max(0, p.Y); y < std::min(display.Height, p.Y + source.Height); ++y) {
        for (int x = std::max(0, p.X); x < std::min(display.Width, p.X + source.Width); ++x) {
            display.At(x, y) = source.At(x - p.X, y - p.Y);
        }
    }
}

void Resample(const Grey_Picture& source, const Placement& p, Grey_Picture& display) {
    const Axis_Weights rows = Area_Weights(p.Source_Y, p.Source_Height, source.Height, p.Height);
    const Axis_Weights columns = Area_Weights(p.Source_X, p.Source_Width, source.Width, p.Width);
    // Rows first, whole source rows at a time, then along each of the few resulting rows.
    std::vector<float> row(std::size_t(source.Width));
    for (int y = 0; y < p.Height; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        for (int k = rows.Begin[y]; k < rows.Begin[y + 1]; ++k) {
            const float weight = rows.Weights[std::size_t(k)];
            const float* in = &source.Luma[std::size_t(rows.First[y] + k - rows.Begin[y]) *
                                           std::size_t(source.Width)];
            for (int x = 0; x < source.Width; ++x) {
                row[std::size_t(x)] += weight * in[x];
            }
        }
        for (int x = 0; x < p.Width; ++x) {
            float sum = 0;
            for (int k = columns.Begin[x]; k < columns.Begin[x + 1]; ++k) {
                sum += columns.Weights[std::size_t(k)] *
                       row[std::size_t(columns.First[x] + k - columns.Begin[x])];
            }
            display.At(p.X + x, p.Y + y) = std::clamp(sum, 0.0f, 255.0f);
        }
    }
}

} // namespace

Grey_Picture Flatten_On_White(const Rgba_View& source) {
    Grey_Picture grey(source.Width, source.Height, 255);
    for (int y = 0; y < source.Height; ++y) {
        const std::uint8_t* in = source.Pixels + std::size_t(y) * source.Stride;
        float* out = &grey.Luma[std::size_t(y) * std::size_t(source.Width)];
        for (int x = 0; x < source.Width; ++x, in += 4) {
            // In thousandths the luma of whole channel values is a whole number, so a grey
            // level g compares with the threshold exactly as g.
            const int luma = 299 * in[0] + 587 * in[1] + 114 * in[2];
            const int alpha = in[3];
            out[x] = alpha == 255 ? float(luma) / 1000.0f
                                  : float(luma * alpha + 255000 * (255 - alpha)) / 255000.0f;
        }
    }
    return grey;
}

Grey_Picture Lay_On_Display(const Grey_Picture& source, int width, int height, Scale_Mode mode) {
    Grey_Picture display(width, height, 255);
    if (source.Width <= 0 || source.Height <= 0 || width <= 0 || height <= 0) {
        return display;
    }
    const Placement p = Place(source.Width, source.Height, width, height, mode);
    if (mode == Scale_Mode::None) {
        Copy_Centred(source, p, display);
    } else {
        Resample(source, p, display);
    }
    return display;
}
