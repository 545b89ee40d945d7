#include "Frame_Builder.h"
#include "mod_RS232.h"

#include <gtest/gtest.h>

#include <numeric>

TEST(Frames, Requests_Are_Byte_Exact) {
    EXPECT_EQ(Find_Module_Request(), Bytes("87 00 78"));
    EXPECT_EQ(Reset_PIC_Request(), Bytes("FE 00 01"));
    std::vector<std::uint8_t> image(65536);
    EXPECT_EQ(Write_Block_Request(image, 511),
              Bytes("04 84 00 00 FF 80") + std::string(128, '\0') + Bytes("F8"));
    // Data bytes in order from the block's own address.
    std::iota(image.begin(), image.end(), std::uint8_t{0});
    EXPECT_EQ(Write_Block_Request(image, 3),
              Write_Frame(384, std::string(image.begin() + 384, image.begin() + 512)));
}

TEST(Frames, Reply_Test_Reads_Echo_And_Checksum_Of_The_First_Bytes) {
    EXPECT_TRUE(Reply_Valid(With_Checksum(Bytes("87 04 41 42 43 44")), 0x87, 7));
    EXPECT_TRUE(Reply_Valid(With_Checksum(Bytes("87 FF 00 80 FF 7F")) + Bytes("00 11"), 0x87, 7));
    EXPECT_FALSE(Reply_Valid(With_Checksum(Bytes("88 04 41 42 43 44")), 0x87, 7));
    EXPECT_FALSE(Reply_Valid(With_Checksum(Bytes("87 04 41 42 43")), 0x87, 7));
    EXPECT_FALSE(Reply_Valid(Bytes("04 00 FA"), Cmd_Write_EEPROM, 3));
    EXPECT_FALSE(Reply_Valid(Bytes("05 00 FA"), Cmd_Write_EEPROM, 3));
    EXPECT_TRUE(Reply_Valid(Bytes("FE 00 01"), Cmd_Reset_PIC, 3));
    EXPECT_FALSE(Reply_Valid(Bytes("04 00 FB"), Cmd_Reset_PIC, 3));

    // Only valid replies count, wherever stray bytes put them; a tail that may still become one
    // is kept.
    const struct {
        std::string Received;
        std::size_t Replies;
        std::string Left;
    } takes[] = {
        {Bytes("04 00 FB 04 12 34"), 1, Bytes("12 34")},
        {Bytes("5A A5 3C 04 00 FB 04 00"), 1, Bytes("04 00")},
        {Bytes("04 00 FA 04 00 FB 04 07 F4"), 2, ""},
        {Bytes("04 00 FA 05 00 FA"), 0, Bytes("00 FA")},
        {With_Checksum(Bytes("87 00 04 00 FB 04")), 1, Bytes("04 75")},
    };
    for (const auto& t : takes) {
        std::string received = t.Received;
        EXPECT_EQ(Take_Valid_Replies(received, Cmd_Write_EEPROM, 3), t.Replies);
        EXPECT_EQ(received, t.Left);
    }
}

TEST(Frames, Log_Lines_Show_Two_Upper_Case_Digits_For_Each_Of_The_First_64_Bytes) {
    EXPECT_EQ(Log_Line(Bytes("00 0A 7F FF")), "0x00; 0x0A; 0x7F; 0xFF\r\n");
    EXPECT_EQ(Log_Line(""), "\r\n");
    const std::string bytes(255, '\xA5');
    const std::string shown = Log_Line(bytes.substr(0, 64));
    EXPECT_EQ(Reply_Log_Line(bytes.substr(0, 64), 64), shown);
    EXPECT_EQ(Reply_Log_Line(bytes, 5000),
              shown.substr(0, shown.size() - 2) + " ... (+4936 bytes)\r\n");
}
