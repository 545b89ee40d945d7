#include "EEPROM_Image_File.h"

#include "Atomic_File.h"
#include "mod_costanti.h"

#include <filesystem>
#include <fstream>

bool Read_EEPROM_Image(const std::string& path, std::vector<std::uint8_t>& image,
                       std::string& error) {
    // Type and size are checked before the first byte is read, so that a device, a pipe or a
    // folder is refused instead of being read without end (or throwing from the stream).
    if (const File_Failure refused = Check_Input_File(path); refused.Failed()) {
        error = English_Text(refused);
        return false;
    }
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        error = "cannot read " + path;
        return false;
    }
    if (size != EEPROM_Size) {
        error = path + " holds " + std::to_string(size) + " bytes; an EEPROM image is exactly " +
                std::to_string(EEPROM_Size) + " bytes";
        return false;
    }
    image.assign(EEPROM_Size, 0);
    std::ifstream file(path, std::ios::binary);
    file.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size()));
    if (!file || file.gcount() != static_cast<std::streamsize>(image.size())) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}
