#pragma once

#include "Temp_Folder.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// A monochrome picture as colour indices (0 or 1), top row first, and a writer for the bitmap
// file form the system reads: 14-byte file header, info header, two-colour palette (black then
// white unless asked otherwise), rows bottom-up padded to 4 bytes.
struct Test_Bitmap {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Index;

    Test_Bitmap(int width, int height, std::uint8_t fill)
        : Width(width), Height(height), Index(std::size_t(width) * height, fill) {}

    std::uint8_t& At(int x, int y) { return Index[std::size_t(y) * Width + x]; }
    std::uint8_t At(int x, int y) const { return Index[std::size_t(y) * Width + x]; }

    static Test_Bitmap Random(int width, int height, unsigned seed) {
        Test_Bitmap bitmap(width, height, 0);
        std::mt19937 random(seed);
        for (auto& v : bitmap.Index) {
            v = random() & 1;
        }
        return bitmap;
    }
};

struct Bmp_Form {
    int Bits_Per_Pixel = 1;
    int Planes = 1;
    bool Top_Down = false;
    std::uint32_t Compression = 0;
    std::uint32_t Info_Size = 40;   // 108 and 124 for the later header versions
    bool White_First = false;       // palette light colour first, as many editors write white first
    std::uint32_t Dark = 0x000000;  // 0xRRGGBB: the colour of index 0 unless White_First
    std::uint32_t Light = 0xFFFFFF; // 0xRRGGBB
    std::size_t Extra_Header = 0;   // bytes between palette and pixel array
    std::size_t Trailing = 0;       // bytes after the pixel array (profiles, metadata)
    std::uint8_t Padding_Byte = 0xA5; // row padding, never a pixel
};

inline void Put_Le(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value,
                   int size) {
    for (int k = 0; k < size; ++k) {
        bytes[at + k] = static_cast<std::uint8_t>(value >> (8 * k));
    }
}

inline std::vector<std::uint8_t> Bmp_Bytes(const Test_Bitmap& bitmap, const Bmp_Form& form = {}) {
    const int stride = (bitmap.Width + 31) / 32 * 4;
    const std::size_t pixels = std::size_t(stride) * bitmap.Height;
    const std::size_t palette = 14 + form.Info_Size;
    const std::size_t header = palette + 8 + form.Extra_Header;
    std::vector<std::uint8_t> bytes(header + pixels, 0);
    bytes.resize(header + pixels + form.Trailing, 0x5A);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put_Le(bytes, 2, static_cast<std::uint32_t>(bytes.size()), 4);
    Put_Le(bytes, 10, static_cast<std::uint32_t>(header), 4);
    Put_Le(bytes, 14, form.Info_Size, 4);
    Put_Le(bytes, 18, static_cast<std::uint32_t>(bitmap.Width), 4);
    Put_Le(bytes, 22, static_cast<std::uint32_t>(form.Top_Down ? -bitmap.Height : bitmap.Height),
           4);
    Put_Le(bytes, 26, static_cast<std::uint32_t>(form.Planes), 2);
    Put_Le(bytes, 28, static_cast<std::uint32_t>(form.Bits_Per_Pixel), 2);
    Put_Le(bytes, 30, form.Compression, 4);
    Put_Le(bytes, 34, static_cast<std::uint32_t>(pixels), 4);
    Put_Le(bytes, 46, 2, 4);
    Put_Le(bytes, palette + (form.White_First ? 4 : 0), form.Dark, 4);
    Put_Le(bytes, palette + (form.White_First ? 0 : 4), form.Light, 4);
    for (int y = 0; y < bitmap.Height; ++y) {
        const int stored = form.Top_Down ? y : bitmap.Height - 1 - y;
        std::uint8_t* row = bytes.data() + header + std::size_t(stored) * stride;
        for (int b = bitmap.Width / 8; b < stride; ++b) {
            row[b] = form.Padding_Byte;
        }
        for (int x = 0; x < bitmap.Width; ++x) {
            if (bitmap.At(x, y)) {
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return bytes;
}

inline void Write_Bmp(const std::string& path, const Test_Bitmap& bitmap,
                      const Bmp_Form& form = {}) {
    Write_File(path, Bmp_Bytes(bitmap, form));
}
