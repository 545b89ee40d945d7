#pragma once

#include <cstdint>
#include <string>

// Protocol frames built here, apart from the link code: Bytes("87 00 78") reads hex pairs.
inline std::string Bytes(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 3) {
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return out;
}

// `frame` and the checksum byte that makes all its bytes add up to 0xFF.
inline std::string With_Checksum(std::string frame) {
    unsigned sum = 0;
    for (char c : frame) {
        sum += static_cast<unsigned char>(c);
    }
    return frame + static_cast<char>(0xFF - (sum & 0xFF));
}

// A write request for `data` at any `address`, also one the link would never send.
inline std::string Write_Frame(std::uint32_t address, const std::string& data) {
    std::string head = Bytes("04 84");
    for (int shift = 24; shift >= 0; shift -= 8) {
        head += static_cast<char>(address >> shift);
    }
    return With_Checksum(head + data);
}
