#pragma once

#include "Model_Descriptor.h"
#include "mod_Structure_UDT.h"
#include "mod_costanti.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The slots of one display model, indices 0 to 3.
struct Image_Table {
    const Model_Descriptor* Model = nullptr;
    std::array<Image_Slot, Slots_Per_Table> Slots;
};

// Pixel rows of the last bitmap read: Rows x Bytes_Per_Row bytes, top row first.
struct Bitmap_Grid {
    int Rows = 0;
    int Bytes_Per_Row = 0;
    std::vector<std::uint8_t> Bytes;

    std::uint8_t At(int row, int byte) const {
        return Bytes[std::size_t(row) * Bytes_Per_Row + byte];
    }
};

// Everything one program instance keeps for its whole run. Created by the program's entry (or a
// test) and handed down by reference; nothing of it is saved.
struct Program_Data {
    explicit Program_Data(const Program_Description& program);

    const Program_Description& Program;
    std::vector<Image_Table> Tables; // one per model, in the program's model order
    std::string Defaults_Folder;     // where the start-up found the default backgrounds

    std::array<std::uint8_t, 5> Font_5x8_Columns{};
    std::array<double, 10> Font_10x16_Columns{};

    std::vector<std::uint8_t> EEPROM_Image;

    // Working buffers of the compiler, kept between compiles.
    Bitmap_Grid Bitmap_Rows;
    std::vector<std::uint8_t> Packed_Image;

    std::string Rx_Buffer;
    std::uint8_t Rx_Count = 0;
    bool Stop_Request = false;
};
