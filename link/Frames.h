#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Frames: one char per byte. The checksum makes all bytes of a frame add up to 0xFF.
std::uint8_t Frame_Checksum(std::string_view bytes_before);
std::string Find_Module_Request();
std::string Write_Block_Request(const std::vector<std::uint8_t>& eeprom_image, std::size_t block);
std::string Reset_PIC_Request();
// At least `length` bytes, the echo in byte 0 and the checksum in byte length-1.
bool Reply_Valid(std::string_view received, std::uint8_t command, std::size_t length);
// Counts the valid replies in `received`, wherever they start, and removes them with every byte
// before and between them; what is left may still become a reply. Bytes that form no valid reply
// are stray: they answer nothing.
std::size_t Take_Valid_Replies(std::string& received, std::uint8_t command, std::size_t length);
// "0x87; 0x00; 0x78\r\n"
std::string Log_Line(std::string_view frame);
// The log line of a reply of which `received` bytes arrived and `kept` holds the first: past
// Log_Reply_Bytes_Shown bytes, those and then " ... (+N bytes)".
std::string Reply_Log_Line(std::string_view kept, std::size_t received);
