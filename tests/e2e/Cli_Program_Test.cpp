// vantrel-cli program against module-sim on a pseudo-terminal: the real serial control, the real
// event loop and real seconds.
#include "Child_Process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace std::chrono_literals;

namespace {

const std::string Cli = VANTREL_CLI_PATH;
const std::string Sim = MODULE_SIM_PATH;

// A simulated unit that dumps its EEPROM into a private folder.
struct Unit {
    explicit Unit(std::vector<std::string> faults)
        : folder(Temp_Folder()), dump(folder + "/dump.bin"),
          process(Sim, With(faults, {"--pty", "--verbose", "--dump", dump})),
          device(process.First_Line(5s)) {}
    ~Unit() { std::filesystem::remove_all(folder); }

    static std::vector<std::string> With(std::vector<std::string> a,
                                         const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }
    // Ends the unit (which writes its dump) and returns what it logged.
    std::string Stop() {
        process.Signal(SIGTERM);
        process.Wait(5s);
        return process.Err();
    }

    std::string folder;
    std::string dump;
    Child_Process process;
    std::string device;
};

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

std::string Compile(const std::vector<std::string>& options, const std::string& folder) {
    const std::string out = folder + "/expected.bin";
    std::vector<std::string> args{"compile"};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), {"-o", out});
    Child_Process compile(Cli, args);
    EXPECT_EQ(compile.Wait(10s), 0) << compile.Err();
    return Read_File(out);
}

} // namespace

TEST(Cli_Program, FullRunLeavesTheCompiledImageInTheUnit) {
    Unit unit({});
    ASSERT_FALSE(unit.device.empty());
    const std::vector<std::string> glyphs{"--font5x8", "1,2,0x80,255,0", "--font10x16",
                                          "0x8001,2,3,4,5,6,7,8,9,65535"};
    std::vector<std::string> args{"program", "--port", unit.device};
    args.insert(args.end(), glyphs.begin(), glyphs.end());
    Child_Process cli(Cli, args);
    ASSERT_EQ(cli.Wait(30s), 0) << cli.Err();
    EXPECT_NE(cli.Err().find("512 blocks, 0 retries"), std::string::npos) << cli.Err();

    const std::string log = unit.Stop();
    EXPECT_EQ(Count(log, "find #"), 1);
    EXPECT_EQ(Count(log, "write #"), 512);
    EXPECT_EQ(Count(log, "reset #"), 1);
    const std::string expected = Compile(glyphs, unit.folder);
    ASSERT_EQ(expected.size(), 65536u);
    EXPECT_TRUE(Read_File(unit.dump) == expected);
}

TEST(Cli_Program, ReadyImageIsSentUnchangedAndOtherSizesAreRefused) {
    Unit unit({});
    std::string image(65536, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<char>(i * 7 + (i >> 8));
    }
    const std::string path = unit.folder + "/ready.bin";
    std::ofstream(path, std::ios::binary) << image;
    const std::string short_path = unit.folder + "/short.bin";
    std::ofstream(short_path, std::ios::binary) << image.substr(1);

    Child_Process refused(Cli, {"program", "--port", unit.device, "--image", short_path});
    EXPECT_EQ(refused.Wait(10s), 2);
    Child_Process cli(Cli, {"program", "--port", unit.device, "--image", path});
    ASSERT_EQ(cli.Wait(30s), 0) << cli.Err();

    const std::string log = unit.Stop();
    EXPECT_EQ(Count(log, "find #"), 1) << "the refused image must send nothing";
    EXPECT_TRUE(Read_File(unit.dump) == image);
}

TEST(Cli_Program, DetectionAnsweredOnlyOnTheThirdRequest) {
    Unit unit({"--answer-from", "find:3"});
    Child_Process cli(Cli, {"program", "--port", unit.device});
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(cli.Wait(30s), 0) << cli.Err();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 6s);
    EXPECT_EQ(Count(unit.Stop(), "find #"), 3);
}

TEST(Cli_Program, BlockNeverAcknowledgedFailsTheWriteAndStillResets) {
    Unit unit({"--never-ack-block", "3"});
    Child_Process cli(Cli, {"program", "--port", unit.device});
    ASSERT_EQ(cli.Wait(30s), 4) << cli.Err();
    EXPECT_NE(cli.Err().find("Comunicazione seriale interrotta.\nScrittura EEPROM I2C fallita!"),
              std::string::npos)
        << cli.Err();
    const std::string log = unit.Stop();
    EXPECT_EQ(Count(log, "(block 3)"), 3);
    EXPECT_EQ(Count(log, "(block 4)"), 0);
    EXPECT_EQ(Count(log, "reset #"), 1);
}

TEST(Cli_Program, LineClosedMidTransferEndsTheRunAtOnce) {
    Unit unit({"--close-after-block", "10"});
    Child_Process cli(Cli, {"program", "--port", unit.device});
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(cli.Wait(30s), 4) << cli.Err();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << "no time-out waited on a lost line";
    EXPECT_NE(cli.Err().find("Scrittura EEPROM I2C fallita!"), std::string::npos) << cli.Err();
}

TEST(Cli_Program, InterruptStopsTheWriteWithoutReset) {
    Unit unit({"--mute", "write"});
    Child_Process cli(Cli, {"program", "--port", unit.device});
    std::this_thread::sleep_for(1s);
    cli.Signal(SIGINT);
    ASSERT_EQ(cli.Wait(5s), 5) << cli.Err();
    EXPECT_EQ(cli.Err().find("ERROR"), std::string::npos) << "a stop is not a failure";
    const std::string log = unit.Stop();
    EXPECT_EQ(Count(log, "write #"), 1);
    EXPECT_EQ(Count(log, "reset #"), 0);
}

TEST(Cli_Program, SilentUnitIsNotFoundAfterThreeTimeOuts) {
    Unit unit({"--mute", "find"});
    Child_Process cli(Cli, {"program", "--port", unit.device, "--verbose"});
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(cli.Wait(30s), 3) << cli.Err();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 9s);
    const std::string err = cli.Err();
    EXPECT_EQ(Count(err, "0x87; 0x00; 0x78\n"), 3) << err;
    EXPECT_NE(err.find("Comunicazione seriale interrotta.\nImpossibile trovare il modulo, "
                       "verificare la connessione!"),
              std::string::npos)
        << err;
}
