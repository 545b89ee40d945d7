// vantrel-cli program against module-sim on pseudo-terminals: the real serial control, the real
// event loop and real seconds.
#include "Child_Process.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <random>
#include <thread>

using namespace std::chrono_literals;

namespace {

const std::string Cli = VANTREL_CLI_PATH;

// A simulated unit with the given faults, logging what it receives and dumping its EEPROM.
struct Unit {
    explicit Unit(std::vector<std::string> faults)
        : sim((faults.insert(faults.end(), {"--verbose", "--dump", folder / "dump.bin"}), faults)) {
    }
    // Ends the unit, which writes its dump; the detection, write and reset requests it logged.
    std::vector<int> Requests() {
        sim.Process.Stop(SIGTERM);
        const std::string log = sim.Process.Err();
        return {Count(log, "find #"), Count(log, "write #"), Count(log, "reset #")};
    }
    std::string Held() const { return Read_File(folder / "dump.bin"); }

    Temp_Folder folder{"e2e"};
    Simulated_Unit sim;
};

// The number vantrel-cli ports --json gives the unit on `device`.
std::string Number_Of(const std::string& device) {
    Child_Process ports(Cli, {"ports", "--json"});
    EXPECT_EQ(ports.Wait(10s), 0);
    for (const QJsonValue port :
         QJsonDocument::fromJson(QByteArray::fromStdString(ports.Out())).array()) {
        if (port[QStringLiteral("device")].toString().toStdString() == device) {
            EXPECT_EQ(port[QStringLiteral("simulated")], true);
            EXPECT_EQ(port[QStringLiteral("accessible")], true) << "a unit of the user's own";
            EXPECT_TRUE(port[QStringLiteral("vid_pid")].isNull()) << "present, without USB ids";
            return std::to_string(port[QStringLiteral("number")].toInt());
        }
    }
    return "none";
}

} // namespace

// Every outcome of a run against its own unit, all units at once: the exit status, what
// vantrel-cli said, the requests the unit received and, where known, what it holds after.
TEST(Cli_Program, EveryOutcomeExitsWithItsStatus) {
    Temp_Folder folder("e2e_cases");
    std::string ready(65536, '\0');
    for (std::size_t i = 0; i < ready.size(); ++i) {
        ready[i] = static_cast<char>(i * 7 + (i >> 8));
    }
    Write_File(folder / "ready.bin", ready);
    // The default backgrounds are white, so a compile of them holds nothing but the glyphs.
    std::string compiled(65536, '\0');
    const std::uint8_t glyphs[] = {1, 2,    0x80, 0xFF, 0, 1, 2, 3, 4, 5, 6, 7,   8,
                                   9, 0xFF, 0x80, 0,    0, 0, 0, 0, 0, 0, 0, 0xFF};
    std::copy(std::begin(glyphs), std::end(glyphs), compiled.begin() + 0x8000);
    const std::string interrupted = "Comunicazione seriale interrotta.\n";
    // How the unit is named: its device path, its number as ports lists it, its device name.
    enum Port { Path, Number, Name };
    struct Case {
        std::vector<std::string> Faults;
        std::vector<std::string> Args;
        int Exit;
        std::vector<std::string> Said;
        std::vector<int> Requests;
        std::optional<std::string> Held = std::nullopt;
        Port Named = Path;
    };
    // clang-format off
    const std::vector<Case> cases{
        {{"--wrong-echo", "find:1", "--bad-checksum", "write:2"},
         {"--font5x8", "1,2,0x80,255,0", "--font10x16", "0x8001,2,3,4,5,6,7,8,9,65535"},
         0, {"written and reset: 512 blocks, 2 retries"}, {2, 513, 1}, compiled},
        {{}, {"--image", folder / "ready.bin"}, 0, {"512 blocks, 0 retries"}, {1, 512, 1}, ready,
         Number},
        // Block 9's first acknowledgement is overtaken by its retry's, which stray bytes follow,
        // and block 10's first request is lost: the late one must not pass for block 10's.
        {{"--held-ack", "9:3300", "--stray-after", "write:11:5AA53C:1", "--lose-block", "10"},
         {"--image", folder / "ready.bin"}, 0, {"512 blocks, 2 retries", "1 late replies"},
         {1, 514, 1}, ready},
        {{"--held-ack", "9:3300", "--stray-after", "write:11:041234", "--lose-block", "10"},
         {"--image", folder / "ready.bin"}, 0, {"512 blocks, 2 retries", "1 late replies"},
         {1, 514, 1}, ready},
        // The one run that waits out real time-outs.
        {{"--mute", "find"}, {"--verbose"}, 3,
         {interrupted + "Impossibile trovare il modulo, verificare la connessione!",
          "0x87; 0x00; 0x78\n"}, {3, 0, 0}},
        {{"--wrong-echo", "write"}, {}, 4,
         {interrupted + "Scrittura EEPROM I2C fallita!", "write failed: 0 blocks, 2 retries"},
         {1, 3, 1}},
        {{"--wrong-echo", "reset"}, {}, 6,
         {interrupted + "Impossibile resettare PIC!",
          "written, reset not acknowledged: 512 blocks, 2 retries"}, {1, 512, 3}, std::nullopt,
         Name},
    };
    // clang-format on
    std::vector<std::unique_ptr<Unit>> units;
    for (const Case& c : cases) {
        units.push_back(std::make_unique<Unit>(c.Faults));
        ASSERT_FALSE(units.back()->sim.Device.empty());
    }
    // Every port is named before any run starts, and no unit here ends before its run does: one
    // that left the list would shift the numbers of the units after it.
    std::vector<std::vector<std::string>> args;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string& device = units[i]->sim.Device;
        args.push_back({"program", "--port",
                        cases[i].Named == Number ? Number_Of(device)
                        : cases[i].Named == Name ? device.substr(5)
                                                 : device});
        args.back().insert(args.back().end(), cases[i].Args.begin(), cases[i].Args.end());
    }
    std::vector<std::unique_ptr<Child_Process>> runs;
    for (const auto& run : args) {
        runs.push_back(std::make_unique<Child_Process>(Cli, run));
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(runs[i]->Wait(30s), c.Exit) << i << ": " << runs[i]->Err();
        for (const std::string& said : c.Said) {
            EXPECT_NE(runs[i]->Err().find(said), std::string::npos) << i << ": " << runs[i]->Err();
        }
        EXPECT_EQ(units[i]->Requests(), c.Requests) << i;
        if (c.Held) {
            EXPECT_TRUE(units[i]->Held() == *c.Held) << i;
        }
    }
}

// Ctrl-C, while every unit waits for the acknowledgement of its first block, stops them all where
// they are, none of them reset: a run of one port alone, one of production mode and a watch.
TEST(Cli_Program, InterruptStopsEveryUnitWithoutReset) {
    struct Mode {
        std::string Option; // --port takes the one unit's device
        int Units;
        std::string Writing;
        int Stopped; // lines saying so
    };
    for (const Mode& mode : {Mode{"--port", 1, "block 0/512", 1}, Mode{"--all", 3, ": writing", 6},
                             Mode{"--watch", 3, ": writing", 3}}) {
        std::vector<std::unique_ptr<Unit>> units;
        for (int i = 0; i < mode.Units; ++i) {
            units.push_back(std::make_unique<Unit>(std::vector<std::string>{"--mute", "write"}));
        }
        std::vector<std::string> args{"program", mode.Option};
        if (mode.Option == "--port") {
            args.push_back(units[0]->sim.Device);
        }
        Child_Process cli(Cli, args);
        for (int i = 0; i < 500 && Count(cli.Err(), mode.Writing) < mode.Units; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        ASSERT_GE(Count(cli.Err(), mode.Writing), mode.Units) << cli.Err();
        std::this_thread::sleep_for(200ms);
        cli.Signal(SIGINT);
        ASSERT_EQ(cli.Wait(5s), 5) << cli.Err();
        EXPECT_EQ(cli.Err().find("ERROR"), std::string::npos) << "a stop is not a failure";
        EXPECT_EQ(Count(cli.Err(), "stopped"), mode.Stopped) << cli.Err();
        for (auto& unit : units) {
            const std::vector<int> requests = unit->Requests();
            EXPECT_GE(requests[0], 1) << mode.Option;
            EXPECT_EQ(std::vector<int>(requests.begin() + 1, requests.end()),
                      (std::vector<int>{1, 0}))
                << mode.Option;
        }
    }
}

// A watch programs each unit as it comes, once per appearance: one there at the start, two that
// come together, one that leaves mid-run, one that comes back, one that never answers. Ctrl-C
// ends it with the highest status among its records, the same records a round writes.
TEST(Watch, UnitsPluggedAndUnpluggedAreEachProgrammedOnce) {
    Temp_Folder folder("watch");
    std::string image(65536, '\0');
    std::mt19937 random(11);
    std::generate(image.begin(), image.end(), [&] { return char(random()); });
    Write_File(folder / "image.bin", image);
    std::vector<std::unique_ptr<Unit>> written;
    written.push_back(std::make_unique<Unit>(std::vector<std::string>{}));
    Child_Process cli(Cli, {"program", "--watch", "--image", folder / "image.bin", "--json",
                            "--log", folder / "log.csv"});
    auto records_reach = [&cli](int records, const std::string& also = "") {
        for (int i = 0; i < 1000; ++i) {
            if (Count(cli.Out(), "\"outcome\":") >= records &&
                cli.Err().find(also) != std::string::npos) {
                return true;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    };
    ASSERT_TRUE(records_reach(1)) << cli.Err();
    written.push_back(std::make_unique<Unit>(std::vector<std::string>{}));
    written.push_back(std::make_unique<Unit>(std::vector<std::string>{}));
    Unit silent({"--mute", "find"});
    Unit leaving({"--mute", "write"});
    ASSERT_TRUE(records_reach(3, leaving.sim.Device + ": writing")) << cli.Err();
    leaving.sim.Process.Stop(SIGKILL);
    ASSERT_TRUE(records_reach(4)) << cli.Err();
    // The first unit leaves, and comes back as a new one.
    const std::vector<int> first = written.front()->Requests();
    EXPECT_EQ(std::vector<int>(first.begin() + 1, first.end()), (std::vector<int>{512, 1}));
    written.push_back(std::make_unique<Unit>(std::vector<std::string>{}));
    ASSERT_TRUE(records_reach(5)) << cli.Err();
    // The silent unit is probed about once a second, and never more than that.
    for (int i = 0; i < 300 && Count(silent.sim.Process.Err(), "find #") < 2; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    cli.Signal(SIGINT);
    ASSERT_EQ(cli.Wait(10s), 4) << cli.Err();

    EXPECT_EQ(Count(cli.Out(), "\"outcome\":\"written\",\"exit_code\":0,\"blocks\":512,"), 4)
        << cli.Out();
    EXPECT_EQ(Count(cli.Out(), "\"device\":\"" + leaving.sim.Device +
                                   "\",\"serial\":null,\"outcome\":\"write_failed\""),
              1)
        << cli.Out();
    EXPECT_NE(cli.Out().find("\n{\"summary\":true,\"rounds\":1,\"units\":5,\"succeeded\":4,"
                             "\"failed\":1,\"exit_code\":4}\n"),
              std::string::npos)
        << cli.Out();
    const std::string log = Read_File(folder / "log.csv");
    EXPECT_EQ(log.substr(0, log.find('\n')),
              "finished,port,device,serial,outcome,exit_code,blocks,retries,seconds,image_sha256");
    EXPECT_EQ(Count(log, "\n"), 6) << log;
    EXPECT_EQ(Count(cli.Err(), "Total: "), 6) << "after each unit, and at the end";
    for (auto& unit : written) {
        EXPECT_EQ(unit->Requests()[2], 1);
        EXPECT_TRUE(unit->Held() == image);
    }
    const std::vector<int> never = silent.Requests();
    EXPECT_TRUE(never[0] == 2 || never[0] == 3) << never[0];
    EXPECT_EQ(never[1] + never[2], 0);
}
