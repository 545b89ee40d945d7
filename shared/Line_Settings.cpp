#include "Line_Settings.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

constexpr std::string_view Parity_Letters = "neoms"; // in the order of Parity

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Nine digits at most, so that every value fits the baud rate.
std::optional<std::uint32_t> Whole_Number(std::string_view text) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + std::uint32_t(c - '0');
    }
    return value;
}

std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        fields.push_back(Trimmed(text.substr(start, comma - start)));
        if (comma == std::string_view::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

} // namespace

Line_Settings_Parse Parse_Line_Settings(std::string_view text) {
    const auto refused = [text](const char* why) {
        return Line_Settings_Parse{std::nullopt, "settings \"" + std::string(text) + "\": " + why};
    };
    const std::vector<std::string_view> fields = Fields(text);
    const auto baud = fields.size() == 4 ? Whole_Number(fields[0]) : std::nullopt;
    if (!baud || *baud == 0) {
        return refused("expected baud,parity,data bits,stop bits");
    }
    const auto letter =
        fields[1].size() == 1
            ? Parity_Letters.find(char(std::tolower(static_cast<unsigned char>(fields[1][0]))))
            : std::string_view::npos;
    if (letter == std::string_view::npos) {
        return refused("parity must be n, e, o, m or s");
    }
    const auto data_bits = Whole_Number(fields[2]);
    if (!data_bits || *data_bits < 5 || *data_bits > 8) {
        return refused("data bits must be 5 to 8");
    }
    const auto stop_bits = Whole_Number(fields[3]);
    if (!stop_bits || (*stop_bits != 1 && *stop_bits != 2)) {
        return refused("stop bits must be 1 or 2");
    }
    return {Line_Settings{*baud, Parity(letter), int(*data_bits), int(*stop_bits)}, {}};
}

std::string Settings_Text(const Line_Settings& settings) {
    return std::to_string(settings.Baud) + ',' + Parity_Letters[std::size_t(settings.Parity_Bit)] +
           ',' + std::to_string(settings.Data_Bits) + ',' + std::to_string(settings.Stop_Bits);
}
