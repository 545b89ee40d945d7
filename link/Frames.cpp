#include "Frames.h"
#include "mod_RS232_COD.h"

#include <array>

namespace {

std::uint8_t Byte_At(std::string_view bytes, std::size_t index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

char Char_Of(std::uint32_t value) {
    return static_cast<char>(static_cast<std::uint8_t>(value & 0xFF));
}

std::string Short_Request(std::uint8_t command) {
    std::string frame{Char_Of(command), Char_Of(0)};
    frame += Char_Of(Frame_Checksum(frame));
    return frame;
}

} // namespace

std::uint8_t Frame_Checksum(std::string_view bytes_before) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < bytes_before.size(); ++i) {
        sum += Byte_At(bytes_before, i);
    }
    return static_cast<std::uint8_t>(~sum & 0xFF);
}

std::string Find_Module_Request() {
    return Short_Request(Cmd_Find_Module);
}

std::string Reset_PIC_Request() {
    return Short_Request(Cmd_Reset_PIC);
}

std::string Write_Block_Request(const std::vector<std::uint8_t>& eeprom_image, std::size_t block) {
    const auto address = static_cast<std::uint32_t>(block * Block_Size);
    std::string frame;
    frame.reserve(Write_Request_Length);
    frame += Char_Of(Cmd_Write_EEPROM);
    frame += Char_Of(Write_Payload_Length);
    frame += Char_Of(address >> 24);
    frame += Char_Of(address >> 16);
    frame += Char_Of(address >> 8);
    frame += Char_Of(address);
    for (std::size_t i = 0; i < Block_Size; ++i) {
        frame += Char_Of(eeprom_image[address + i]);
    }
    frame += Char_Of(Frame_Checksum(frame));
    return frame;
}

bool Reply_Valid(std::string_view received, std::uint8_t command, std::size_t length) {
    if (length == 0 || received.size() < length) {
        return false;
    }
    return Byte_At(received, 0) == command &&
           Frame_Checksum(received.substr(0, length - 1)) == Byte_At(received, length - 1);
}

std::size_t Take_Valid_Replies(std::string& received, std::uint8_t command, std::size_t length) {
    std::size_t replies = 0;
    std::size_t at = 0;
    while (length > 0 && at + length <= received.size()) {
        if (Reply_Valid(std::string_view(received).substr(at), command, length)) {
            ++replies;
            at += length;
        } else {
            ++at;
        }
    }
    received.erase(0, at);
    return replies;
}

std::string Reply_Log_Line(std::string_view kept, std::size_t received) {
    if (received <= Log_Reply_Bytes_Shown) {
        return Log_Line(kept);
    }
    std::string line = Log_Line(kept.substr(0, Log_Reply_Bytes_Shown));
    line.resize(line.size() - 2);
    return line + " ... (+" + std::to_string(received - Log_Reply_Bytes_Shown) + " bytes)\r\n";
}

std::string Log_Line(std::string_view frame) {
    static constexpr std::array<char, 16> digits{'0', '1', '2', '3', '4', '5', '6', '7',
                                                 '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
    std::string line;
    line.reserve(frame.size() * 6 + 2);
    for (std::size_t i = 0; i < frame.size(); ++i) {
        line += i == 0 ? "0x" : "; 0x";
        const std::uint8_t byte = Byte_At(frame, i);
        line += digits[byte >> 4];
        line += digits[byte & 0x0F];
    }
    line += "\r\n";
    return line;
}
