#include "Sim_EEPROM_File.h"

#include "Sim_Unit.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <unistd.h>

std::optional<std::vector<std::uint8_t>> Load_EEPROM(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "module-sim: cannot read " << file << "\n";
        return std::nullopt;
    }
    std::vector<std::uint8_t> image((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (image.size() != Sim_EEPROM_Size) {
        std::cerr << "module-sim: " << file << " holds " << image.size()
                  << " bytes, an EEPROM image holds " << Sim_EEPROM_Size << "\n";
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
