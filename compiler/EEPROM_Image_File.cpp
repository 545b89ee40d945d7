#include "EEPROM_Image_File.h"

#include "mod_costanti.h"

#include <fstream>
#include <iterator>

bool Read_EEPROM_Image(const std::string& path, std::vector<std::uint8_t>& image,
                       std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    image.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        error = "cannot read " + path;
        return false;
    }
    if (image.size() != EEPROM_Size) {
        error = path + " holds " + std::to_string(image.size()) +
                " bytes; an EEPROM image is exactly " + std::to_string(EEPROM_Size) + " bytes";
        return false;
    }
    return true;
}
