#include "Glyph_Values.h"

#include <cctype>
#include <optional>

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The number written in decimal or with 0x in hex, or nothing when it is anything else or
// above `highest`.
std::optional<std::uint32_t> Column_Value(const std::string& item, std::uint32_t highest) {
    const bool hex = item.size() > 2 && item[0] == '0' && (item[1] == 'x' || item[1] == 'X');
    const std::string digits = hex ? item.substr(2) : item;
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : digits) {
        const auto u = static_cast<unsigned char>(c);
        if (!(hex ? std::isxdigit(u) : std::isdigit(u))) {
            return std::nullopt;
        }
        const int digit = std::isdigit(u) ? c - '0' : std::tolower(u) - 'a' + 10;
        value = value * (hex ? 16 : 10) + std::uint64_t(digit);
        if (value > highest) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

} // namespace

bool Parse_Glyph_Values(const std::string& text, int count, std::uint32_t highest,
                        std::vector<std::uint32_t>& values, std::string& reason) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        items.push_back(Trimmed(text.substr(start, comma - start)));
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    if (int(items.size()) != count) {
        reason = "Servono " + std::to_string(count) + " valori separati da virgole, non " +
                 std::to_string(items.size()) + ".";
        return false;
    }
    std::vector<std::uint32_t> read;
    for (const std::string& item : items) {
        const auto value = Column_Value(item, highest);
        if (!value) {
            reason = "Valore non valido: \"" + item + "\"; ogni valore va da 0 a " +
                     std::to_string(highest) + ", in decimale o esadecimale con 0x.";
            return false;
        }
        read.push_back(*value);
    }
    values = std::move(read);
    return true;
}
