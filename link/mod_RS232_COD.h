#pragma once

#include <cstddef>
#include <cstdint>

// Commands, lengths and timing of the link to the display unit.
inline constexpr std::uint8_t Cmd_Find_Module = 0x87;
inline constexpr std::uint8_t Cmd_Write_EEPROM = 0x04;
inline constexpr std::uint8_t Cmd_Reset_PIC = 0xFE;

inline constexpr std::uint8_t Write_Payload_Length = 0x84; // 4 address bytes + 128 data bytes

inline constexpr std::uint32_t Reply_Timeout_Ms = 3000;
inline constexpr int Max_Attempts = 3;
inline constexpr std::size_t Block_Size = 128;
inline constexpr std::size_t Block_Count = 65536 / Block_Size;
inline constexpr std::size_t Write_Request_Length = 2 + 4 + Block_Size + 1;

// After a block acknowledged on a retry, the replies its earlier attempts may still get are
// awaited until the line has been silent for Owed_Reply_Quiet_Ms and the block's last request
// left Owed_Reply_Allowance_Ms ago, so a reply up to that late is never taken for the next
// block's. A line that has not settled after Owed_Reply_Limit_Ms fails the block.
inline constexpr std::uint32_t Owed_Reply_Quiet_Ms = 3000;
inline constexpr std::uint32_t Owed_Reply_Allowance_Ms = 6000;
inline constexpr std::uint32_t Owed_Reply_Limit_Ms = 9000;

inline constexpr std::size_t Find_Module_Reply_Length = 7;
inline constexpr std::size_t Acknowledge_Length = 3;
// Rx_Buffer keeps at most what Rx_Count can count; a reply is far shorter.
inline constexpr std::size_t Rx_Buffer_Capacity = 255;
// A longer reply shows this many bytes in the traffic log, then how many more came.
inline constexpr std::size_t Log_Reply_Bytes_Shown = 64;

inline constexpr std::uint32_t Log_Colour_Sent = 0xFF0000; // blue
inline constexpr std::uint32_t Log_Colour_Received = 255;  // red

inline constexpr const char* Line_Settings_Text = "115200,n,8,1";
inline constexpr const char* Link_Failure_First_Line = "Comunicazione seriale interrotta.";
inline constexpr const char* Find_Module_Failure =
    "Impossibile trovare il modulo, verificare la connessione!";
inline constexpr const char* Write_EEPROM_Failure = "Scrittura EEPROM I2C fallita!";
inline constexpr const char* Reset_PIC_Failure = "Impossibile resettare PIC!";
