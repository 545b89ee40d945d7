#include "Fake_Window_System.h"
#include "Image_Decoder.h"
#include "Test_Bitmap.h"
#include "mod_Compilatore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Region(const Program_Data& data, std::size_t offset, std::size_t length) {
    return Bytes(data.EEPROM_Image.begin() + offset, data.EEPROM_Image.begin() + offset + length);
}

bool All(const Bytes& bytes, std::uint8_t value) {
    return std::all_of(bytes.begin(), bytes.end(), [&](std::uint8_t b) { return b == value; });
}

// The expected bytes of a region, from the pixel formats: a set bit is colour index 0.
Bytes Expected_Region(const Test_Bitmap& picture, Packing layout) {
    Bytes bytes(std::size_t(picture.Width) * picture.Height / 8, 0);
    for (int y = 0; y < picture.Height; ++y) {
        for (int x = 0; x < picture.Width; ++x) {
            if (picture.At(x, y) != 0) {
                continue;
            }
            if (layout == Packing::Vertical_Pages) {
                bytes[std::size_t(y / 8) * picture.Width + x] |= std::uint8_t(1 << (y % 8));
            } else {
                bytes[std::size_t(y) * (picture.Width / 8) + x / 8] |=
                    std::uint8_t(0x80 >> (x % 8));
            }
        }
    }
    return bytes;
}

class Compiler : public ::testing::Test {
  protected:
    Temp_Folder folder{"compiler"};
    Fake_Window_System ws;

    // Writes one picture per slot (colour index from `make`) and points the slots at them.
    std::vector<Test_Bitmap> Fill(Program_Data& data,
                                  const std::function<Test_Bitmap(int w, int h, int n)>& make) {
        std::vector<Test_Bitmap> pictures;
        for (Image_Table& table : data.Tables) {
            const Model_Descriptor& model = *table.Model;
            for (int k = 0; k < 4; ++k) {
                pictures.push_back(make(model.Width, model.Height, int(pictures.size())));
                const std::string name = model.Code + "_" + std::to_string(k) + ".bmp";
                Write_Bmp(folder / name, pictures.back());
                table.Slots[k] = {folder / name, name, double(model.Height), double(model.Width)};
            }
        }
        return pictures;
    }
};

TEST_F(Compiler, Graphic_Layout_Places_Every_Slot_And_The_Glyphs) {
    Program_Data data(Vantrel_Program());
    const auto pictures =
        Fill(data, [](int w, int h, int n) { return Test_Bitmap::Random(w, h, unsigned(n + 1)); });
    data.Font_5x8_Columns = {0x01, 0x80, 0xFF, 0x00, 0x5A};
    data.Font_10x16_Columns = {0x8001, 0, 0xFFFF, 0x1234, 1, 256, 0xABCD, 0x00FF, 0xFF00, 7};

    ASSERT_TRUE(Compile_Images(data, ws));
    EXPECT_TRUE(ws.Messages.empty());
    const std::size_t bases[] = {0x0000, 0x1000, 0x2000, 0x3E00};
    const std::size_t lengths[] = {1024, 1024, 1920, 3840};
    const Packing layouts[] = {Packing::Vertical_Pages, Packing::Vertical_Pages,
                               Packing::Horizontal_Rows, Packing::Horizontal_Rows};
    for (int m = 0; m < 4; ++m) {
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(Region(data, bases[m] + k * lengths[m], lengths[m]),
                      Expected_Region(pictures[m * 4 + k], layouts[m]))
                << "model " << m << " slot " << k;
        }
    }
    EXPECT_EQ(bases[3] + 4 * lengths[3], 0x7A00u);
    EXPECT_TRUE(All(Region(data, 0x7A00, 0x600), 0));
    EXPECT_EQ(Region(data, 0x8000, 25),
              (Bytes{0x01, 0x80, 0xFF, 0x00, 0x5A,                                  // 5x8 columns
                     0x01, 0x00, 0xFF, 0x34, 0x01, 0x00, 0xCD, 0xFF, 0x00, 0x07,    // low bytes
                     0x80, 0x00, 0xFF, 0x12, 0x00, 0x01, 0xAB, 0x00, 0xFF, 0x00})); // high bytes
    EXPECT_TRUE(All(Region(data, 0x8019, 0x10000 - 0x8019), 0));

    const Bytes first = data.EEPROM_Image;
    ASSERT_TRUE(Compile_Images(data, ws));
    EXPECT_EQ(data.EEPROM_Image, first);
}

TEST_F(Compiler, Missing_File_Stops_And_Leaves_Later_Regions_As_They_Were) {
    Program_Data data(Vantrel_Program());
    Fill(data, [](int w, int h, int) { return Test_Bitmap(w, h, 0); });
    data.Font_5x8_Columns = {1, 2, 3, 4, 5};
    ASSERT_TRUE(Compile_Images(data, ws));
    const Bytes before = data.EEPROM_Image;

    Fill(data, [](int w, int h, int n) { return Test_Bitmap::Random(w, h, unsigned(n + 50)); });
    std::filesystem::remove(data.Tables[2].Slots[2].Path);
    data.Font_5x8_Columns = {9, 9, 9, 9, 9};
    EXPECT_FALSE(Compile_Images(data, ws));
    ASSERT_EQ(ws.Messages.size(), 1u);
    EXPECT_EQ(ws.Messages[0].Text, "File 64240B_2.bmp non trovato.\r\nImpossibile continuare!!"
                                   "\r\n64240B, Immagine numero 3");
    // Slots compiled before the missing one hold the new pictures.
    EXPECT_FALSE(All(Region(data, 0x2780, 1920), 0xFF));
    EXPECT_FALSE(All(Region(data, 0x0000, 1024), 0xFF));
    EXPECT_TRUE(std::equal(data.EEPROM_Image.begin() + 0x2F00, data.EEPROM_Image.end(),
                           before.begin() + 0x2F00));
}

TEST_F(Compiler, Slot_Of_Another_Size_Is_Refused_Before_It_Is_Packed) {
    Program_Data data(Vantrel_Program());
    Fill(data, [](int w, int h, int) { return Test_Bitmap(w, h, 1); });
    data.Tables[1].Slots[0].Height = 60;
    EXPECT_FALSE(Compile_Images(data, ws));
    ASSERT_EQ(ws.Messages.size(), 1u);
    EXPECT_EQ(ws.Messages[0].Text, "Dimensioni di 64128E_0.bmp diverse da quelle del display "
                                   "64128E.\r\nImpossibile continuare!!");
}

// The graphic layout's bytes are checked above; the OLED layout's here, before decoding.
TEST_F(Compiler, Oled_Layout_And_Decoding_Give_Back_The_Source_Pixels) {
    for (const Program_Description* program : {&Vantrel_Program(), &Quorrin_Program()}) {
        Program_Data data(*program);
        const auto pictures = Fill(
            data, [](int w, int h, int n) { return Test_Bitmap::Random(w, h, unsigned(n + 200)); });
        data.Font_5x8_Columns = {0x81, 0x42, 0x24, 0x18, 0xFF};
        data.Font_10x16_Columns = {0x8001, 1, 2, 4, 8, 0x100, 0x200, 0x4000, 0xFFFF, 0};
        ASSERT_TRUE(Compile_Images(data, ws));
        if (!program->Has_Glyphs) {
            for (int k = 0; k < 4; ++k) {
                EXPECT_EQ(Region(data, std::size_t(k) * 1024, 1024),
                          Expected_Region(pictures[k], Packing::Vertical_Pages));
            }
            EXPECT_TRUE(All(Region(data, 0x1000, 0x10000 - 0x1000), 0)) << "no glyphs";
        }

        const auto decoded = Decode_Image(data.EEPROM_Image, *program);
        ASSERT_EQ(decoded.size(), pictures.size() + (program->Has_Glyphs ? 2 : 0));
        for (std::size_t n = 0; n < pictures.size(); ++n) {
            const Model_Descriptor& model = program->Models[n / 4];
            EXPECT_EQ(decoded[n].Name, model.Code + "_" + std::to_string(n % 4 + 1));
            ASSERT_EQ(decoded[n].Width, pictures[n].Width);
            ASSERT_EQ(decoded[n].Height, pictures[n].Height);
            for (std::size_t p = 0; p < pictures[n].Index.size(); ++p) {
                ASSERT_EQ(decoded[n].Lit[p], pictures[n].Index[p] == 0 ? 1 : 0) << n << ":" << p;
            }
        }
        if (program->Has_Glyphs) {
            const Lit_Picture& small = decoded[16];
            const Lit_Picture& large = decoded[17];
            EXPECT_EQ(small.Name, "font5x8");
            EXPECT_EQ(large.Name, "font10x16");
            for (int c = 0; c < 5; ++c) {
                for (int r = 0; r < 8; ++r) {
                    EXPECT_EQ(small.At(c, r), ((data.Font_5x8_Columns[c] >> r) & 1) != 0);
                }
            }
            for (int c = 0; c < 10; ++c) {
                for (int r = 0; r < 16; ++r) {
                    const auto mask = static_cast<unsigned>(data.Font_10x16_Columns[c]);
                    EXPECT_EQ(large.At(c, r), ((mask >> r) & 1) != 0);
                }
            }
        }
    }
}

} // namespace
