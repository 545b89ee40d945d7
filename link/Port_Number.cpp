#include "Port_Number.h"

std::optional<std::int16_t> Port_Number_From_Text(const std::string& text) {
    if (text.size() < 4) {
        return std::nullopt;
    }
    const std::string rest = text.substr(3);
    const auto first = rest.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const auto last = rest.find_last_not_of(" \t");
    long value = 0;
    for (char c : rest.substr(first, last - first + 1)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > INT16_MAX) {
            return std::nullopt;
        }
    }
    if (value < 1) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}
