#include "Fake_Window_System.h"
#include "Test_Bitmap.h"
#include "mod_Funzioni_Varie.h"

#include <gtest/gtest.h>

namespace {

class Bitmap_Choice : public ::testing::Test {
  protected:
    Temp_Folder folder{"choice"};
    Fake_Window_System ws;

    // The name test, the dialog and the picture boxes are exercised through the windows.
    std::string Bmp(const std::string& name, int width, int height, const Bmp_Form& form = {}) {
        Write_Bmp(folder / name, Test_Bitmap(width, height, 1), form);
        return folder / name;
    }
    bool Check(const std::string& path, int width, int height) {
        return Check_Bitmap(path, width, height, ws);
    }
};

TEST_F(Bitmap_Choice, Header_Check_Accepts_Only_Exact_Size_One_Plane_One_Bit) {
    const std::string wide = Bmp("wide.bmp", 240, 64);
    EXPECT_TRUE(Check(wide, 240, 64));
    EXPECT_FALSE(Check(wide, 128, 64));
    EXPECT_FALSE(Check(wide, 240, 128));
    EXPECT_TRUE(Check(Bmp("small.bmp", 128, 64), 128, 64));
    EXPECT_TRUE(Check(Bmp("tall.bmp", 240, 128), 240, 128));
    EXPECT_FALSE(Check(Bmp("four.bmp", 128, 64, {.Bits_Per_Pixel = 4}), 128, 64));
    EXPECT_FALSE(Check(Bmp("eight.bmp", 128, 64, {.Bits_Per_Pixel = 8}), 128, 64));
    EXPECT_FALSE(Check(Bmp("planes.bmp", 128, 64, {.Planes = 2}), 128, 64));
    EXPECT_FALSE(Check(Bmp("topdown.bmp", 128, 64, {.Top_Down = true}), 128, 64));
    // A larger header does not matter to the check.
    EXPECT_TRUE(Check(Bmp("big_header.bmp", 128, 64, {.Extra_Header = 100}), 128, 64));

    // Bytes past the end read as zero: 30 bytes hold every examined field.
    const auto header = Bmp_Bytes(Test_Bitmap(128, 64, 1));
    for (std::size_t size : {0, 1, 18, 28, 30}) {
        const std::string path = folder / ("short" + std::to_string(size) + ".bmp");
        Write_File(path, std::vector<std::uint8_t>(header.begin(), header.begin() + size));
        EXPECT_EQ(Check(path, 128, 64), size == 30) << size;
    }
    EXPECT_TRUE(ws.Messages.empty());
}

TEST_F(Bitmap_Choice, Header_Check_Refuses_Missing_Empty_And_Unreadable_Names) {
    EXPECT_FALSE(Check("", 128, 64));
    const std::string missing = folder / "missing.bmp";
    EXPECT_FALSE(Check(missing, 128, 64));
    EXPECT_FALSE(std::filesystem::exists(missing)) << "the check must not create the file";
    EXPECT_TRUE(ws.Messages.empty());

    const std::string dir = folder / "folder.bmp";
    std::filesystem::create_directory(dir);
    EXPECT_FALSE(Check(dir, 128, 64));
    ASSERT_EQ(ws.Messages.size(), 1u);
    EXPECT_EQ(ws.Messages[0].Title, "ERROR");
    EXPECT_EQ(ws.Messages[0].Icon, Message_Icon::Critical);
}

} // namespace
