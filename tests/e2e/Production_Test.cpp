// vantrel-cli program on several simulated units at once, in real time.
#include "Child_Process.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <random>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;

namespace {

// A simulated unit that logs every request and dumps its EEPROM at its end.
struct Logged_Unit {
    explicit Logged_Unit(std::vector<std::string> faults)
        : sim((faults.insert(faults.end(), {"--verbose", "--dump", folder / "dump.bin"}), faults)) {
    }
    // Ends the unit, which writes its dump; returns what it logged.
    std::string Stop() {
        sim.Process.Stop(SIGTERM);
        return sim.Process.Err();
    }
    Temp_Folder folder{"production_unit"};
    Simulated_Unit sim;
};

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace

// A silent unit and one that refuses a block neither delay nor harm the others; each ends with
// its one-port exit status in its record, and the run with the highest of them.
TEST(Production, FourUnitsAtOnceEachOnItsOwn) {
    Temp_Folder folder("production");
    std::string image(65536, '\0');
    std::mt19937 random(7);
    for (char& byte : image) {
        byte = static_cast<char>(random());
    }
    Write_File(folder / "image.bin", image);
    const std::string sha256 =
        QCryptographicHash::hash(QByteArray::fromStdString(image), QCryptographicHash::Sha256)
            .toHex()
            .toStdString();
    std::vector<std::unique_ptr<Logged_Unit>> units;
    std::vector<std::string> args{"program", "--image", folder / "image.bin",
                                  "--json",  "--log",   folder / "log.csv"};
    for (const auto& faults : std::vector<std::vector<std::string>>{
             {}, {"--mute", "find"}, {"--never-ack-block", "7"}, {}}) {
        units.push_back(std::make_unique<Logged_Unit>(faults));
        args.insert(args.end(), {"--port", units.back()->sim.Device});
    }
    Child_Process cli(VANTREL_CLI_PATH, args);
    ASSERT_EQ(cli.Wait(30s), 4) << cli.Err();

    struct Expected {
        const char* Outcome;
        int Exit, Blocks, Finds, Writes, Resets;
    };
    const Expected expected[] = {{"written", 0, 512, 1, 512, 1},
                                 {"not_found", 3, 0, 3, 0, 0},
                                 {"write_failed", 4, 7, 1, 10, 1},
                                 {"written", 0, 512, 1, 512, 1}};
    const std::vector<std::string> records = Lines(cli.Out());
    ASSERT_EQ(records.size(), 5u) << cli.Out();
    const std::vector<std::string> logged = Lines(Read_File(folder / "log.csv"));
    ASSERT_EQ(logged.size(), 5u);
    EXPECT_EQ(logged[0],
              "finished,port,device,serial,outcome,exit_code,blocks,retries,seconds,image_sha256");
    for (std::size_t i = 0; i < units.size(); ++i) {
        const std::string& device = units[i]->sim.Device;
        const auto record =
            std::find_if(records.begin(), records.end(), [&device](const std::string& line) {
                return line.find("\"device\":\"" + device + "\"") != std::string::npos;
            });
        ASSERT_NE(record, records.end()) << device;
        const QJsonObject json =
            QJsonDocument::fromJson(QByteArray::fromStdString(*record)).object();
        EXPECT_EQ(json["outcome"].toString().toStdString(), expected[i].Outcome) << *record;
        EXPECT_EQ(json["exit_code"].toInt(), expected[i].Exit) << *record;
        EXPECT_EQ(json["blocks"].toInt(), expected[i].Blocks) << *record;
        EXPECT_EQ(json["image_sha256"].toString().toStdString(), sha256);
        EXPECT_TRUE(json["serial"].isNull());
        // The good units are not held up by the waits of the others.
        if (expected[i].Exit == 0) {
            EXPECT_LT(json["seconds"].toDouble(), 5.0) << *record;
        }
        EXPECT_EQ(std::count_if(logged.begin(), logged.end(),
                                [&](const std::string& line) {
                                    return line.find("," + device + "," + device + ",," +
                                                     expected[i].Outcome + "," +
                                                     std::to_string(expected[i].Exit) + "," +
                                                     std::to_string(expected[i].Blocks) + ",") !=
                                               std::string::npos &&
                                           line.ends_with("," + sha256);
                                }),
                  1)
            << device;
        const std::string log = units[i]->Stop();
        EXPECT_EQ(Count(log, "find #"), expected[i].Finds) << i;
        EXPECT_EQ(Count(log, "write #"), expected[i].Writes) << i;
        EXPECT_EQ(Count(log, "reset #"), expected[i].Resets) << i;
        if (expected[i].Exit == 0) {
            EXPECT_TRUE(Read_File(units[i]->folder / "dump.bin") == image) << i;
        }
    }
    EXPECT_EQ(records.back(), "{\"summary\":true,\"rounds\":1,\"units\":4,\"succeeded\":2,"
                              "\"failed\":2,\"exit_code\":4}");
}

// Ctrl-C stops every unit where it is, none of them reset.
TEST(Production, InterruptStopsEveryUnitWithoutReset) {
    std::vector<std::unique_ptr<Logged_Unit>> units;
    for (int i = 0; i < 3; ++i) {
        units.push_back(std::make_unique<Logged_Unit>(std::vector<std::string>{"--mute", "write"}));
    }
    Child_Process cli(VANTREL_CLI_PATH, {"program", "--all"});
    for (int i = 0; i < 500 && Count(cli.Err(), ": writing") < 3; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(Count(cli.Err(), ": writing"), 3) << cli.Err();
    cli.Signal(SIGINT);
    ASSERT_EQ(cli.Wait(5s), 5) << cli.Err();
    EXPECT_EQ(Count(cli.Err(), "stopped"), 6) << cli.Err(); // a line each, a table row each
    for (auto& unit : units) {
        const std::string log = unit->Stop();
        EXPECT_EQ(Count(log, "write #"), 1);
        EXPECT_EQ(Count(log, "reset #"), 0);
    }
}
