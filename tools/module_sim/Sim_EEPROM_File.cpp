#include "Sim_EEPROM_File.h"

#include "Sim_Unit.h"

#include <filesystem>
#include <fstream>
#include <iostream>

std::optional<std::vector<std::uint8_t>> Load_EEPROM(const std::string& file) {
    // Type and size first, so that a device or a pipe is refused instead of read without end.
    if (const File_Failure refused = Check_Input_File(file); refused.Failed()) {
        std::cerr << "module-sim: " << English_Text(refused) << "\n";
        return std::nullopt;
    }
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec || size != Sim_EEPROM_Size) {
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

File_Failure Write_Dump(const std::string& file, const std::vector<std::uint8_t>& eeprom) {
    // A reader of the dump sees the old image or the new one, never half of it.
    return Write_File_Atomically(file, eeprom);
}
