#include "Recent_List.h"

#include <algorithm>
#include <filesystem>

namespace {

constexpr std::size_t Longest_Path = 4096;

bool Usable(const std::string& line) {
    if (line.empty() || line.size() > Longest_Path) {
        return false;
    }
    const bool printable = std::none_of(line.begin(), line.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
    return printable && std::filesystem::path(line).is_absolute();
}

} // namespace

std::vector<std::string> Recent_Entries(const std::string& text, std::size_t limit) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start < text.size() && entries.size() < limit) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(start, end - start);
        if (Usable(line) && std::find(entries.begin(), entries.end(), line) == entries.end()) {
            entries.push_back(line);
        }
        start = end + 1;
    }
    return entries;
}
