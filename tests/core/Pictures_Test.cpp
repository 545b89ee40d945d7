#include "Fake_Window_System.h"
#include "Mono_Bitmap_File.h"
#include "Picture_Geometry.h"
#include "Picture_Tone.h"
#include "Test_Bitmap.h"
#include "mod_Funzioni_Varie.h"

#include <gtest/gtest.h>

namespace {

struct Box {
    int X, Y, Width, Height;
};

Grey_Picture White_With_Black(int width, int height, std::initializer_list<Box> boxes) {
    Grey_Picture picture(width, height, 255);
    for (const Box& b : boxes) {
        for (int y = b.Y; y < b.Y + b.Height; ++y) {
            for (int x = b.X; x < b.X + b.Width; ++x) {
                picture.At(x, y) = 0;
            }
        }
    }
    return picture;
}

std::vector<std::uint8_t> Lit_Where_Black(const Grey_Picture& picture) {
    std::vector<std::uint8_t> lit;
    for (const float v : picture.Luma) {
        lit.push_back(v == 0);
    }
    return lit;
}

double Lit_Share(const Lit_Picture& picture) {
    return std::count(picture.Lit.begin(), picture.Lit.end(), 1) / double(picture.Lit.size());
}

Lit_Picture Flat(float grey, Dither_Method dither, bool invert) {
    return Apply_Tone(Grey_Picture(240, 128, grey), {Scale_Mode::Fit, 128, dither, invert});
}

} // namespace

TEST(Pictures, Each_Geometry_Puts_Whole_Pixel_Shapes_Where_Expected) {
    const struct {
        const char* name;
        Scale_Mode mode;
        Grey_Picture source;
        Grey_Picture expected; // on a 128x64 display
    } cases[] = {
        {"fit, wide, doubled", Scale_Mode::Fit, White_With_Black(64, 16, {{0, 0, 32, 16}}),
         White_With_Black(128, 64, {{0, 16, 64, 32}})},
        {"fit, tall, padded left and right", Scale_Mode::Fit,
         White_With_Black(16, 32, {{0, 0, 16, 32}}), White_With_Black(128, 64, {{48, 0, 32, 64}})},
        {"fit, halved", Scale_Mode::Fit,
         White_With_Black(256, 128, {{0, 0, 128, 64}, {254, 126, 2, 2}}),
         White_With_Black(128, 64, {{0, 0, 64, 32}, {127, 63, 1, 1}})},
        {"fill, centred crop", Scale_Mode::Fill,
         White_With_Black(256, 64, {{0, 0, 64, 64}, {64, 8, 16, 8}}),
         White_With_Black(128, 64, {{0, 8, 16, 8}})},
        {"stretch", Scale_Mode::Stretch, White_With_Black(64, 64, {{0, 0, 32, 32}}),
         White_With_Black(128, 64, {{0, 0, 64, 32}})},
        {"none, padded", Scale_Mode::None, White_With_Black(100, 50, {{0, 0, 100, 50}}),
         White_With_Black(128, 64, {{14, 7, 100, 50}})},
        {"fit, wide, one row to share", Scale_Mode::Fit,
         White_With_Black(128, 63, {{0, 0, 128, 63}}),
         White_With_Black(128, 64, {{0, 0, 128, 63}})},
        {"fit, tall, halved, 95 columns to share", Scale_Mode::Fit,
         White_With_Black(66, 128, {{0, 0, 66, 128}}),
         White_With_Black(128, 64, {{47, 0, 33, 64}})},
        // Three columns cropped: the one black column straddles two display pixels by halves.
        {"fill, odd crop", Scale_Mode::Fill, White_With_Black(131, 64, {{2, 0, 1, 64}}),
         White_With_Black(128, 64, {{0, 0, 2, 64}})},
        {"none, odd padding", Scale_Mode::None, White_With_Black(99, 49, {{0, 0, 99, 49}}),
         White_With_Black(128, 64, {{14, 7, 99, 49}})},
        {"none, cropped", Scale_Mode::None,
         White_With_Black(131, 67, {{0, 0, 1, 67}, {2, 0, 129, 67}}),
         White_With_Black(128, 64, {{1, 0, 127, 64}})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Convert_Picture(c.source, 128, 64, {c.mode}).Lit, Lit_Where_Black(c.expected))
            << c.name;
    }
}

TEST(Pictures, Threshold_Lights_Below_N_And_Invert_At_Or_Above) {
    for (const int n : {1, 128, 255}) {
        for (const bool invert : {false, true}) {
            const std::uint8_t rgba[] = {
                std::uint8_t(n - 1), std::uint8_t(n - 1), std::uint8_t(n - 1), 255,
                std::uint8_t(n),     std::uint8_t(n),     std::uint8_t(n),     255};
            const Grey_Picture grey = Flatten_On_White({rgba, 2, 1, 8});
            const Lit_Picture mono =
                Apply_Tone(grey, {Scale_Mode::Fit, n, Dither_Method::None, invert});
            EXPECT_EQ(mono.Lit, (std::vector<std::uint8_t>{!invert, invert})) << n << invert;
        }
    }
    // Pure red has luma 76.245.
    const std::uint8_t red[] = {255, 0, 0, 255};
    const Grey_Picture grey = Flatten_On_White({red, 1, 1, 4});
    EXPECT_TRUE(Apply_Tone(grey, {Scale_Mode::Fit, 77}).At(0, 0));
    EXPECT_FALSE(Apply_Tone(grey, {Scale_Mode::Fit, 76}).At(0, 0));
}

TEST(Pictures, Transparency_Is_Laid_Over_White) {
    const std::uint8_t rgba[] = {0, 0, 0, 0, 0, 0, 0, 128, 0, 0, 0, 255, 100, 100, 100, 51};
    EXPECT_EQ(Flatten_On_White({rgba, 4, 1, 16}).Luma, (std::vector<float>{255, 127, 0, 224}));
}

TEST(Pictures, Dithered_Flat_Greys_Light_Their_Share) {
    for (const auto dither : {Dither_Method::Floyd_Steinberg, Dither_Method::Bayer}) {
        for (const float grey : {16.0f, 63.75f, 127.5f, 191.25f, 239.0f}) {
            for (const bool invert : {false, true}) {
                EXPECT_NEAR(Lit_Share(Flat(grey, dither, invert)),
                            invert ? grey / 255 : 1 - grey / 255, 0.02)
                    << int(dither) << " " << grey << " " << invert;
            }
        }
    }
    // Atkinson drops a quarter of the error: only the middle grey is held to its share.
    for (const bool invert : {false, true}) {
        const double light = Lit_Share(Flat(191.25f, Dither_Method::Atkinson, invert));
        const double middle = Lit_Share(Flat(127.5f, Dither_Method::Atkinson, invert));
        const double dark = Lit_Share(Flat(63.75f, Dither_Method::Atkinson, invert));
        EXPECT_NEAR(middle, 0.5, 0.02);
        EXPECT_LT(invert ? dark : light, middle) << invert;
        EXPECT_LT(middle, invert ? light : dark) << invert;
    }
}

TEST(Pictures, Black_And_White_At_Display_Size_Is_Kept_By_Every_Method) {
    const Test_Bitmap picture = Test_Bitmap::Random(240, 64, 5);
    Grey_Picture grey(240, 64, 255);
    std::vector<std::uint8_t> lit;
    for (std::size_t i = 0; i < picture.Index.size(); ++i) {
        grey.Luma[i] = picture.Index[i] ? 255.0f : 0.0f;
        lit.push_back(!picture.Index[i]);
    }
    for (const auto mode :
         {Scale_Mode::Fit, Scale_Mode::Fill, Scale_Mode::Stretch, Scale_Mode::None}) {
        for (const auto dither : {Dither_Method::None, Dither_Method::Floyd_Steinberg,
                                  Dither_Method::Atkinson, Dither_Method::Bayer}) {
            for (const int n : {1, 128, 255}) {
                EXPECT_EQ(Convert_Picture(grey, 240, 64, {mode, n, dither}).Lit, lit)
                    << int(mode) << " " << int(dither) << " " << n;
            }
        }
    }
}

TEST(Pictures, Bitmap_File_Is_The_Standard_Form_The_Choice_Accepts) {
    Test_Bitmap picture = Test_Bitmap::Random(240, 128, 9);
    Lit_Picture mono(240, 128);
    for (std::size_t i = 0; i < picture.Index.size(); ++i) {
        mono.Lit[i] = !picture.Index[i];
    }
    std::vector<std::uint8_t> expected = Bmp_Bytes(picture, {.Padding_Byte = 0});
    Put_Le(expected, 38, 2835, 4);
    Put_Le(expected, 42, 2835, 4);
    EXPECT_EQ(Mono_Bitmap_Bytes(mono), expected);

    Temp_Folder folder("pictures");
    for (const Program_Description* program : {&Vantrel_Program(), &Quorrin_Program()}) {
        for (const Model_Descriptor& model : program->Models) {
            const std::string path = folder / (model.Code + ".bmp");
            Write_File(path, Mono_Bitmap_Bytes(Lit_Picture(model.Width, model.Height)));
            std::string reason;
            EXPECT_TRUE(Check_Bitmap(path, model.Width, model.Height, reason))
                << model.Code << ": " << reason;
        }
    }
}
