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
// The first read takes the headers and the palette of every header version up to the 124-byte
// one, so the usual file needs one read before its pixels.
constexpr std::uint64_t Head_Size = File_Header_Size + 124 + Palette_Size;

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

// Checks the header and the palette; on success `in` is left open for the pixel read.
Bitmap_File Open_Bitmap(const std::string& path, int width, int height, std::ifstream& in) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        return Refused(Bitmap_Fault::Missing, "Il file non esiste.");
    }
    if (status.type() == fs::file_type::directory) {
        return Refused(Bitmap_Fault::Unreadable, "Il percorso indica una cartella, non un file.");
    }
    // Opening a pipe would wait for a writer, and a device holds no bitmap.
    if (!ec && !fs::is_regular_file(status)) {
        return Refused(Bitmap_Fault::Unreadable,
                       "Il percorso indica un file speciale, non un file normale.");
    }
    if (!ec) {
        // Every read is of a known size at a known place: no buffer to fill in between.
        in.rdbuf()->pubsetbuf(nullptr, 0);
        in.open(path, std::ios::binary);
    }
    if (!in.is_open()) {
        return Refused(Bitmap_Fault::Unreadable, Unreadable_Reason);
    }
    // The first read may meet the end of a short file; the length tells how much it got.
    std::array<std::uint8_t, Head_Size> head{};
    in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
    in.clear();
    const std::streamoff end = in.rdbuf()->pubseekoff(0, std::ios::end);
    if (end < 0) {
        return Refused(Bitmap_Fault::Unreadable, Unreadable_Reason);
    }
    const auto length = static_cast<std::uint64_t>(end);
    const auto needed = [&] {
        return "serve una bitmap " + std::to_string(width) + "x" + std::to_string(height) +
               " a 1 bit.";
    };
    if (length == 0) {
        return Refused(Bitmap_Fault::Invalid, "Il file è vuoto; " + needed());
    }
    if (length < 2 || head[0] != 'B' || head[1] != 'M') {
        return Refused(Bitmap_Fault::Invalid, "Il file non è una bitmap; " + needed());
    }
    const std::uint64_t info_size = length >= 18 ? Field(&head[14], 4) : Least_Info_Size;
    if (info_size < Least_Info_Size) {
        return Refused(Bitmap_Fault::Invalid,
                       "Il file è una bitmap di formato non supportato (intestazione di " +
                           std::to_string(info_size) + " byte); " + needed());
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
    const auto found = [&] {
        return "Il file è una bitmap " + std::to_string(file_width) + "x" +
               std::to_string(file_height) + " a " + std::to_string(bits) + " bit" +
               (planes != 1 ? " con " + std::to_string(planes) + " piani di colore" : "");
    };
    if (file_width != width || file_height != height || bits != 1 || planes != 1) {
        return Refused(Bitmap_Fault::Invalid, found() + "; " + needed());
    }
    if (stored_height < 0) {
        return Refused(Bitmap_Fault::Invalid,
                       found() +
                           " memorizzata dall'alto in basso; serve una bitmap memorizzata dal "
                           "basso in alto.");
    }
    if (compression != 0) {
        return Refused(Bitmap_Fault::Invalid, found() + " compressa (compressione " +
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
    if (palette_at + Palette_Size <= Head_Size) {
        std::copy_n(head.begin() + std::ptrdiff_t(palette_at), Palette_Size, palette.begin());
    } else if (!Read_At(in, palette_at, palette.data(), palette.size())) {
        return Refused(Bitmap_Fault::Unreadable, Unreadable_Reason);
    }

    Bitmap_File file;
    file.Pixel_Offset = static_cast<std::uint32_t>(offset);
    file.Index_1_Lit = Luma(&palette[4]) < Luma(&palette[0]);
    return file;
}

} // namespace

int Bytes_Per_Row(int width) {
    const int bytes = width / 8;
    return bytes % 4 == 0 ? bytes : (width / 32) * 4 + 4;
}

Bitmap_File Read_Bitmap_Header(const std::string& path, int width, int height) {
    std::ifstream in;
    return Open_Bitmap(path, width, height, in);
}

Bitmap_File Read_Bitmap_File(const std::string& path, int width, int height,
                             std::vector<std::uint8_t>& rows) {
    std::ifstream in;
    Bitmap_File file = Open_Bitmap(path, width, height, in);
    if (!file) {
        return file;
    }
    const auto row_bytes = std::size_t(Bytes_Per_Row(width));
    rows.resize(row_bytes * std::size_t(height));
    if (!Read_At(in, file.Pixel_Offset, rows.data(), rows.size())) {
        rows.clear();
        return Refused(Bitmap_Fault::Unreadable, "Il file non può essere letto per intero.");
    }
    // Rows are stored bottom-up; the bits are colour indices.
    for (std::size_t top = 0, bottom = std::size_t(height) - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(rows.begin() + std::ptrdiff_t(top * row_bytes),
                         rows.begin() + std::ptrdiff_t((top + 1) * row_bytes),
                         rows.begin() + std::ptrdiff_t(bottom * row_bytes));
    }
    if (!file.Index_1_Lit) {
        for (std::uint8_t& byte : rows) {
            byte = static_cast<std::uint8_t>(~byte);
        }
    }
    return file;
}

Bitmap_Picture Read_Bitmap_Picture(const std::string& path, int width, int height) {
    std::vector<std::uint8_t> rows;
    Bitmap_Picture read{Read_Bitmap_File(path, width, height, rows), {}};
    if (!read) {
        return read;
    }
    const auto row_bytes = std::size_t(Bytes_Per_Row(width));
    read.Picture = Lit_Picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            read.Picture.Lit[std::size_t(y) * width + x] =
                (rows[std::size_t(y) * row_bytes + std::size_t(x) / 8] >> (7 - x % 8)) & 1;
        }
    }
    return read;
}
