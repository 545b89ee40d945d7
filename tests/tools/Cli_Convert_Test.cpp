#include "Test_Bitmap.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

class Cli_Convert : public ::testing::Test {
  protected:
    Temp_Folder folder{"convert"};

    // Exit status and stderr of vantrel-cli with these arguments.
    std::pair<int, std::string> Run(const std::string& args) {
        const std::string err = folder / "stderr.txt";
        const std::string command =
            std::string("'") + VANTREL_CLI + "' " + args + " >/dev/null 2>'" + err + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read_File(err)};
    }
};

// A black left half; the transparent right half becomes white, with a black bar in it from
// (80, 16) to (95, 47).
QImage Source() {
    QImage image(120, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter paint(&image);
    paint.setCompositionMode(QPainter::CompositionMode_Source);
    paint.fillRect(0, 0, 60, 64, Qt::black);
    paint.fillRect(80, 16, 16, 32, Qt::black);
    return image;
}

const char* Svg_Source =
    "<svg xmlns='http://www.w3.org/2000/svg' width='120' height='64'>"
    "<rect width='120' height='64' fill='white'/><rect width='60' height='64' fill='black'/>"
    "<rect x='80' y='16' width='16' height='32' fill='#000'/></svg>";

} // namespace

TEST_F(Cli_Convert, Converted_Picture_Compiles_To_The_Expected_Region) {
    ASSERT_TRUE(Source().save(QString::fromStdString(folder / "logo.png")));
    Write_File(folder / "logo.svg", std::string(Svg_Source));
    // Fit doubles 120x64 onto 240x128; horizontal rows, a lit pixel a set bit.
    std::string expected(240 * 128 / 8, '\0');
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 240; ++x) {
            if (x < 120 || (x >= 160 && x < 192 && y >= 32 && y < 96)) {
                expected[std::size_t(y) * 30 + x / 8] |= char(0x80 >> (x % 8));
            }
        }
    }
    for (const char* source : {"logo.png", "logo.svg"}) {
        const std::string out = folder / "logo_128240A.bmp";
        const auto [status, err] = Run("convert " + (folder / source) +
                                       " --model 128240A --dither floyd-steinberg -o " + out);
        ASSERT_EQ(status, 0) << source << err;
        ASSERT_EQ(Run("compile --slot 128240A:1=" + out + " -o " + (folder / "image.bin")).first,
                  0);
        EXPECT_TRUE(Read_File(folder / "image.bin").substr(0x3E00, expected.size()) == expected)
            << source;
    }
}

TEST_F(Cli_Convert, Refusals_Exit_2_Or_1_And_Leave_The_Output_Alone) {
    ASSERT_TRUE(Source().save(QString::fromStdString(folder / "in.png")));
    // 6000x6000 in 32 bits is 144 MB, over the readers' 128 MB.
    QImage huge(6000, 6000, QImage::Format_Mono);
    huge.fill(0);
    ASSERT_TRUE(huge.save(QString::fromStdString(folder / "huge.png")));
    Write_File(folder / "notes.txt", std::string(100, 'x'));
    fs::create_directory(folder / "dir.bmp");
    const std::string in = folder / "in.png";
    const std::string out = " -o " + (folder / "out.bmp");
    const struct {
        std::string args;
        int status;
        std::string reason;
    } cases[] = {
        {folder / "notes.txt" + " --model 64128A" + out, 2, "notes.txt"},
        {folder / "missing.png" + " --model 64128A" + out, 2, "does not exist"},
        {folder / "huge.png" + " --model 64128A" + out, 2, "6000x6000"},
        {in + out, 2, "--model"},
        {in + " --model 12345" + out, 2, "12345"},
        {in + " --model 64128A --scale zoom" + out, 2, "zoom"},
        {in + " --model 64128A --dither ''" + out, 2, "--dither needs a value"},
        {in + " --model 64128A --threshold 0" + out, 2, "'0'"},
        {in + " --model 64128A --threshold 256" + out, 2, "'256'"},
        {in + " --model 64128A --threshold 12x" + out, 2, "'12x'"},
        {in + " --model 64128A -o " + (folder / "dir.bmp"), 2, "not a regular file"},
        {in + " --model 64128A -o " + (folder / "none/out.bmp"), 1, "cannot write"},
    };
    Write_File(folder / "out.bmp", std::string("old"));
    for (const auto& c : cases) {
        const auto [status, err] = Run("convert " + c.args);
        EXPECT_EQ(status, c.status) << c.args;
        EXPECT_NE(err.find(c.reason), std::string::npos) << c.args << "\n" << err;
        // A refused file is one line; a bad option also shows the usage.
        EXPECT_EQ(err.find('\n') == err.size() - 1, err.find("usage:") == std::string::npos) << err;
    }
    EXPECT_EQ(Read_File(folder / "out.bmp"), "old");
    EXPECT_TRUE(fs::is_directory(folder / "dir.bmp"));
}
