#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads an EEPROM image file compiled earlier, never more than the EEPROM's size. False, with a
// one-line reason in `error`, when the path is missing, is not a regular file, is not exactly
// the EEPROM's size or cannot be read.
bool Read_EEPROM_Image(const std::string& path, std::vector<std::uint8_t>& image,
                       std::string& error);
