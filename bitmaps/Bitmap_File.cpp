#include "Bitmap_File.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t File_Header_Size = 14;
constexpr std::uint64_t Least_Info_Size = 40;
constexpr std::uint64_t Fields_End = File_Header_Size + Least_Info_Size;
constexpr std::uint64_t Palette_Size = 8; // two entries of blue, green, red and an unused byte

// A little-endian field of up to 4 bytes.
std::uint32_t Field(const std::uint8_t* bytes, int size) {
    std::uint32_t value = 0;
    for (int k = size - 1; k >= 0; --k) {
        value = value * 256 + bytes[k];
    }
    return value;
}

// Brightness of a palette entry (blue, green, red), in thousandths.
std::uint32_t Luma(const std::uint8_t* entry) {
    return 114u * entry[0] + 587u * entry[1] + 299u * entry[2];
}

Bitmap_File Refused(Bitmap_Fault fault, const std::string& reason) {
    Bitmap_File file;
    file.Fault = fault;
    file.Reason = reason;
    return file;
}

Bitmap_File Truncated(std::uint64_t length, std::uint64_t needed) {
    return Refused(Bitmap_Fault::Invalid, "Il file è troncato: contiene " + std::to_string(length) +
                                              " byte, ne servono almeno " + std::to_string(needed) +
                                              ".");
}

const char* const Unreadable_Reason = "Il file non può essere letto.";

// Reads exactly `count` bytes from `at` on; false when the file ends before or the read fails.
bool Read_At(std::ifstream& in, std::uint64_t at, std::uint8_t* bytes, std::size_t count) {
    in.seekg(static_cast<std::streamoff>(at));
    in.read(reinterpret_cast<char*>(bytes), static_cast<std::streamsize>(count));
    return static_cast<bool>(in);
}

// Opens only regular files: opening a pipe would wait for a writer, and a folder or a device
// holds no bitmap.
bool Open_Regular(const std::string& path, std::ifstream& in) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return false;
    }
    in.open(path, std::ios::binary);
    return in.is_open();
}

} // namespace

int Bytes_Per_Row(int width) {
    const int bytes = width / 8;
    return bytes % 4 == 0 ? bytes : (width / 32) * 4 + 4;
}

Bitmap_File Read_Bitmap_Header(const std::string& path, int width, int height) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        return Refused(Bitmap_Fault::Missing, "Il file non esiste.");
    }
    if (status.type() == fs::file_type::directory) {
        return Refused(Bitmap_Fault::Unreadable, "Il percorso indica una cartella, non un file.");
    }
    if (!ec && !fs::is_regular_file(status)) {
        return Refused(Bitmap_Fault::Unreadable,
                       "Il percorso indica un file speciale, non un file normale.");
    }
    const std::uint64_t length = ec ? 0 : fs::file_size(path, ec);
    std::ifstream in;
    std::array<std::uint8_t, Fields_End> head{};
    if (ec || !Open_Regular(path, in) ||
        !Read_At(in, 0, head.data(), std::size_t(std::min(length, Fields_End)))) {
        return Refused(Bitmap_Fault::Unreadable, Unreadable_Reason);
    }

    const std::string needed =
        "serve una bitmap " + std::to_string(width) + "x" + std::to_string(height) + " a 1 bit.";
    if (length == 0) {
        return Refused(Bitmap_Fault::Invalid, "Il file è vuoto; " + needed);
    }
    if (length < 2 || head[0] != 'B' || head[1] != 'M') {
        return Refused(Bitmap_Fault::Invalid, "Il file non è una bitmap; " + needed);
    }
    const std::uint64_t info_size = length >= 18 ? Field(&head[14], 4) : Least_Info_Size;
    if (info_size < Least_Info_Size) {
        return Refused(Bitmap_Fault::Invalid,
                       "Il file è una bitmap di formato non supportato (intestazione di " +
                           std::to_string(info_size) + " byte); " + needed);
    }
    if (length < Fields_End) {
        return Truncated(length, Fields_End);
    }

    const auto file_width = static_cast<std::int32_t>(Field(&head[18], 4));
    const auto stored_height = static_cast<std::int32_t>(Field(&head[22], 4));
    const std::int64_t file_height =
        stored_height < 0 ? -std::int64_t(stored_height) : stored_height;
    const std::uint32_t planes = Field(&head[26], 2);
    const std::uint32_t bits = Field(&head[28], 2);
    const std::uint32_t compression = Field(&head[30], 4);
    std::string found = "Il file è una bitmap " + std::to_string(file_width) + "x" +
                        std::to_string(file_height) + " a " + std::to_string(bits) + " bit";
    if (planes != 1) {
        found += " con " + std::to_string(planes) + " piani di colore";
    }
    if (file_width != width || file_height != height || bits != 1 || planes != 1) {
        return Refused(Bitmap_Fault::Invalid, found + "; " + needed);
    }
    if (stored_height < 0) {
        return Refused(Bitmap_Fault::Invalid,
                       found + " memorizzata dall'alto in basso; serve una bitmap memorizzata dal "
                               "basso in alto.");
    }
    if (compression != 0) {
        return Refused(Bitmap_Fault::Invalid, found + " compressa (compressione " +
                                                  std::to_string(compression) +
                                                  "); serve una bitmap non compressa.");
    }

    const std::uint64_t palette_at = File_Header_Size + info_size;
    const std::uint64_t offset = Field(&head[10], 4);
    if (offset < palette_at + Palette_Size) {
        return Refused(Bitmap_Fault::Invalid,
                       "Il file è danneggiato: i pixel iniziano al byte " + std::to_string(offset) +
                           ", dentro intestazione e tavolozza, che finiscono al byte " +
                           std::to_string(palette_at + Palette_Size) + ".");
    }
    const std::uint64_t pixels_end = offset + std::uint64_t(height) * Bytes_Per_Row(width);
    if (pixels_end > length) {
        return Truncated(length, pixels_end);
    }
    std::array<std::uint8_t, Palette_Size> palette{};
    if (!Read_At(in, palette_at, palette.data(), palette.size())) {
        return Refused(Bitmap_Fault::Unreadable, Unreadable_Reason);
    }

    Bitmap_File file;
    file.Pixel_Offset = static_cast<std::uint32_t>(offset);
    file.Width = width;
    file.Height = height;
    file.Index_1_Lit = Luma(&palette[4]) < Luma(&palette[0]);
    return file;
}

bool Read_Bitmap_Pixels(const std::string& path, Bitmap_File& file,
                        std::vector<std::uint8_t>& rows) {
    const auto row_bytes = std::size_t(Bytes_Per_Row(file.Width));
    std::vector<std::uint8_t> stored(row_bytes * std::size_t(file.Height));
    std::ifstream in;
    if (!Open_Regular(path, in) || !Read_At(in, file.Pixel_Offset, stored.data(), stored.size())) {
        file.Fault = Bitmap_Fault::Unreadable;
        file.Reason = "Il file non può essere letto per intero.";
        return false;
    }
    // Rows are stored bottom-up; the bits are colour indices.
    const std::uint8_t flip = file.Index_1_Lit ? 0x00 : 0xFF;
    rows.resize(stored.size());
    for (std::size_t r = 0; r < std::size_t(file.Height); ++r) {
        const auto from = stored.begin() + std::ptrdiff_t((file.Height - 1 - r) * row_bytes);
        std::transform(from, from + std::ptrdiff_t(row_bytes),
                       rows.begin() + std::ptrdiff_t(r * row_bytes),
                       [flip](std::uint8_t b) { return static_cast<std::uint8_t>(b ^ flip); });
    }
    return true;
}

std::optional<Lit_Picture> Read_Bitmap_Picture(const std::string& path, int width, int height,
                                               std::string& reason) {
    Bitmap_File file = Read_Bitmap_Header(path, width, height);
    std::vector<std::uint8_t> rows;
    if (!file || !Read_Bitmap_Pixels(path, file, rows)) {
        reason = file.Reason;
        return std::nullopt;
    }
    const auto row_bytes = std::size_t(Bytes_Per_Row(width));
    Lit_Picture picture{"", width, height, std::vector<std::uint8_t>(std::size_t(width) * height)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.Lit[std::size_t(y) * width + x] =
                (rows[std::size_t(y) * row_bytes + std::size_t(x) / 8] >> (7 - x % 8)) & 1;
        }
    }
    return picture;
}
