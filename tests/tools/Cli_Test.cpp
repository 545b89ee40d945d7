#include "Test_Bitmap.h"

#include <QImage>

#include <gtest/gtest.h>

#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct Run_Result {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

class Cli : public ::testing::Test {
  protected:
    Temp_Folder folder{"cli"};

    Run_Result Run(const std::string& args, const std::string& program = VANTREL_CLI) {
        const std::string out = folder / "stdout.txt";
        const std::string err = folder / "stderr.txt";
        const std::string command = "'" + program + "' " + args + " >'" + out + "' 2>'" + err + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read_File(out), Read_File(err)};
    }

    std::string Bmp(const std::string& name, const Test_Bitmap& picture) {
        const std::string path = folder / name;
        Write_Bmp(path, picture);
        return path;
    }

    void Expect_Usage_Error(const std::string& args, const std::string& reason) {
        const Run_Result result = Run(args);
        EXPECT_EQ(result.Exit, 2) << args;
        EXPECT_NE(result.Err.find(reason), std::string::npos) << result.Err;
        EXPECT_NE(result.Err.find("usage:"), std::string::npos) << result.Err;
        EXPECT_FALSE(fs::exists(folder / "out.bin")) << args;
    }
};

TEST_F(Cli, Chosen_Slots_And_Glyphs_Land_At_Their_Offsets) {
    Test_Bitmap picture(240, 128, 1);
    picture.At(0, 0) = 0;
    picture.At(239, 127) = 0;
    const std::string file = Bmp("Logo.BMP", picture);
    const Run_Result result = Run("compile --slot 128240A:4=" + file +
                                  " --font5x8 1,0x80,255,0,0x5a --font10x16 0x8001,0,0,0,0,0,0,0,"
                                  "0,65535 -o " +
                                  (folder / "out.bin"));
    ASSERT_EQ(result.Exit, 0) << result.Err;
    std::string expected(65536, '\0');
    expected[0x6B00] = char(0x80);
    expected[0x6B00 + 3839] = 0x01;
    const std::uint8_t glyphs[] = {1, 0x80, 255,  0, 0x5A, 0x01, 0, 0, 0, 0, 0, 0,   0,
                                   0, 0xFF, 0x80, 0, 0,    0,    0, 0, 0, 0, 0, 0xFF};
    std::copy(std::begin(glyphs), std::end(glyphs), expected.begin() + 0x8000);
    EXPECT_EQ(Read_File(folder / "out.bin"), expected);
}

TEST_F(Cli, Refused_Files_Exit_2_And_Leave_The_Output_Alone) {
    Write_File(folder / "out.bin", std::string("old"));
    Write_File(folder / "notes.txt", std::string("hi"));
    Run_Result result =
        Run("compile --slot 64128A:1=" + (folder / "notes.txt") + " -o " + (folder / "out.bin"));
    EXPECT_EQ(result.Exit, 2);
    const auto warning = result.Err.find("Estensione file non valida!");
    const auto refused = result.Err.find("Selezionata immagine non valida");
    EXPECT_NE(warning, std::string::npos) << result.Err;
    EXPECT_NE(refused, std::string::npos) << result.Err;
    EXPECT_LT(warning, refused);

    const std::string wide = Bmp("wide.bmp", Test_Bitmap(240, 64, 1));
    result = Run("compile --slot 64128E:2=" + wide + " -o " + (folder / "out.bin"));
    EXPECT_EQ(result.Exit, 2);
    EXPECT_EQ(result.Err.find("Estensione"), std::string::npos);
    EXPECT_NE(result.Err.find("Selezionata immagine non valida"), std::string::npos);
    EXPECT_EQ(Read_File(folder / "out.bin"), "old");
}

TEST_F(Cli, Missing_Default_Exits_1_Without_Output) {
    const fs::path lonely = folder.Path() / "lonely";
    fs::create_directory(lonely);
    fs::copy_file(VANTREL_CLI, lonely / "vantrel-cli");
    const Run_Result result =
        Run("compile -o " + (folder / "out.bin"), (lonely / "vantrel-cli").string());
    EXPECT_EQ(result.Exit, 1);
    EXPECT_NE(result.Err.find("File Sfondo_Bianco_128x64.bmp non trovato. Impossibile continuare"),
              std::string::npos)
        << result.Err;
    EXPECT_FALSE(fs::exists(folder / "out.bin"));
}

TEST_F(Cli, Usage_Errors_Exit_2_With_Reason_And_Usage) {
    const std::string out = " -o " + (folder / "out.bin");
    Expect_Usage_Error("compile", "-o OUT");
    Expect_Usage_Error("compile --slot 64128A:5=a.bmp" + out, "MODEL:N=FILE");
    Expect_Usage_Error("compile --slot 64128A:1" + out, "MODEL:N=FILE");
    Expect_Usage_Error("compile --slot RGS24128064:1=a.bmp" + out, "RGS24128064");
    Expect_Usage_Error("compile --oled --slot 64128A:1=a.bmp" + out, "64128A");
    Expect_Usage_Error("compile --oled --font5x8 1,2,3,4,5" + out, "--oled");
    Expect_Usage_Error("compile --font5x8 1,2,3,4" + out, "5 values");
    Expect_Usage_Error("compile --font5x8 1,2,3,4,256" + out, "256");
    Expect_Usage_Error("compile --font10x16 1,2,3,4,5,6,7,8,9,0x10000" + out, "0x10000");
    Expect_Usage_Error("compile --bogus" + out, "--bogus");
    Expect_Usage_Error("frobnicate", "frobnicate");
    Expect_Usage_Error("", "no command");

    const Run_Result help = Run("--help");
    EXPECT_EQ(help.Exit, 0);
    EXPECT_NE(help.Out.find("vantrel-cli compile [--oled] [--slot MODEL:N=FILE]..."),
              std::string::npos);
}

TEST_F(Cli, Preview_Draws_What_The_Module_Lights_And_Refuses_Other_Sizes) {
    Test_Bitmap picture = Test_Bitmap::Random(128, 64, 11);
    const std::string file = Bmp("oled.bmp", picture);
    ASSERT_EQ(Run("compile --oled --slot RGS24128064:3=" + file + " -o " + (folder / "o.bin")).Exit,
              0);
    const Run_Result result =
        Run("preview --oled " + (folder / "o.bin") + " -o " + (folder / "previews/oled"));
    ASSERT_EQ(result.Exit, 0) << result.Err;
    EXPECT_EQ(
        std::distance(fs::directory_iterator(folder / "previews/oled"), fs::directory_iterator{}),
        4);
    const QImage shown(QString::fromStdString(folder / "previews/oled/RGS24128064_3.png"));
    ASSERT_EQ(shown.width(), 128);
    ASSERT_EQ(shown.height(), 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 128; ++x) {
            ASSERT_EQ(qGray(shown.pixel(x, y)) == 0, picture.At(x, y) == 0) << x << "," << y;
        }
    }

    ASSERT_EQ(Run("compile --font5x8 1,0,0,0,0x80 -o " + (folder / "g.bin")).Exit, 0);
    ASSERT_EQ(Run("preview " + (folder / "g.bin") + " -o " + (folder / "g")).Exit, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "g"), fs::directory_iterator{}), 18);
    const QImage glyph(QString::fromStdString(folder / "g/font5x8.png"));
    ASSERT_FALSE(glyph.isNull());
    const int cell = glyph.width() / 5;
    EXPECT_EQ(glyph.height(), 8 * cell);
    EXPECT_EQ(qGray(glyph.pixel(0, 0)), 0);
    EXPECT_EQ(qGray(glyph.pixel(4 * cell, 7 * cell)), 0);
    EXPECT_EQ(qGray(glyph.pixel(4 * cell, 0)), 255);

    Write_File(folder / "short.bin", std::string(65535, '\0'));
    const Run_Result refused = Run("preview " + (folder / "short.bin") + " -o " + (folder / "p"));
    EXPECT_EQ(refused.Exit, 2);
    EXPECT_NE(refused.Err.find("65535"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "p"));
}

TEST_F(Cli, Configuration_Compiles_Like_Its_Options_And_Refusals_Exit_2) {
    const std::string logo = Bmp("logo.bmp", Test_Bitmap::Random(128, 64, 5));
    const std::string other = Bmp("other.bmp", Test_Bitmap::Random(128, 64, 6));
    fs::create_directory(folder.Path() / "cfg");
    const std::string config = folder / "cfg/p.vantrel";
    const std::string options = "--slot 64128E:2=" + logo + " --font5x8 1,2,3,4,5";
    ASSERT_EQ(Run("config --save " + config + " " + options).Exit, 0);
    EXPECT_NE(Read_File(config).find("\"64128E\": [null, \"../logo.bmp\", null, null]"),
              std::string::npos)
        << Read_File(config);
    const auto image = [&](const std::string& args) {
        const Run_Result result = Run("compile " + args + " -o " + (folder / "image.bin"));
        EXPECT_EQ(result.Exit, 0) << args << result.Err;
        return Read_File(folder / "image.bin");
    };
    EXPECT_EQ(image("--config " + config), image(options));
    EXPECT_EQ(image("--config " + config + " --slot 64128E:2=" + other + " --font5x8 0,0,0,0,9"),
              image("--slot 64128E:2=" + other + " --font5x8 0,0,0,0,9"));

    const std::string oled = folder / "o.quorrin";
    ASSERT_EQ(Run("config --oled --save " + oled + " --slot RGS24128064:3=" + logo).Exit, 0);
    EXPECT_EQ(image("--config " + oled), image("--oled --slot RGS24128064:3=" + logo));
    Expect_Usage_Error("compile --oled --config " + config + " -o " + (folder / "out.bin"),
                       "--oled contradicts");

    Write_File(folder / "bad.vantrel", std::string("{\"format\": \"vantrel-configuration\",\n}"));
    Write_File(folder / "new.vantrel",
               std::string(R"({"format": "vantrel-configuration", "version": 2})"));
    Write_File(folder / "gone.vantrel",
               std::string(R"({"format": "vantrel-configuration", "version": 1,
                               "layout": "graphic", "slots": {"64128A": ["gone.bmp", null,
                               null, null]}})"));
    for (const auto& [file, reason] : std::vector<std::pair<std::string, std::string>>{
             {"bad.vantrel", "line 2, column 1"},
             {"new.vantrel", "version 2"},
             {"missing.vantrel", "cannot read"},
             {"gone.vantrel", "slot 64128A:1=" + (folder / "gone.bmp") + " refused"}}) {
        const Run_Result refused =
            Run("compile --config " + (folder / file) + " -o " + (folder / "out.bin"));
        EXPECT_EQ(refused.Exit, 2) << file;
        EXPECT_NE(refused.Err.find(reason), std::string::npos) << refused.Err;
        EXPECT_FALSE(fs::exists(folder / "out.bin"));
    }
}

} // namespace
