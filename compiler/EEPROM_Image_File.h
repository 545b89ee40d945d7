#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads an EEPROM image file compiled earlier. False, with the reason in `error`, when the file
// cannot be read or is not exactly the EEPROM's size.
bool Read_EEPROM_Image(const std::string& path, std::vector<std::uint8_t>& image,
                       std::string& error);
