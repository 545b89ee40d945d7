#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class Parity { None, Even, Odd, Mark, Space };

// How a serial line runs, as a text like "115200,n,8,1" gives it: baud rate, parity letter, data
// bits and stop bits.
struct Line_Settings {
    std::uint32_t Baud = 0;
    Parity Parity_Bit = Parity::None;
    int Data_Bits = 0; // 5 to 8
    int Stop_Bits = 0; // 1 or 2

    bool operator==(const Line_Settings&) const = default;
};

struct Line_Settings_Parse {
    std::optional<Line_Settings> Settings; // when the text is valid
    std::string Reason;                    // why it is not, in English, for the command line
};

// Four fields separated by commas, blanks around each allowed: a baud rate of 1 to 9 digits above
// zero, a parity letter n, e, o, m or s in either case, 5 to 8 data bits and 1 or 2 stop bits.
Line_Settings_Parse Parse_Line_Settings(std::string_view text);

// The text that Parse_Line_Settings reads back as `settings`, with a lower-case parity letter.
std::string Settings_Text(const Line_Settings& settings);
