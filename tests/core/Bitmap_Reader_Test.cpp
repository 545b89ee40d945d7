#include "Fake_Window_System.h"
#include "Test_Bitmap.h"
#include "mod_Compilatore.h"
#include "mod_Funzioni_Varie.h"

#include <gtest/gtest.h>

#include <filesystem>

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

// The rows come from the header's pixel offset whatever lies around the pixel array, only that
// much is read, and the darker palette colour is the one the unit lights.
TEST_F(Bitmap_Reader, Every_Form_Of_A_Picture_Reads_To_The_Same_Rows) {
    const Test_Bitmap picture = Test_Bitmap::Random(240, 128, 3);
    Test_Bitmap negative = picture;
    for (auto& index : negative.Index) {
        index ^= 1;
    }
    const struct {
        const char* Name;
        Bmp_Form Form;
        const Test_Bitmap& Indices;
        std::uintmax_t Grow_To;
    } forms[] = {
        {"usual", {}, picture, 0},
        {"white first", {.White_First = true}, negative, 0},
        // Pure blue has luma 29.1, the grey 48: read as RGB or by the sum of the channels, the
        // blue would pass for the lighter.
        {"blue and dark grey", {.Dark = 0x0000FF, .Light = 0x303030}, picture, 0},
        {"dark grey first",
         {.White_First = true, .Dark = 0x0000FF, .Light = 0x303030},
         negative,
         0},
        {"two greys", {.Dark = 0x7F7F7F, .Light = 0x808080}, picture, 0},
        {"lighter grey first",
         {.White_First = true, .Dark = 0x7F7F7F, .Light = 0x808080},
         negative,
         0},
        {"bytes after the pixels", {.Trailing = 300}, picture, 0},
        {"version 5 header", {.Info_Size = 124}, picture, 0},
        {"gap before the pixels", {.Extra_Header = 200}, picture, 0},
        {"64 GiB, sparse", {}, picture, std::uintmax_t(64) << 30},
    };
    for (const auto& form : forms) {
        const std::string path = Put(Bmp_Bytes(form.Indices, form.Form));
        if (form.Grow_To) {
            std::filesystem::resize_file(path, form.Grow_To);
        }
        std::string reason;
        EXPECT_TRUE(Check_Bitmap(path, 240, 128, reason)) << form.Name << ": " << reason;
        ASSERT_TRUE(Read_Bitmap(data, path, "file.bmp", 240, 128, ws)) << form.Name;
        for (int y = 0; y < 128; ++y) {
            for (int x = 0; x < 240; ++x) {
                ASSERT_EQ((data.Bitmap_Rows.At(y, x / 8) >> (7 - x % 8)) & 1, picture.At(x, y))
                    << form.Name << " " << x << "," << y;
            }
        }
    }
    EXPECT_TRUE(ws.Messages.empty());
}

// A file that the choice took and that changed since stops the compile, named by its slot, and
// leaves the rows read before alone.
TEST_F(Bitmap_Reader, A_File_No_Longer_Valid_Is_Reported_By_Its_Slot_Name) {
    auto cut = Bmp_Bytes(Test_Bitmap(128, 64, 1));
    cut.pop_back();
    // Gone between the existence test and the opening.
    struct Stale_Window_System : Fake_Window_System {
        bool File_Exists(const std::string&) override { return true; }
    } stale;
    const struct {
        std::string Path, Name;
        Fake_Window_System& Ws;
        std::string Text;
    } cases[] = {
        {Put(cut), "cut.bmp", ws, "File cut.bmp non valido."},
        {folder / "gone.bmp", "Sfondo_Bianco_128x64.bmp", ws,
         "File Sfondo_Bianco_128x64.bmp non trovato."},
        {folder / "gone.bmp", "gone.bmp", stale, "File gone.bmp non leggibile."},
    };
    for (const auto& c : cases) {
        c.Ws.Messages.clear();
        data.Bitmap_Rows = {1, 1, {0x42}};
        EXPECT_FALSE(Read_Bitmap(data, c.Path, c.Name, 128, 64, c.Ws));
        ASSERT_EQ(c.Ws.Messages.size(), 1u);
        EXPECT_EQ(c.Ws.Messages[0].Text, c.Text + "\r\nImpossibile continuare!!");
        EXPECT_EQ(c.Ws.Messages[0].Title, "ERROR");
        EXPECT_EQ(c.Ws.Messages[0].Icon, Message_Icon::Critical);
        EXPECT_EQ(data.Bitmap_Rows.Bytes, std::vector<std::uint8_t>{0x42});
    }
}

} // namespace
