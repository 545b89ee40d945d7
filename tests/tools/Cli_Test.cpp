#include "Child_Process.h"
#include "Test_Bitmap.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct Run_Result {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

// Every run is capped, so that one that reads without end fails instead of taking the machine's
// memory; a sanitized build reserves terabytes of address space for its shadow memory at start.
#ifdef VANTREL_SANITIZED
const std::string Memory_Cap;
#else
const std::string Memory_Cap = "ulimit -v 1048576;";
#endif

class Cli : public ::testing::Test {
  protected:
    Temp_Folder folder{"cli"};

    // `limits` are shell ulimit commands put on top of the memory cap.
    Run_Result Run(const std::string& args, const std::string& program = VANTREL_CLI,
                   const std::string& limits = "") {
        const std::string out = folder / "stdout.txt";
        const std::string err = folder / "stderr.txt";
        const std::string command =
            Memory_Cap + limits + " '" + program + "' " + args + " >'" + out + "' 2>'" + err + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read_File(out), Read_File(err)};
    }
    std::string At(const std::string& name) const { return "'" + (folder / name) + "'"; }
};

// A black left half and, in the transparent right half (white), a black bar from (80, 16) to
// (95, 39).
QImage Source() {
    QImage image(120, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter paint(&image);
    paint.setCompositionMode(QPainter::CompositionMode_Source);
    paint.fillRect(0, 0, 60, 64, Qt::black);
    paint.fillRect(80, 16, 16, 24, Qt::black);
    return image;
}

} // namespace

// Fit doubles the picture onto 240x128; horizontal rows, inverted, so a black pixel is a set bit.
TEST_F(Cli, Converted_Picture_And_Glyphs_Land_At_Their_Offsets) {
    ASSERT_TRUE(Source().save(QString::fromStdString(folder / "logo.png")));
    Write_File(folder / "logo.svg",
               std::string("<svg xmlns='http://www.w3.org/2000/svg' width='120' height='64'>"
                           "<rect width='120' height='64' fill='white'/><rect width='60' "
                           "height='64'/><rect x='80' y='16' width='16' height='24'/></svg>"));
    const auto lit = [](int x, int y) {
        return x < 120 || (x >= 160 && x < 192 && y >= 32 && y < 80);
    };
    std::string expected(65536, '\0');
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 240; ++x) {
            if (lit(x, y)) {
                expected[0x6B00 + std::size_t(y) * 30 + x / 8] |= char(0x80 >> (x % 8));
            }
        }
    }
    const std::uint8_t glyphs[] = {1, 0x80, 255,  0, 0x5A, 0x01, 0, 0, 0, 0, 0, 0,   0,
                                   0, 0xFF, 0x80, 0, 0,    0,    0, 0, 0, 0, 0, 0xFF};
    std::copy(std::begin(glyphs), std::end(glyphs), expected.begin() + 0x8000);
    // The image goes to a file, or alone on stdout.
    for (const auto& [source, to] : {std::pair{"logo.png", "out.bin"}, {"logo.svg", "-"}}) {
        const Run_Result converted =
            Run("convert " + At(source) + " --model 128240A --dither floyd-steinberg -o " +
                At("Logo.BMP"));
        ASSERT_EQ(converted.Exit, 0) << source << converted.Err;
        const Run_Result result =
            Run("compile --slot 128240A:4=" + At("Logo.BMP") +
                " --font5x8 1,0x80,255,0,0x5a --font10x16 0x8001,0,0,0,0,0,0,0,0,65535 -o " +
                (to == std::string("-") ? to : At(to)));
        ASSERT_EQ(result.Exit, 0) << result.Err;
        EXPECT_TRUE((to == std::string("-") ? result.Out : Read_File(folder / to)) == expected)
            << source;
    }
    // Preview draws the slot and the glyphs black where the unit lights them.
    ASSERT_EQ(Run("preview " + At("out.bin") + " -o " + At("d")).Exit, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "d"), fs::directory_iterator{}), 18);
    const QImage slot(QString::fromStdString(folder / "d/128240A_4.png"));
    ASSERT_EQ(slot.size(), QSize(240, 128));
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 240; ++x) {
            ASSERT_EQ(qGray(slot.pixel(x, y)) == 0, lit(x, y)) << x << "," << y;
        }
    }
    const QImage glyph(QString::fromStdString(folder / "d/font5x8.png"));
    const int cell = glyph.width() / 5;
    ASSERT_EQ(glyph.height(), 8 * cell);
    EXPECT_EQ(qGray(glyph.pixel(0, 0)), 0);
    EXPECT_EQ(qGray(glyph.pixel(cell, 7 * cell)), 0);
    EXPECT_EQ(qGray(glyph.pixel(cell, 0)), 255);
}

// Every exit status of every command, each with the reason it prints; whatever fails leaves no
// output behind.
TEST_F(Cli, Every_Command_Exits_With_The_Status_Of_Its_Outcome) {
    const std::string out = " -o " + At("out.bin");
    const std::string preview = "preview " + At("image.bin") + " -o ";
    const std::string port = "program --port /dev/null ";
    const std::string convert = "convert " + At("in.png") + " --model 64128A ";
    std::string image(65536, '\0');
    std::mt19937 random(7);
    std::generate(image.begin(), image.end(), [&] { return char(random()); });
    Write_File(folder / "image.bin", image);
    Write_File(folder / "short.bin", image.substr(1));
    Write_File(folder / "notes.txt", std::string("hi"));
    Write_File(folder / "plain", std::string("a file, not a folder"));
    Write_File(folder / "bad.vantrel", std::string("{\"format\": \"vantrel-configuration\",\n}"));
    Write_File(folder / "big.vantrel", std::string(1048577, ' '));
    Write_File(folder / "new.vantrel",
               std::string(R"({"format": "vantrel-configuration", "version": 2})"));
    Write_File(folder / "gone.vantrel",
               std::string(R"({"format": "vantrel-configuration", "version": 1, "layout":
                  "graphic", "slots": {"64128A": ["gone.bmp", null, null, null]}})"));
    ASSERT_TRUE(Source().save(QString::fromStdString(folder / "in.png")));
    // 6000x6000 in 32 bits is 144 MB, over the readers' 128 MB.
    QImage huge(6000, 6000, QImage::Format_Mono);
    huge.fill(0);
    ASSERT_TRUE(huge.save(QString::fromStdString(folder / "huge.png")));
    fs::create_directories(folder / "taken/64128A_1.png");
    fs::create_directories(folder / "full");
    Write_File(folder / "full/64128A_1.png", std::string("old"));
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    // The null device's numbers, in the test's own folder: a write that got through would replace
    // this node, never the system's.
    ASSERT_EQ(mknod((folder / "device").c_str(), S_IFCHR | 0600, makedev(1, 3)), 0);
    // A name in Latin-1, not UTF-8: it is found and reported byte for byte.
    Write_Bmp(folder / "caf\xE9.bmp", Test_Bitmap::Random(128, 64, 3));
    fs::create_symlink("nowhere", folder.Path() / "dangling");
    fs::create_symlink("loop", folder.Path() / "loop");
    const std::string too_long = "'" + folder.Path().string() + "/" + std::string(5000, 'x') + "'";
    // Copies of the program beside their default bitmaps, the 128x64 one missing or a regular file
    // that cannot be read.
    const fs::path bin = fs::path(VANTREL_CLI).parent_path();
    for (const std::string copy : {"missing", "unreadable"}) {
        fs::create_directory(folder.Path() / copy);
        fs::copy_file(VANTREL_CLI, folder.Path() / copy / "vantrel-cli");
        for (const std::string bmp : {"Sfondo_Bianco_240x64.bmp", "Sfondo_Bianco_240x128.bmp"}) {
            fs::create_symlink(bin / bmp, folder.Path() / copy / bmp);
        }
    }
    fs::create_symlink("/proc/self/mem", folder.Path() / "unreadable/Sfondo_Bianco_128x64.bmp");
    const std::string missing = folder / "missing/vantrel-cli";
    const std::string unreadable = folder / "unreadable/vantrel-cli";
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
        {"compile -o " + At("plain/out.bin"), 1, "cannot write"},
        {"compile" + out, 1, "cannot write", VANTREL_CLI, disk_full},
        {"compile -o " + At("fifo"), 2, "not a regular file"},
        {"compile -o " + At("taken"), 2, "it is a folder"},
        {"compile -o " + At("loop"), 2, "its symbolic links make a loop"},
        {"compile -o ''", 2, "-o needs a value"},
        {"compile --slot 64128A:1=" + At("notes.txt") + out, 2, "Selezionata immagine non valida"},
        {"compile --slot 64128A:5=a.bmp" + out, 2, "MODEL:N=FILE"},
        {"compile --slot RGS24128064:1=a.bmp" + out, 2, "RGS24128064"},
        {"compile --oled --slot 64128A:1=a.bmp" + out, 2, "64128A"},
        {"compile --oled --font5x8 1,2,3,4,5" + out, 2, "--oled"},
        {"compile --oled --font10x16 1,2,3,4,5,6,7,8,9,10" + out, 2, "--oled"},
        {"compile --font5x8 1,2,3,4" + out, 2, "5 values"},
        {"compile --font5x8 1,2,3,4,256" + out, 2, "256"},
        {"compile --font10x16 1,2,3,4,5,6,7,8,9,0x10000" + out, 2, "0x10000"},
        {"compile --config " + At("bad.vantrel") + out, 2, "line 2, column 1"},
        {"compile --config " + At("new.vantrel") + out, 2, "version 2"},
        {"compile --config " + At("none.vantrel") + out, 2, "it does not exist"},
        {"compile --config " + At("fifo") + out, 2, "not a regular file"},
        {"compile --config " + At("loop") + out, 2, "its symbolic links make a loop"},
        {"compile --config " + At("taken") + out, 2, "it is a folder"},
        {"compile --config " + too_long + out, 2, "the path is too long"},
        {"compile --config " + At("big.vantrel") + out, 2,
         "the configuration " + (folder / "big.vantrel") +
             " is 1048577 bytes; at most 1048576 are read"},
        // Megabytes of text behind a size of 0.
        {"compile --config /proc/kallsyms" + out, 2, "has more than 1048576 bytes"},
        {"compile --config " + At("gone.vantrel") + out, 2,
         "slot 64128A:1: cannot read " + (folder / "gone.bmp") + ": it does not exist"},
        {"compile --slot 64128A:1=" + At("caf\xE9.bmp") + out, 0, "EEPROM image written"},
        {"compile --slot 64128A:1=" + At("gon\xE9.bmp") + out, 2,
         "cannot read " + (folder / "gon\xE9.bmp") + ": it does not exist"},
        {"compile --slot 64128A:1=" + At("dangling") + out, 2,
         "it is a symbolic link to a file that does not exist"},
        {"compile --oled --config " + At("gone.vantrel") + out, 2, "--oled contradicts"},
        {"compile --bogus" + out, 2, "--bogus"},
        {"compile", 2, "-o OUT"},
        {"compile -o", 2, "-o needs a value; see 'vantrel-cli compile --help'"},
        {"compile --font5x8=1,2,3,4,5 -o=" + At("out.bin"), 0,
         "written to " + (folder / "out.bin")},
        {"config --save " + At("plain/p.vantrel"), 1, "a part of the path is a file"},
        {"config --save " + At("none/p.vantrel"), 1, "its folder does not exist"},
        {"config --save " + At("fifo"), 2, "not a regular file"},
        {"config --save " + At("device"), 2, "not a regular file"},
        {"config --save " + At("dangling"), 2, "a symbolic link to a file that does not exist"},
        {"config --save " + too_long, 2, "the path is too long"},
        {"config", 2, "--save FILE is required"},
        {preview + At("d"), 0, "64128A_1.png"},
        {preview + At("plain/d"), 1, "cannot create folder"},
        {preview + At("full"), 1, "cannot write", VANTREL_CLI, disk_full},
        {preview + At("plain"), 2, "not a folder"},
        {preview + At("taken"), 2, "not a regular file"},
        {"preview " + At("nothing.bin") + " -o " + At("d"), 2, "cannot read"},
        {"preview " + At("short.bin") + " -o " + At("d"), 2, "holds 65535 bytes"},
        {"preview /dev/zero -o " + At("d"), 2, "not a regular file"},
        {"preview " + At("image.bin"), 2, "IMAGE and -o DIR"},
        {port, 3, "cannot open the port: /dev/null: "},
        {"program --port " + At("gone"), 3, (folder / "gone") + ": no such device"},
        {"program --port serial=NO-SUCH-ADAPTER", 3, "NO-SUCH-ADAPTER"},
        {"program --port 65536", 2, "not a port number"},
        {port, 1, "non trovato", missing},
        {port + "--image /dev/zero", 2, "not a regular file"},
        {port + "--image " + At("short.bin"), 2, "holds 65535 bytes"},
        {port + "--image " + At("image.bin") + " --font5x8 1,2,3,4,5", 2, "compile options"},
        {"program", 2, "no port"},
        {"program --watch --port 3", 2, "'3' is a port number"},
        {"program --watch --port /dev/null --port 'COM 4'", 2, "'COM 4' is a port number"},
        {"program --watch --repeat", 2, "--repeat does not go with it"},
        {"program --watch --all", 2, "--all does not go with it"},
        {"program --watch --verbose --port /dev/null", 2, "not of a watch"},
        {"ports --json", 0, "["},
        {"ports extra", 2, "unexpected argument 'extra'"},
        {"convert " + At("notes.txt") + " --model 64128A" + out, 2, "notes.txt"},
        {"convert " + At("none.png") + " --model 64128A" + out, 2, "does not exist"},
        {"convert " + At("huge.png") + " --model 64128A" + out, 2, "6000x6000"},
        {"convert " + At("in.png") + out, 2, "--model"},
        {"convert " + At("in.png") + " --model 12345" + out, 2, "12345"},
        {convert + "--scale zoom" + out, 2, "zoom"},
        {convert + "--dither ''" + out, 2, "--dither needs a value"},
        {convert + "--threshold 256" + out, 2, "'256'"},
        {"convert " + At("fifo") + " --model 64128A" + out, 2, "not a regular file"},
        {"convert " + At("loop") + " --model 64128A" + out, 2, "its symbolic links make a loop"},
        {convert + "-o " + At("taken"), 2, "it is a folder"},
        {convert + "-o " + At("plain/out.bin"), 1, "a part of the path is a file"},
        {convert + out, 1, "cannot write " + (folder / "out.bin") + ": File too large", VANTREL_CLI,
         disk_full},
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
    // The help of a command, asked for anywhere among arguments that would otherwise run it or be
    // refused, is all that happens.
    const std::pair<std::string, std::string> helped[] = {
        {"compile", "compile" + out},
        {"config", "config --save " + At("out.bin")},
        {"preview", preview + At("d")},
        {"program", port + "--image " + At("image.bin")},
        {"ports", "ports --json --bogus"},
        {"convert", convert + "-o " + At("out.bin")},
        {"", "--port " + At("gone") + " --dump " + At("out.bin")},
    };
    for (const auto& [name, args] : helped) {
        for (const std::string help : {" --help", " -h"}) {
            const Run_Result result =
                Run(args + help, name.empty() ? MODULE_SIM_PATH : VANTREL_CLI);
            EXPECT_EQ(result.Exit, 0) << args << help << "\n" << result.Err;
            EXPECT_EQ(result.Out.rfind(name.empty() ? "Usage: module-sim"
                                                    : "usage: vantrel-cli " + name + " ",
                                       0),
                      0u)
                << args << help << "\n"
                << result.Out;
            EXPECT_EQ(result.Err, "") << args << help;
            EXPECT_FALSE(fs::exists(folder / "out.bin")) << args << help;
            EXPECT_FALSE(fs::exists(folder / "d")) << args << help;
        }
    }
    EXPECT_EQ(Read_File(folder / "full/64128A_1.png"), "old") << "a failed write keeps the old";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "full"), fs::directory_iterator{}), 1);
    EXPECT_EQ(fs::status(folder / "fifo").type(), fs::file_type::fifo);
    EXPECT_EQ(fs::status(folder / "device").type(), fs::file_type::character);
    EXPECT_FALSE(fs::exists(folder / "nowhere")) << "a dangling link's target is not made";
    EXPECT_TRUE(fs::is_directory(folder / "taken"));
}

// A configuration's relative paths are taken from its own folder; options given beside it win.
TEST_F(Cli, Configuration_Compiles_Like_Its_Options_And_Oled_Preview_Shows_It) {
    const Test_Bitmap logo = Test_Bitmap::Random(128, 64, 5);
    Write_Bmp(folder / "logo.bmp", logo);
    Write_Bmp(folder / "other.bmp", Test_Bitmap::Random(128, 64, 6));
    fs::create_directory(folder.Path() / "cfg");
    const std::string config = At("cfg/p.vantrel");
    const std::string options = "--slot 64128E:2=" + At("logo.bmp") + " --font5x8 1,2,3,4,5";
    ASSERT_EQ(Run("config --save " + config + " " + options).Exit, 0);
    EXPECT_NE(
        Read_File(folder / "cfg/p.vantrel").find("\"64128E\": [null, \"../logo.bmp\", null, null]"),
        std::string::npos);
    const auto image = [&](const std::string& args) {
        const Run_Result result = Run("compile " + args + " -o " + At("image.bin"));
        EXPECT_EQ(result.Exit, 0) << args << result.Err;
        return Read_File(folder / "image.bin");
    };
    EXPECT_EQ(image("--config " + config), image(options));
    const std::string other = " --slot 64128E:2=" + At("other.bmp") + " --font5x8 0,0,0,0,9";
    EXPECT_EQ(image("--config " + config + other), image(other));
    ASSERT_EQ(
        Run("config --oled --save " + At("o.quorrin") + " --slot RGS24128064:3=" + At("logo.bmp"))
            .Exit,
        0);
    EXPECT_EQ(image("--config " + At("o.quorrin")),
              image("--oled --slot RGS24128064:3=" + At("logo.bmp")));
    // Preview draws the OLED slot black where the unit lights it.
    ASSERT_EQ(Run("preview --oled " + At("image.bin") + " -o " + At("d")).Exit, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "d"), fs::directory_iterator{}), 4);
    const QImage shown(QString::fromStdString(folder / "d/RGS24128064_3.png"));
    ASSERT_EQ(shown.size(), QSize(128, 64));
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 128; ++x) {
            ASSERT_EQ(qGray(shown.pixel(x, y)) == 0, logo.At(x, y) == 0) << x << "," << y;
        }
    }
}

// Every output is replaced whole or not at all: a link's target is replaced and the link kept, the
// old permission bits stay, a new file gets the umask's; a full disk or a read-only folder leaves
// the old file as it was and says which.
TEST_F(Cli, Outputs_Replace_Link_Targets_Keep_Modes_And_Old_Files_On_Failure) {
    ASSERT_TRUE(Source().save(QString::fromStdString(folder / "in.png")));
    const std::string commands[] = {"convert " + At("in.png") + " --model 128240A -o ",
                                    "compile -o ", "config --save "};
    for (std::size_t i = 0; i < std::size(commands); ++i) {
        const std::string target = folder / ("target" + std::to_string(i));
        const std::string link = "link" + std::to_string(i);
        Write_File(target, std::string("old"));
        fs::permissions(target, fs::perms(0604));
        fs::create_symlink(fs::path(target).filename(), folder.Path() / link);
        const Run_Result linked = Run("" + commands[i] + At(link), VANTREL_CLI, "umask 077;");
        EXPECT_EQ(linked.Exit, 0) << commands[i] << linked.Err;
        EXPECT_TRUE(fs::is_symlink(folder.Path() / link)) << commands[i];
        EXPECT_NE(Read_File(target), "old") << commands[i];
        EXPECT_EQ(int(fs::status(target).permissions()), 0604) << commands[i];
        const std::string fresh = "new" + std::to_string(i);
        ASSERT_EQ(Run(commands[i] + At(fresh), VANTREL_CLI, "umask 027;").Exit, 0) << commands[i];
        EXPECT_EQ(int(fs::status(folder / fresh).permissions()), 0640) << commands[i];
    }
    // Each output, the link, the target and the new file, and the two captured streams.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator{}),
              1 + 3 * 3 + 2);

    // A full disk and a read-only folder are made in a mount namespace of this run alone.
    const std::string cli = "'" + std::string(VANTREL_CLI) + "'";
    std::string script = "mkdir full ro && mount -t tmpfs -o size=64k none full && "
                         "mount -t tmpfs none ro || exit 77\n"
                         "printf old >full/out; printf old >ro/out; mount -o remount,ro ro\n"
                         "dd if=/dev/zero of=full/fill bs=1k count=100 2>/dev/null\n";
    for (const std::string where : {"full", "ro"}) {
        for (const std::string& command : commands) {
            script += cli + " " + command + where + "/out; echo \"exit $?\"; cat " + where +
                      "/out; echo; ls -A " + where + " | wc -l\n";
        }
    }
    Write_File(folder / "disks.sh", script);
    const Run_Result run =
        Run("-m sh -c 'cd " + folder.Path().string() + " && sh disks.sh'", "unshare");
    if (run.Exit == 77) {
        GTEST_SKIP() << "no mount namespace here: " << run.Err;
    }
    EXPECT_EQ(run.Out, "exit 1\nold\n2\nexit 1\nold\n2\nexit 1\nold\n2\n"
                       "exit 1\nold\n1\nexit 1\nold\n1\nexit 1\nold\n1\n");
    for (const std::string said :
         {"cannot write full/out: the disk is full\n",
          "cannot write ro/out: its folder is on a read-only file system\n"}) {
        EXPECT_EQ(Count(run.Err, said), 3) << said << run.Err;
    }
}
