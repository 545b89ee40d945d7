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

TEST_F(Bitmap_Choice, Pick_Asks_For_Bitmaps_And_Tests_The_Lower_Case_Name) {
    dialog.Answers = {"/Data/IMMAGINI/Logo.BMP", "/tmp/bmpfiles/notes.txt", "/tmp/picture.png"};
    EXPECT_EQ(Pick_Bitmap(dialog, ws), "/Data/IMMAGINI/Logo.BMP");
    EXPECT_EQ(dialog.Calls[0].first, "Tutti i file |*.*| Messaggio (*.bmp) | *.bmp");
    EXPECT_EQ(dialog.Calls[0].second, 2);
    EXPECT_EQ(ws.Yields, 1);
    EXPECT_EQ(Pick_Bitmap(dialog, ws), "/tmp/bmpfiles/notes.txt");
    EXPECT_TRUE(ws.Messages.empty());

    EXPECT_EQ(Pick_Bitmap(dialog, ws), "");
    ASSERT_EQ(ws.Messages.size(), 1u);
    EXPECT_EQ(ws.Messages[0].Text, "Estensione file non valida!");
    EXPECT_EQ(ws.Messages[0].Title, "WARNING");
    EXPECT_EQ(ws.Messages[0].Icon, Message_Icon::Exclamation);

    EXPECT_EQ(Pick_Bitmap(dialog, ws), ""); // cancelled
    EXPECT_EQ(ws.Messages.size(), 1u);
}

TEST_F(Bitmap_Choice, Right_Click_Loads_The_Picture_Then_Sets_Only_That_Slot) {
    const std::string path = Bmp("Logo_Grande.BMP", 240, 64);
    dialog.Answers = {path};
    const Program_Data before = data;

    Picture_Box_Mouse_Down(data, Model_64240B, 2, Mouse_Button::Left, dialog, boxes, ws);
    Picture_Box_Mouse_Down(data, Model_64240B, 2, Mouse_Button::Middle, dialog, boxes, ws);
    EXPECT_TRUE(dialog.Calls.empty());

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
    // A text file in a folder whose name holds "bmp" passes the name test, not the header check.
    std::filesystem::create_directory(folder / "bmp");
    Write_File(folder / "bmp/notes.txt", std::string("hello"));
    const std::string broken = Bmp("broken.bmp", 128, 64); // passes the check, cannot be shown
    boxes.Refused.insert(broken);
    const std::optional<std::string> choices[] = {std::nullopt,           Bmp("wide.bmp", 240, 64),
                                                  folder / "missing.bmp", folder / "bmp/notes.txt",
                                                  folder / "notes.txt",   broken};
    for (const auto& choice : choices) {
        ws.Messages.clear();
        dialog.Answers = {choice};
        Picture_Box_Mouse_Down(data, Model_64128A, 1, Mouse_Button::Right, dialog, boxes, ws);
        const bool warned = choice == folder / "notes.txt";
        ASSERT_EQ(ws.Messages.size(), warned ? 2u : 1u) << choice.value_or("cancelled");
        if (warned) {
            EXPECT_EQ(ws.Messages[0].Text, "Estensione file non valida!");
        }
        EXPECT_EQ(ws.Messages.back().Text, "Selezionata immagine non valida");
        EXPECT_EQ(ws.Messages.back().Title, "ERROR");
        EXPECT_EQ(ws.Messages.back().Icon, Message_Icon::Critical);
        EXPECT_EQ(data.Tables[Model_64128A].Slots[1].Path, "old.bmp");
        EXPECT_TRUE(boxes.Loads.empty());
    }
}

} // namespace
