#include "Fake_Window_System.h"
#include "Picture_Boxes.h"
#include "Start_Up.h"
#include "Test_Bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

// Records every picture shown.
class Recording_Picture_Boxes : public Picture_Boxes {
  public:
    struct Shown {
        int Model;
        int Slot;
        Lit_Picture Picture;
    };
    std::vector<Shown> Loads;

    void Show_Picture(int model_index, int slot, const Lit_Picture& picture) override {
        Loads.push_back({model_index, slot, picture});
    }
};

// The program lies in bin/ of an installation's prefix, the installed defaults in share/vantrel/.
class Start_Up : public ::testing::Test {
  protected:
    Temp_Folder prefix{"startup"};
    const std::string folder = prefix / "bin";
    const std::string installed = (prefix.Path() / "share" / "vantrel").string();
    Fake_Window_System ws;
    Recording_Picture_Boxes boxes;

    void SetUp() override {
        std::filesystem::create_directories(folder);
        std::filesystem::create_directories(installed);
        ws.Folder = folder;
    }

    // White defaults of the size their names give, with one lit pixel at the top left.
    void Put_Defaults(std::initializer_list<const char*> names, const std::string& where) {
        for (const std::string name : names) {
            Test_Bitmap white(name.find("240") != std::string::npos ? 240 : 128,
                              name.find("x128") != std::string::npos ? 128 : 64, 1);
            white.At(0, 0) = 0;
            Write_Bmp(where + "/" + name, white);
        }
    }
    void Put_Defaults(std::initializer_list<const char*> names) { Put_Defaults(names, folder); }
    void Expect_Single_Stop(const std::string& text) {
        ASSERT_EQ(ws.Messages.size(), 1u);
        EXPECT_EQ(ws.Messages[0].Text, text);
        EXPECT_EQ(ws.Messages[0].Title, "ERROR");
        EXPECT_EQ(ws.Messages[0].Icon, Message_Icon::Critical);
        EXPECT_TRUE(ws.Ended);
    }
};

TEST_F(Start_Up, Every_Slot_Gets_Its_Models_Default_Picture_First) {
    Put_Defaults({Default_128x64, Default_240x64, Default_240x128});
    Program_Data data(Vantrel_Program());
    data.Tables[3].Slots[0].Path = "left over";

    ASSERT_TRUE(Start_Up_Fill(data, ws, boxes));
    EXPECT_TRUE(ws.Messages.empty());
    EXPECT_FALSE(ws.Ended);
    const char* names[] = {Default_128x64, Default_128x64, Default_240x64, Default_240x128};
    const double widths[] = {128, 128, 240, 240};
    const double heights[] = {64, 64, 64, 128};
    ASSERT_EQ(boxes.Loads.size(), 16u);
    for (int m = 0; m < 4; ++m) {
        for (int k = 0; k < 4; ++k) {
            const Image_Slot& slot = data.Tables[m].Slots[k];
            EXPECT_EQ(slot.Name, names[m]);
            EXPECT_EQ(slot.Path, folder + "/" + names[m]);
            EXPECT_EQ(slot.Width, widths[m]);
            EXPECT_EQ(slot.Height, heights[m]);
            const auto& load = boxes.Loads[m * 4 + k];
            EXPECT_EQ(load.Model, m);
            EXPECT_EQ(load.Slot, k);
            EXPECT_EQ(load.Picture.Width, widths[m]);
            EXPECT_EQ(load.Picture.Height, heights[m]);
            EXPECT_EQ(std::count(load.Picture.Lit.begin(), load.Picture.Lit.end(), 1), 1);
            EXPECT_TRUE(load.Picture.At(0, 0));
        }
    }
}

TEST_F(Start_Up, A_Missing_Default_Stops_At_The_First_One_Missing) {
    Program_Data data(Vantrel_Program());
    EXPECT_FALSE(Start_Up_Fill(data, ws, boxes));
    const std::string looked_in = "\r\nCercato nelle cartelle " + folder + " e " + installed + ".";
    Expect_Single_Stop("File Sfondo_Bianco_128x64.bmp non trovato. Impossibile continuare" +
                       looked_in);
    EXPECT_TRUE(boxes.Loads.empty());

    ws = Fake_Window_System();
    ws.Folder = folder;
    Put_Defaults({Default_128x64, Default_240x64});
    EXPECT_FALSE(Start_Up_Fill(data, ws, boxes));
    Expect_Single_Stop("File Sfondo_Bianco_240x128.bmp non trovato. Impossibile continuare" +
                       looked_in);
    EXPECT_EQ(boxes.Loads.size(), 12u);
    EXPECT_EQ(data.Tables[2].Slots[3].Name, Default_240x64);
    EXPECT_EQ(data.Tables[3].Slots[0].Name, "");
}

// The window and the command line both refuse a default the unit cannot take.
TEST_F(Start_Up, A_Default_The_Bitmap_Reader_Refuses_Ends_The_Program) {
    Put_Defaults({Default_128x64, Default_240x128});
    Write_File(folder + "/" + Default_240x64, std::string());
    Program_Data data(Vantrel_Program());
    EXPECT_FALSE(Start_Up_Fill(data, ws, boxes));
    Expect_Single_Stop("File Sfondo_Bianco_240x64.bmp non valido. Impossibile continuare\r\n"
                       "Il file è vuoto; serve una bitmap 240x64 a 1 bit.");
    EXPECT_EQ(data.Tables[2].Slots[0].Name, "");
}

// All the defaults come from one folder: beside the program when it holds them all (a build tree
// or a folder copied whole), else the installed data folder.
TEST_F(Start_Up, The_Defaults_Come_From_Beside_The_Program_First_Then_From_The_Installed_Data) {
    Put_Defaults({Default_128x64, Default_240x64, Default_240x128}, installed);
    Put_Defaults({Default_128x64});
    Program_Data data(Vantrel_Program());
    ASSERT_TRUE(Start_Up_Fill(data, ws, boxes));
    EXPECT_EQ(data.Defaults_Folder, installed);
    EXPECT_EQ(data.Tables[0].Slots[0].Path, installed + "/" + Default_128x64);

    Program_Data oled(Quorrin_Program());
    ASSERT_TRUE(Start_Up_Fill(oled, ws, boxes));
    EXPECT_EQ(oled.Tables[0].Slots[3].Path, folder + "/" + Default_128x64);
}

TEST_F(Start_Up, Oled_Needs_Only_The_128x64_Default) {
    Put_Defaults({Default_128x64});
    Program_Data data(Quorrin_Program());
    ASSERT_TRUE(Start_Up_Fill(data, ws, boxes));
    ASSERT_EQ(data.Tables.size(), 1u);
    EXPECT_EQ(boxes.Loads.size(), 4u);
    EXPECT_EQ(data.Tables[0].Slots[3].Name, Default_128x64);
}

} // namespace
