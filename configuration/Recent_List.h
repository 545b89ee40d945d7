#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The list of recent configurations as it is kept: one absolute path a line, the newest first.
inline constexpr std::size_t Recent_List_Bytes = 65536; // read at most; a list of four is far less

// The usable entries of a kept list, at most `limit`: a list damaged or written by something
// else (binary bytes, relative names, overlong lines, repeats) gives only the lines that are
// absolute paths of printable bytes, once each, so the menu never offers a broken entry.
std::vector<std::string> Recent_Entries(const std::string& text, std::size_t limit);
