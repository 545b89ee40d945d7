#pragma once

#include "Atomic_File.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The EEPROM image as a file: the start image of --load and the dump of --dump.
std::optional<std::vector<std::uint8_t>> Load_EEPROM(const std::string& file);
File_Failure Write_Dump(const std::string& file, const std::vector<std::uint8_t>& eeprom);
