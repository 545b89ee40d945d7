#include "Fake_Window_System.h"
#include "Test_Bitmap.h"
#include "Test_Doubles.h"
#include "mod_Funzioni_Varie.h"

#include <gtest/gtest.h>

namespace {

constexpr int Model_64128A = 0;
constexpr int Model_64240B = 2;

class Bitmap_Choice : public ::testing::Test {
  protected:
    Temp_Folder folder{"choice"};
    Fake_Window_System ws;
    Scripted_File_Dialog dialog;
    Recording_Picture_Boxes boxes;
    Program_Data data{Vantrel_Program()};

    std::string Bmp(const std::string& name, int width, int height, const Bmp_Form& form = {}) {
        const std::string path = folder / name;
        Write_Bmp(path, Test_Bitmap(width, height, 1), form);
        return path;
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
    EXPECT_TRUE(ws.Messages.empty());
}

TEST_F(Bitmap_Choice, Header_Check_Reads_Past_The_End_As_Zero) {
    auto header = Bmp_Bytes(Test_Bitmap(128, 64, 1));
    for (std::size_t size : {0, 1, 18, 28}) {
        const std::string path = folder / ("short" + std::to_string(size) + ".bmp");
        Write_File(path, std::vector<std::uint8_t>(header.begin(), header.begin() + size));
        EXPECT_FALSE(Check(path, 128, 64)) << size;
    }
    // 30 bytes hold every examined field; the rest reads as zero and is not examined.
    const std::string thirty = folder / "thirty.bmp";
    Write_File(thirty, std::vector<std::uint8_t>(header.begin(), header.begin() + 30));
    EXPECT_TRUE(Check(thirty, 128, 64));
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

TEST_F(Bitmap_Choice, Pick_Asks_For_Bitmaps_And_Tests_The_Lower_Case_Name) {
    dialog.Choice = "/Data/IMMAGINI/Logo.BMP";
    EXPECT_EQ(Pick_Bitmap(dialog, ws), "/Data/IMMAGINI/Logo.BMP");
    EXPECT_EQ(dialog.Filter, "Tutti i file |*.*| Messaggio (*.bmp) | *.bmp");
    EXPECT_EQ(dialog.Filter_Index, 2);
    EXPECT_EQ(ws.Yields, 1);

    dialog.Choice = "/tmp/bmpfiles/notes.txt";
    EXPECT_EQ(Pick_Bitmap(dialog, ws), "/tmp/bmpfiles/notes.txt");
    EXPECT_TRUE(ws.Messages.empty());

    dialog.Choice = "/tmp/picture.png";
    EXPECT_EQ(Pick_Bitmap(dialog, ws), "");
    ASSERT_EQ(ws.Messages.size(), 1u);
    EXPECT_EQ(ws.Messages[0].Text, "Estensione file non valida!");
    EXPECT_EQ(ws.Messages[0].Title, "WARNING");
    EXPECT_EQ(ws.Messages[0].Icon, Message_Icon::Exclamation);

    dialog.Choice.reset();
    EXPECT_EQ(Pick_Bitmap(dialog, ws), "");
    EXPECT_EQ(ws.Messages.size(), 1u);
}

TEST_F(Bitmap_Choice, Right_Click_Loads_The_Picture_Then_Sets_Only_That_Slot) {
    const std::string path = Bmp("Logo_Grande.BMP", 240, 64);
    dialog.Choice = path;
    const Program_Data before = data;

    Picture_Box_Mouse_Down(data, Model_64240B, 2, Mouse_Button::Left, dialog, boxes, ws);
    Picture_Box_Mouse_Down(data, Model_64240B, 2, Mouse_Button::Middle, dialog, boxes, ws);
    EXPECT_EQ(dialog.Shown, 0);

    Picture_Box_Mouse_Down(data, Model_64240B, 2, Mouse_Button::Right, dialog, boxes, ws);
    EXPECT_TRUE(ws.Messages.empty());
    ASSERT_EQ(boxes.Loads.size(), 1u);
    EXPECT_EQ(boxes.Loads[0].Model, Model_64240B);
    EXPECT_EQ(boxes.Loads[0].Slot, 2);
    for (int m = 0; m < 4; ++m) {
        for (int k = 0; k < 4; ++k) {
            const Image_Slot& slot = data.Tables[m].Slots[k];
            if (m == Model_64240B && k == 2) {
                EXPECT_EQ(slot.Path, path);
                EXPECT_EQ(slot.Name, "Logo_Grande.BMP");
                EXPECT_EQ(slot.Width, 240);
                EXPECT_EQ(slot.Height, 64);
            } else {
                EXPECT_EQ(slot.Path, before.Tables[m].Slots[k].Path);
            }
        }
    }
}

TEST_F(Bitmap_Choice, Refused_Choices_Leave_Slot_And_Picture_Unchanged) {
    data.Tables[Model_64128A].Slots[1] = {"old.bmp", "old.bmp", 64, 128};
    const auto expect_refused = [&](std::size_t messages) {
        ASSERT_EQ(ws.Messages.size(), messages);
        EXPECT_EQ(ws.Messages.back().Text, "Selezionata immagine non valida");
        EXPECT_EQ(ws.Messages.back().Title, "ERROR");
        EXPECT_EQ(ws.Messages.back().Icon, Message_Icon::Critical);
        EXPECT_EQ(data.Tables[Model_64128A].Slots[1].Path, "old.bmp");
        EXPECT_TRUE(boxes.Loads.empty());
    };
    const auto click = [&] {
        Picture_Box_Mouse_Down(data, Model_64128A, 1, Mouse_Button::Right, dialog, boxes, ws);
    };

    dialog.Choice.reset();
    click();
    expect_refused(1);

    dialog.Choice = Bmp("wide.bmp", 240, 64);
    click();
    expect_refused(2);

    dialog.Choice = folder / "missing.bmp";
    click();
    expect_refused(3);

    // A text file in a folder whose name holds "bmp" passes the name test, not the header check.
    std::filesystem::create_directory(folder / "bmp");
    dialog.Choice = folder / "bmp/notes.txt";
    Write_File(*dialog.Choice, {'h', 'e', 'l', 'l', 'o'});
    click();
    expect_refused(4);

    dialog.Choice = folder / "notes.txt";
    click();
    expect_refused(6);
    EXPECT_EQ(ws.Messages[4].Text, "Estensione file non valida!");

    // Passes the header check but cannot be shown.
    dialog.Choice = Bmp("broken.bmp", 128, 64);
    boxes.Refused.insert(*dialog.Choice);
    click();
    expect_refused(7);
}

} // namespace
