#include "Child_Process.h"
#include "Test_Bitmap.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct Run_Result {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

// The memory cap for every run. A sanitized build reserves terabytes of address space for its
// shadow memory at start, so it runs without one.
#if defined(__SANITIZE_ADDRESS__)
constexpr const char* Memory_Cap = "";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr const char* Memory_Cap = "";
#else
constexpr const char* Memory_Cap = "ulimit -v 1048576;";
#endif
#else
constexpr const char* Memory_Cap = "ulimit -v 1048576;";
#endif

class Cli : public ::testing::Test {
  protected:
    Temp_Folder folder{"cli"};

    // Runs the program with `limits` (shell ulimit commands) on top of a memory cap, so that a
    // run that reads without end fails instead of taking the machine's memory.
    Run_Result Run(const std::string& args, const std::string& program = VANTREL_CLI,
                   const std::string& limits = "") {
        const std::string out = folder / "stdout.txt";
        const std::string err = folder / "stderr.txt";
        const std::string command = std::string(Memory_Cap) + limits + " '" + program + "' " +
                                    args + " >'" + out + "' 2>'" + err + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read_File(out), Read_File(err)};
    }

    std::string Bmp(const std::string& name, const Test_Bitmap& picture) {
        const std::string path = folder / name;
        Write_Bmp(path, picture);
        return path;
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
    const Run_Result piped = Run("compile --slot 128240A:4=" + file +
                                 " --font5x8 1,0x80,255,0,0x5a --font10x16 0x8001,0,0,0,0,0,0,0,"
                                 "0,65535 -o -");
    EXPECT_EQ(piped.Out, expected) << "the image alone on stdout";
}

// Every exit status of every command, each with the reason it prints; whatever fails leaves no
// output behind.
TEST_F(Cli, Every_Command_Exits_With_The_Status_Of_Its_Outcome) {
    const auto at = [&](const std::string& name) { return "'" + (folder / name) + "'"; };
    const std::string out = " -o " + at("out.bin");
    const std::string preview = "preview " + at("image.bin") + " -o ";
    const std::string port = "program --port /dev/null ";
    std::string image(65536, '\0');
    std::mt19937 random(7);
    std::generate(image.begin(), image.end(), [&] { return char(random()); });
    Write_File(folder / "image.bin", image);
    Write_File(folder / "short.bin", image.substr(1));
    Write_File(folder / "notes.txt", std::string("hi"));
    Write_File(folder / "plain", std::string("a file, not a folder"));
    fs::create_directories(folder / "taken/64128A_1.png");
    fs::create_directories(folder / "full");
    Write_File(folder / "full/64128A_1.png", std::string("old"));
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    // A default that is missing, and one that is a regular file that cannot be read.
    const std::string missing = Copy_Program(folder.Path() / "missing", VANTREL_CLI, {});
    const fs::path bin = fs::path(VANTREL_CLI).parent_path();
    const std::string unreadable =
        Copy_Program(folder.Path() / "unreadable", VANTREL_CLI,
                     {{"Sfondo_Bianco_128x64.bmp", "/proc/self/mem"},
                      {"Sfondo_Bianco_240x64.bmp", bin / "Sfondo_Bianco_240x64.bmp"},
                      {"Sfondo_Bianco_240x128.bmp", bin / "Sfondo_Bianco_240x128.bmp"}});

    // Files may not grow beyond 512 bytes, as on a disk that runs full; root is bound by it too.
    const std::string disk_full = "trap '' XFSZ; ulimit -f 1;";

    struct Case {
        std::string Args;
        int Exit;
        std::string Said;
        std::string Program = VANTREL_CLI;
        std::string Limits = "";
    };
    const Case cases[] = {
        {"compile" + out, 0, "EEPROM image written"},
        {"compile" + out, 1, "File Sfondo_Bianco_128x64.bmp non trovato. Impossibile continuare",
         missing},
        {"compile" + out, 1,
         "ERROR: File Sfondo_Bianco_128x64.bmp non valido. Impossibile continuare\n"
         "Il file non può essere letto.\n",
         unreadable},
        {"compile -o " + at("plain/out.bin"), 1, "cannot write"},
        {"compile" + out, 1, "cannot write", VANTREL_CLI, disk_full},
        {"compile -o " + at("fifo"), 2, "not a regular file"},
        {"compile -o " + at("taken"), 2, "not a regular file"},
        {"compile -o ''", 2, "-o needs a value"},
        {"compile --slot 64128A:1=" + at("notes.txt") + out, 2, "Selezionata immagine non valida"},
        {"compile --slot ''" + out, 2, "--slot needs a value"},
        {"compile --slot 64128A:5=a.bmp" + out, 2, "MODEL:N=FILE"},
        {"compile --slot RGS24128064:1=a.bmp" + out, 2, "RGS24128064"},
        {"compile --oled --slot 64128A:1=a.bmp" + out, 2, "64128A"},
        {"compile --oled --font5x8 1,2,3,4,5" + out, 2, "--oled"},
        {"compile --oled --font10x16 1,2,3,4,5,6,7,8,9,10" + out, 2, "--oled"},
        {"compile --font5x8 ''" + out, 2, "--font5x8 needs a value"},
        {"compile --font5x8 1,2,3,4" + out, 2, "5 values"},
        {"compile --font5x8 1,2,3,4,256" + out, 2, "256"},
        {"compile --font10x16 1,2,3,4,5,6,7,8,9,0x10000" + out, 2, "0x10000"},
        {"compile --bogus" + out, 2, "--bogus"},
        {"compile", 2, "-o OUT"},
        {"compile -o", 2, "-o needs a value; see 'vantrel-cli compile --help'"},
        {"compile --font5x8=1,2,3,4,5 -o=" + at("out.bin"), 0,
         "written to " + (folder / "out.bin")},
        {"compile --help", 0, "--slot <MODEL:N=FILE>"},
        {preview + at("d"), 0, "64128A_1.png"},
        {preview + at("plain/d"), 1, "cannot create folder"},
        {preview + at("full"), 1, "cannot write", VANTREL_CLI, disk_full},
        {preview + at("plain"), 2, "not a folder"},
        {preview + at("taken"), 2, "not a regular file"},
        {preview + "''", 2, "-o needs a value"},
        {"preview " + at("nothing.bin") + " -o " + at("d"), 2, "cannot read"},
        {"preview " + at("short.bin") + " -o " + at("d"), 2, "holds 65535 bytes"},
        {"preview /dev/zero -o " + at("d"), 2, "not a regular file"},
        {"preview " + at("image.bin"), 2, "IMAGE and -o DIR"},
        {port, 3, "cannot open the port"},
        {port, 1, "non trovato", missing},
        {port + "--image ''", 2, "--image needs a value"},
        {port + "--image /dev/zero", 2, "not a regular file"},
        {port + "--image " + at("short.bin"), 2, "holds 65535 bytes"},
        {port + "--image " + at("image.bin") + " --font5x8 1,2,3,4,5", 2, "compile options"},
        {"program --port ''", 2, "--port needs a value"},
        {"program", 2, "no port"},
        {"program --help", 0, "--port <PORT>"},
        {"ports", 0, ""},
        {"ports extra", 2, "unexpected argument 'extra'"},
        {"--help", 0, "vantrel-cli compile [--oled] [--slot MODEL:N=FILE]..."},
        {"--version", 0, "vantrel-cli 1."},
        {"frobnicate", 2, "frobnicate"},
        {"", 2, "no command"},
    };
    for (const Case& c : cases) {
        const Run_Result result = Run(c.Args, c.Program, c.Limits);
        EXPECT_EQ(result.Exit, c.Exit) << c.Args << "\n" << result.Err;
        EXPECT_NE((result.Out + result.Err).find(c.Said), std::string::npos)
            << c.Args << "\n"
            << result.Out << result.Err;
        if (c.Exit == 2) {
            EXPECT_EQ(result.Err.find("usage:"), std::string::npos) << c.Args << "\n" << result.Err;
        }
        if (c.Exit != 0) {
            EXPECT_FALSE(fs::exists(folder / "out.bin")) << c.Args;
            EXPECT_FALSE(fs::exists(folder / "d")) << c.Args;
        }
        fs::remove(folder / "out.bin");
        fs::remove_all(folder / "d");
    }
    EXPECT_EQ(Read_File(folder / "full/64128A_1.png"), "old") << "a failed write keeps the old";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "full"), fs::directory_iterator{}), 1);
    EXPECT_EQ(fs::status(folder / "fifo").type(), fs::file_type::fifo);
}

TEST_F(Cli, Preview_Draws_What_The_Module_Lights) {
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
    const Run_Result contradicted =
        Run("compile --oled --config " + config + " -o " + (folder / "out.bin"));
    EXPECT_EQ(contradicted.Exit, 2);
    EXPECT_NE(contradicted.Err.find("--oled contradicts"), std::string::npos) << contradicted.Err;

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
