#include "Fake_Window_System.h"
#include "Test_Bitmap.h"
#include "mod_Funzioni_Varie.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

class Bitmap_Choice : public ::testing::Test {
  protected:
    Temp_Folder folder{"choice"};
    Fake_Window_System ws;

    std::string Bmp(const std::string& name, int width, int height, const Bmp_Form& form = {}) {
        Write_Bmp(folder / name, Test_Bitmap(width, height, 1), form);
        return folder / name;
    }
};

// The message box keeps its first line and gives the reason on the second.
TEST_F(Bitmap_Choice, A_Refusal_Names_What_Was_Found_And_What_Is_Needed) {
    const std::string needed = "serve una bitmap 240x64 a 1 bit.";
    const auto put = [&](const std::string& name, const std::vector<std::uint8_t>& bytes) {
        Write_File(folder / name, bytes);
        return folder / name;
    };
    auto cut = Bmp_Bytes(Test_Bitmap(240, 64, 1));
    cut.pop_back();
    auto overlapping = Bmp_Bytes(Test_Bitmap(240, 64, 1));
    Put_Le(overlapping, 10, 20, 4);
    std::filesystem::create_directory(folder / "folder.bmp");
#ifdef _WIN32
    // A device's name is a device in every folder.
    const std::string special = folder / "nul.bmp";
#else
    const std::string special = folder / "pipe.bmp";
    ASSERT_EQ(mkfifo(special.c_str(), 0600), 0);
#endif

    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {Bmp("rgb.bmp", 300, 120, {.Bits_Per_Pixel = 24}),
         "Il file è una bitmap 300x120 a 24 bit; " + needed},
        {Bmp("wide.bmp", 256, 64), "Il file è una bitmap 256x64 a 1 bit; " + needed},
        {Bmp("tall.bmp", 240, 128), "Il file è una bitmap 240x128 a 1 bit; " + needed},
        {Bmp("eight.bmp", 240, 64, {.Bits_Per_Pixel = 8}),
         "Il file è una bitmap 240x64 a 8 bit; " + needed},
        {Bmp("planes.bmp", 240, 64, {.Planes = 0}),
         "Il file è una bitmap 240x64 a 1 bit con 0 piani di colore; " + needed},
        {put("text.bmp", {'h', 'e', 'l', 'l', 'o'}), "Il file non è una bitmap; " + needed},
        {put("empty.bmp", {}), "Il file è vuoto; " + needed},
        {Bmp("os2.bmp", 240, 64, {.Info_Size = 12}),
         "Il file è una bitmap di formato non supportato (intestazione di 12 byte); " + needed},
        {put("head.bmp", std::vector<std::uint8_t>(cut.begin(), cut.begin() + 30)),
         "Il file è troncato: contiene 30 byte, ne servono almeno 54."},
        {put("cut.bmp", cut), "Il file è troncato: contiene 2109 byte, ne servono almeno 2110."},
        {Bmp("topdown.bmp", 240, 64, {.Top_Down = true}),
         "Il file è una bitmap 240x64 a 1 bit memorizzata dall'alto in basso; serve una bitmap "
         "memorizzata dal basso in alto."},
        {Bmp("rle.bmp", 240, 64, {.Compression = 1}),
         "Il file è una bitmap 240x64 a 1 bit compressa (compressione 1); serve una bitmap non "
         "compressa."},
        {put("overlap.bmp", overlapping),
         "Il file è danneggiato: i pixel iniziano al byte 20, dentro intestazione e tavolozza, "
         "che finiscono al byte 62."},
        {folder / "missing.bmp", "Il file non esiste."},
        {folder / "folder.bmp", "Il percorso indica una cartella, non un file."},
        {special, "Il percorso indica un file speciale, non un file normale."},
    };
    Program_Data data(Vantrel_Program());
    No_Picture_Boxes boxes;
    for (const auto& [path, reason] : cases) {
        ws.Messages.clear();
        EXPECT_FALSE(Accept_Background(data, 2, 0, path, boxes, ws)) << path;
        ASSERT_EQ(ws.Messages.size(), 1u) << path;
        EXPECT_EQ(ws.Messages[0].Text, reason.empty()
                                           ? "Selezionata immagine non valida"
                                           : "Selezionata immagine non valida\r\n" + reason);
        EXPECT_EQ(ws.Messages[0].Title, "ERROR");
        EXPECT_EQ(ws.Messages[0].Icon, Message_Icon::Critical);
    }
    EXPECT_EQ(data.Tables[2].Slots[0].Path, "");
}

} // namespace
