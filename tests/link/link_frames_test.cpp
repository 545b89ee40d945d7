#include "Link_Rig.h"

#include <numeric>

namespace {

std::string Block_Frame(const std::string& address_hex, char fill, const std::string& checksum) {
    return Bytes("04 84 " + address_hex) + std::string(128, fill) + Bytes(checksum);
}

} // namespace

TEST(Frames, Requests_Are_Byte_Exact) {
    EXPECT_EQ(Find_Module_Request(), Bytes("87 00 78"));
    EXPECT_EQ(Reset_PIC_Request(), Bytes("FE 00 01"));

    const std::vector<std::uint8_t> zeros(65536, 0);
    EXPECT_EQ(Write_Block_Request(zeros, 0), Block_Frame("00 00 00 00", '\0', "77"));
    EXPECT_EQ(Write_Block_Request(zeros, 1), Block_Frame("00 00 00 80", '\0', "F7"));
    EXPECT_EQ(Write_Block_Request(zeros, 511), Block_Frame("00 00 FF 80", '\0', "F8"));

    // Data bytes in order from the block's own address; the whole frame adds up to 0xFF.
    std::vector<std::uint8_t> image(65536);
    std::iota(image.begin(), image.end(), std::uint8_t{0});
    const std::string block = Write_Block_Request(image, 3);
    ASSERT_EQ(block.size(), Write_Request_Length);
    EXPECT_EQ(block.substr(2, 4), Bytes("00 00 01 80"));
    for (std::size_t i = 0; i < Block_Size; ++i) {
        EXPECT_EQ(static_cast<std::uint8_t>(block[6 + i]), image[384 + i]);
    }
    unsigned sum = 0;
    for (char c : block) {
        sum += static_cast<std::uint8_t>(c);
    }
    EXPECT_EQ(sum % 256, 0xFFu);
}

TEST(Frames, Reply_Test_Reads_Echo_And_Checksum_Of_The_First_Bytes) {
    EXPECT_TRUE(Reply_Valid(With_Checksum(Bytes("87 04 41 42 43 44")), 0x87, 7));
    EXPECT_TRUE(Reply_Valid(With_Checksum(Bytes("87 FF 00 80 FF 7F")), 0x87, 7));
    EXPECT_FALSE(Reply_Valid(With_Checksum(Bytes("88 04 41 42 43 44")), 0x87, 7));
    EXPECT_FALSE(Reply_Valid(With_Checksum(Bytes("87 04 41 42 43")), 0x87, 7));
    EXPECT_TRUE(Reply_Valid(With_Checksum(Bytes("87 04 41 42 43 44")) + Bytes("00 11"), 0x87, 7));

    EXPECT_TRUE(Reply_Valid(Bytes("04 00 FB"), Cmd_Write_EEPROM, 3));
    EXPECT_FALSE(Reply_Valid(Bytes("04 00 FA"), Cmd_Write_EEPROM, 3));
    EXPECT_FALSE(Reply_Valid(Bytes("05 00 FA"), Cmd_Write_EEPROM, 3));
    EXPECT_FALSE(Reply_Valid(Bytes("FE 00 01"), Cmd_Write_EEPROM, 3));
    EXPECT_TRUE(Reply_Valid(Bytes("FE 00 01"), Cmd_Reset_PIC, 3));
    EXPECT_FALSE(Reply_Valid(Bytes("04 00 FB"), Cmd_Reset_PIC, 3));

    // Whole replies with the request's echo, corrupted or not; a late detection reply is none.
    EXPECT_EQ(Replies_Heard(Bytes("04 00 FB 04 00 FA 04 00"), Cmd_Write_EEPROM, 3), 2u);
    EXPECT_EQ(Replies_Heard(With_Checksum(Bytes("87 00 04 00 FB 04")), Cmd_Write_EEPROM, 3), 0u);
}

TEST(Frames, Log_Line_Writes_Two_Upper_Case_Digits_Per_Byte) {
    EXPECT_EQ(Log_Line(Bytes("87 00 78")), "0x87; 0x00; 0x78\r\n");
    EXPECT_EQ(Log_Line(Bytes("00 0A 7F FF")), "0x00; 0x0A; 0x7F; 0xFF\r\n");
    EXPECT_EQ(Log_Line(""), "\r\n");
}

TEST(Frames, Reply_Log_Line_Shows_64_Bytes_Then_The_Count_Of_The_Rest) {
    const std::string bytes(255, '\xA5');
    EXPECT_EQ(Reply_Log_Line(bytes.substr(0, 64), 64), Log_Line(bytes.substr(0, 64)));
    const std::string shown = Log_Line(bytes.substr(0, 64));
    EXPECT_EQ(Reply_Log_Line(bytes.substr(0, 65), 65),
              shown.substr(0, shown.size() - 2) + " ... (+1 bytes)\r\n");
    EXPECT_EQ(Reply_Log_Line(bytes, 5000),
              shown.substr(0, shown.size() - 2) + " ... (+4936 bytes)\r\n");
}

TEST_F(Link_Rig, Receive_Handler_Keeps_Bytes_Only_While_A_Reply_Is_Awaited) {
    port.Pending = {Bytes("87 04")};
    port.Deliver_Next();
    EXPECT_EQ(data.Rx_Count, 0);
    EXPECT_EQ(link.Statistics().Discarded_Bytes, 2u);

    port.Responder = [](const std::string&, std::size_t) {
        return std::vector<std::string>{Bytes("00"), Bytes("80 FF")};
    };
    std::vector<std::pair<std::string, int>> seen;
    Hook = [&] {
        seen.emplace_back(data.Rx_Buffer, data.Rx_Count);
        if (seen.size() == 3) {
            for (int code : {1, 3, 1004, 1008, int{comEventPortLost}}) {
                port.Raise(static_cast<std::int16_t>(code));
            }
            link.Request_Abort();
        }
    };
    EXPECT_FALSE(link.Find_Module());
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, int>>{
                        {"", 0}, {Bytes("00"), 1}, {Bytes("00 80 FF"), 3}}));
    EXPECT_EQ(data.Rx_Buffer, Bytes("00 80 FF"));
    EXPECT_EQ(data.Rx_Count, 3);
    EXPECT_EQ(link.Statistics().Discarded_Bytes, 2u);
}
