#include "Sim_EEPROM_File.h"

#include "Sim_Unit.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <unistd.h>

std::optional<std::vector<std::uint8_t>> Load_EEPROM(const std::string& file) {
    // Type and size first, so that a device or a pipe is refused instead of read without end.
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    const std::uintmax_t size =
        std::filesystem::is_regular_file(status) ? std::filesystem::file_size(file, ec) : 0;
    if (!std::filesystem::is_regular_file(status) || ec) {
        std::cerr << "module-sim: cannot read " << file << ": not a readable regular file\n";
        return std::nullopt;
    }
    if (size != Sim_EEPROM_Size) {
        std::cerr << "module-sim: " << file << " holds " << size << " bytes, an EEPROM image holds "
                  << Sim_EEPROM_Size << "\n";
        return std::nullopt;
    }
    std::vector<std::uint8_t> image(Sim_EEPROM_Size);
    std::ifstream in(file, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(size))) {
        std::cerr << "module-sim: cannot read " << file << "\n";
        return std::nullopt;
    }
    return image;
}

bool Write_Dump(const std::string& file, const std::vector<std::uint8_t>& eeprom) {
    // A reader of the dump sees the old image or the new one, never half of it.
    const std::string temporary = file + ".tmp-" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(eeprom.data()),
                  static_cast<std::streamsize>(eeprom.size()));
        if (!out.flush()) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
