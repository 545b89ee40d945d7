#include "Fake_Window_System.h"
#include "Test_Bitmap.h"
#include "mod_Compilatore.h"

#include <gtest/gtest.h>

#include <random>

namespace {

class Bitmap_Reader : public ::testing::Test {
  protected:
    Temp_Folder folder{"reader"};
    Fake_Window_System ws;
    Program_Data data{Vantrel_Program()};

    std::string Put(const std::vector<std::uint8_t>& bytes) {
        const std::string path = folder / "file.bmp";
        Write_File(path, bytes);
        return path;
    }
};

TEST(Bytes_Per_Row, Rows_Are_Padded_To_Four_Bytes_And_Slot_Sizes_Round_Ties_To_Even) {
    for (const auto& [width, bytes] : {std::pair{128, 16}, std::pair{240, 32}, std::pair{64, 8},
                                       std::pair{96, 12}, std::pair{8, 4}}) {
        EXPECT_EQ(Bytes_Per_Row(width), bytes) << width;
    }
    EXPECT_EQ(Slot_Size(128.0), 128);
    EXPECT_EQ(Slot_Size(63.6), 64);
    EXPECT_EQ(Slot_Size(64.5), 64);
    EXPECT_EQ(Slot_Size(65.5), 66);
    EXPECT_EQ(Slot_Size(239.4), 239);
}

// Rows are read from the end of the file backwards, down to its 62nd byte; what lies before
// that, or before the start of a short file, reads as zero.
TEST_F(Bitmap_Reader, Reads_Files_Of_Any_Length_From_Their_End) {
    std::mt19937 random(7);
    const int sizes[][2] = {{128, 64}, {240, 64}, {240, 128}};
    for (const auto& size : sizes) {
        for (std::size_t length : {0, 30, 61, 62, 63, 1069, 1070, 1086, 1087, 4158, 70000}) {
            std::vector<std::uint8_t> file(length);
            for (auto& byte : file) {
                byte = static_cast<std::uint8_t>(random() % 255 + 1);
            }
            ASSERT_TRUE(Read_Bitmap(data, Put(file), "file.bmp", size[0], size[1], ws));
            const Bitmap_Grid& rows = data.Bitmap_Rows;
            ASSERT_EQ(rows.Rows, size[1]);
            ASSERT_EQ(rows.Bytes_Per_Row, Bytes_Per_Row(size[0]));
            for (int r = 0; r < rows.Rows; ++r) {
                for (int c = 0; c < rows.Bytes_Per_Row; ++c) {
                    const std::int64_t at = std::int64_t(length) -
                                            std::int64_t(r) * rows.Bytes_Per_Row -
                                            (rows.Bytes_Per_Row - c);
                    ASSERT_EQ(rows.At(r, c), at >= 61 ? file[std::size_t(at)] : 0)
                        << size[0] << "x" << size[1] << ", " << length << " bytes, " << r << ":"
                        << c;
                }
            }
        }
    }
    EXPECT_TRUE(ws.Messages.empty());
}

TEST_F(Bitmap_Reader, Takes_The_Last_Rows_Of_The_File_Whatever_The_Header) {
    Test_Bitmap picture = Test_Bitmap::Random(240, 128, 3);
    for (std::size_t extra : {0, 1, 200, 70000}) {
        ASSERT_TRUE(
            Read_Bitmap(data, Put(Bmp_Bytes(picture, {.Extra_Header = extra})), "f", 240, 128, ws));
        for (int y = 0; y < 128; ++y) {
            for (int x = 0; x < 240; ++x) {
                ASSERT_EQ((data.Bitmap_Rows.At(y, x / 8) >> (7 - x % 8)) & 1, picture.At(x, y))
                    << x << "," << y << " extra " << extra;
            }
        }
        EXPECT_EQ(data.Bitmap_Rows.At(0, 30), 0xA5) << "padding is kept in the rows";
    }
}

TEST_F(Bitmap_Reader, Missing_Or_Vanished_File_Is_Reported_By_Its_Slot_Name) {
    data.Bitmap_Rows = {1, 1, {0x42}};
    EXPECT_FALSE(Read_Bitmap(data, folder / "gone.bmp", "Sfondo_Bianco_128x64.bmp", 128, 64, ws));
    // Gone between the existence test and the opening.
    struct Stale_Window_System : Fake_Window_System {
        bool File_Exists(const std::string&) override { return true; }
    } stale;
    EXPECT_FALSE(Read_Bitmap(data, folder / "gone.bmp", "gone.bmp", 128, 64, stale));
    ASSERT_EQ(stale.Messages.size(), 1u);
    ws.Messages.push_back(stale.Messages[0]);
    ASSERT_EQ(ws.Messages.size(), 2u);
    EXPECT_EQ(ws.Messages[0].Text,
              "File Sfondo_Bianco_128x64.bmp non trovato.\r\nImpossibile continuare!!");
    EXPECT_EQ(ws.Messages[1].Text, "File gone.bmp non leggibile.\r\nImpossibile continuare!!");
    for (const auto& message : ws.Messages) {
        EXPECT_EQ(message.Title, "ERROR");
        EXPECT_EQ(message.Icon, Message_Icon::Critical);
    }
    EXPECT_EQ(data.Bitmap_Rows.Bytes, std::vector<std::uint8_t>{0x42});
}

} // namespace
