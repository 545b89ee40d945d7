#include "Mono_Bitmap_File.h"

namespace {

constexpr std::size_t Pixel_Offset = 62;
constexpr std::uint32_t Pixels_Per_Metre = 2835; // 72 dots per inch

void Put(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, int size) {
    for (int k = 0; k < size; ++k) {
        bytes[at + std::size_t(k)] = static_cast<std::uint8_t>(value >> (8 * k));
    }
}

} // namespace

std::vector<std::uint8_t> Mono_Bitmap_Bytes(const Lit_Picture& picture) {
    const std::size_t stride = (std::size_t(picture.Width) + 31) / 32 * 4;
    const std::size_t pixels = stride * std::size_t(picture.Height);
    std::vector<std::uint8_t> bytes(Pixel_Offset + pixels, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put(bytes, 2, std::uint32_t(bytes.size()), 4);
    Put(bytes, 10, std::uint32_t(Pixel_Offset), 4);
    Put(bytes, 14, 40, 4);
    Put(bytes, 18, std::uint32_t(picture.Width), 4);
    Put(bytes, 22, std::uint32_t(picture.Height), 4);
    Put(bytes, 26, 1, 2); // planes
    Put(bytes, 28, 1, 2); // bits per pixel
    Put(bytes, 34, std::uint32_t(pixels), 4);
    Put(bytes, 38, Pixels_Per_Metre, 4);
    Put(bytes, 42, Pixels_Per_Metre, 4);
    Put(bytes, 46, 2, 4);          // colours in the palette
    Put(bytes, 58, 0x00FFFFFF, 4); // entry 1 white after entry 0 black
    for (int y = 0; y < picture.Height; ++y) {
        std::uint8_t* row = &bytes[Pixel_Offset + std::size_t(picture.Height - 1 - y) * stride];
        for (int x = 0; x < picture.Width; ++x) {
            if (!picture.At(x, y)) {
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return bytes;
}
