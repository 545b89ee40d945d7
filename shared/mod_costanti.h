#pragma once

#include <cstddef>
#include <cstdint>

// Sizes and texts that both programs share.

inline constexpr int Slots_Per_Table = 4;
inline constexpr std::size_t EEPROM_Size = 65536;

inline constexpr std::size_t Font_5x8_Address = 0x8000;
inline constexpr std::size_t Font_10x16_Low_Address = 0x8005;
inline constexpr std::size_t Font_10x16_High_Address = 0x800F;

inline constexpr const char* Default_128x64 = "Sfondo_Bianco_128x64.bmp";
inline constexpr const char* Default_240x64 = "Sfondo_Bianco_240x64.bmp";
inline constexpr const char* Default_240x128 = "Sfondo_Bianco_240x128.bmp";

inline constexpr const char* Title_Error = "ERROR";
inline constexpr const char* Title_Warning = "WARNING";
inline constexpr const char* Title_Error_RS232 = "ERROR RS232";

inline constexpr const char* CR_LF = "\r\n";
