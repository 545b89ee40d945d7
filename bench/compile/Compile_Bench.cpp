// Compiles the 16 graphic slots from real files and, in the same run, only reads the same 16
// files whole into memory; prints the time per image and the ratio compile / read.
#include "Fake_Window_System.h"
#include "Test_Bitmap.h"
#include "mod_Compilatore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Rounds = 21;
constexpr int Passes_Per_Round = 200;

std::size_t Read_All(const std::vector<std::string>& paths) {
    std::size_t total = 0;
    std::vector<char> bytes;
    for (const std::string& path : paths) {
        std::ifstream file(path, std::ios::binary | std::ios::ate);
        bytes.resize(static_cast<std::size_t>(file.tellg()));
        file.seekg(0);
        file.read(bytes.data(), std::streamsize(bytes.size()));
        total += bytes.size() + static_cast<unsigned char>(bytes.back());
    }
    return total;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    Temp_Folder folder("bench");
    Fake_Window_System ws;
    Program_Data data(Vantrel_Program());
    std::vector<std::string> paths;
    for (Image_Table& table : data.Tables) {
        const Model_Descriptor& model = *table.Model;
        for (int k = 0; k < Slots_Per_Table; ++k) {
            const std::string name = model.Code + "_" + std::to_string(k) + ".bmp";
            Write_Bmp(folder / name,
                      Test_Bitmap::Random(model.Width, model.Height, unsigned(paths.size())));
            table.Slots[k] = {folder / name, name, double(model.Height), double(model.Width)};
            paths.push_back(folder / name);
        }
    }

    std::vector<double> compile_us;
    std::vector<double> read_us;
    std::size_t sink = 0;
    for (int round = 0; round < Rounds; ++round) {
        auto start = Clock::now();
        for (int pass = 0; pass < Passes_Per_Round; ++pass) {
            if (!Compile_Images(data, ws)) {
                std::fprintf(stderr, "compile failed\n");
                return 1;
            }
            sink += data.EEPROM_Image[pass % 0x7A00];
        }
        compile_us.push_back(
            std::chrono::duration<double, std::micro>(Clock::now() - start).count() /
            Passes_Per_Round);
        start = Clock::now();
        for (int pass = 0; pass < Passes_Per_Round; ++pass) {
            sink += Read_All(paths);
        }
        read_us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() /
                          Passes_Per_Round);
    }
    const double compile = Median(compile_us);
    const double read = Median(read_us);
    std::printf("16 graphic slots, median of %d rounds of %d passes\n", Rounds, Passes_Per_Round);
    std::printf("compile: %.1f us per pass, %.2f us per image\n", compile, compile / 16);
    std::printf("read whole files only: %.1f us per pass, %.2f us per file\n", read, read / 16);
    std::printf("ratio compile / read: %.2f (target at most 2)\n", compile / read);
    std::printf("(checksum %zu)\n", sink);
    return 0;
}
