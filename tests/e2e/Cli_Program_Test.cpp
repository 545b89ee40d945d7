// vantrel-cli program against module-sim on a pseudo-terminal: the real serial control, the real
// event loop and real seconds.
#include "Child_Process.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <thread>

using namespace std::chrono_literals;

namespace {

const std::string Cli = VANTREL_CLI_PATH;

// A simulated unit with the given faults, logging what it receives and dumping its EEPROM.
struct Unit {
    explicit Unit(std::vector<std::string> faults)
        : sim((faults.insert(faults.end(), {"--verbose", "--dump", folder / "dump.bin"}), faults)) {
    }
    // Ends the unit (which writes its dump) and returns what it logged.
    std::string Stop() {
        sim.Process.Stop(SIGTERM);
        return sim.Process.Err();
    }
    // vantrel-cli program on this unit unless args name a port; its exit status, `limit` at most.
    int Program(std::vector<std::string> args, std::chrono::seconds limit = 30s) {
        if (std::find(args.begin(), args.end(), "--port") == args.end()) {
            args.insert(args.begin(), {"--port", sim.Device});
        }
        args.insert(args.begin(), "program");
        cli.emplace(Cli, args);
        const auto start = std::chrono::steady_clock::now();
        const int status = cli->Wait(limit);
        Took = std::chrono::steady_clock::now() - start;
        return status;
    }

    Temp_Folder folder{"e2e"};
    Simulated_Unit sim;
    std::optional<Child_Process> cli;
    std::chrono::steady_clock::duration Took{};
};

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

// What vantrel-cli ports --json lists.
QJsonArray Listed_Ports() {
    Child_Process ports(Cli, {"ports", "--json"});
    EXPECT_EQ(ports.Wait(10s), 0);
    return QJsonDocument::fromJson(QByteArray::fromStdString(ports.Out())).array();
}

QJsonObject Listed_Port(const QJsonArray& ports, const std::string& device) {
    for (const QJsonValue& port : ports) {
        if (port[QStringLiteral("device")].toString().toStdString() == device) {
            return port.toObject();
        }
    }
    return {};
}

} // namespace

TEST(Cli_Ports, ListedAsJsonLookedUpOnceAndNeverAnotherUnit) {
    std::optional<Unit> ending(std::in_place, std::vector<std::string>{});
    Unit staying({});
    const QJsonArray listed = Listed_Ports();
    ASSERT_GE(listed.size(), 2);
    for (const QJsonValue& value : listed) {
        const QJsonObject port = value.toObject();
        EXPECT_EQ(port.keys(), (QStringList{"description", "device", "manufacturer", "number",
                                            "serial_number", "simulated", "vid_pid"}));
        EXPECT_GE(port[QStringLiteral("number")].toInt(), 1);
        for (const char* text : {"manufacturer", "vid_pid", "serial_number"}) {
            EXPECT_TRUE(port[QLatin1String(text)].isString() || port[QLatin1String(text)].isNull());
        }
    }
    const QJsonObject unit = Listed_Port(listed, staying.sim.Device);
    EXPECT_EQ(unit[QStringLiteral("simulated")], true);
    EXPECT_TRUE(unit[QStringLiteral("serial_number")].isNull());
    EXPECT_EQ(unit[QStringLiteral("description")].toString().toStdString(),
              "simulated unit, pid " + std::to_string(staying.sim.Process.Pid()));

    // One unit ends, another starts: a path of the ended one is gone, and a number means the unit
    // that holds it when the command starts.
    const std::string ended_device = ending->sim.Device;
    ending.reset();
    EXPECT_EQ(staying.Program({"--port", ended_device}), 3);
    EXPECT_NE(staying.cli->Err().find(ended_device + ": no such device"), std::string::npos);
    Unit started({});
    const std::string number = std::to_string(
        Listed_Port(Listed_Ports(), staying.sim.Device)[QStringLiteral("number")].toInt());
    for (const std::string& port : {number, "COM " + number, staying.sim.Device.substr(5)}) {
        ASSERT_EQ(staying.Program({"--port", port}), 0) << port << staying.cli->Err();
        EXPECT_NE(staying.cli->Err().find("on " + staying.sim.Device), std::string::npos);
    }
    // Refused before anything is sent: a number beyond 16 bits, a serial number nobody has, a
    // device that is no serial port.
    EXPECT_EQ(staying.Program({"--port", std::to_string(65536 + std::stoi(number))}), 2);
    EXPECT_EQ(staying.Program({"--port", "serial=NO-SUCH-ADAPTER"}), 3);
    EXPECT_EQ(staying.Program({"--port", "/dev/null"}), 3);
    EXPECT_NE(staying.cli->Err().find("cannot open the port: /dev/null"), std::string::npos);

    EXPECT_EQ(Count(staying.Stop(), "reset #"), 3);
    EXPECT_EQ(Count(started.Stop(), "find #"), 0);
}

TEST(Cli_Program, FullRunsLeaveTheCompiledOrReadyImageInTheUnit) {
    Unit unit({});
    ASSERT_FALSE(unit.sim.Device.empty());
    const std::vector<std::string> glyphs{"--font5x8", "1,2,0x80,255,0", "--font10x16",
                                          "0x8001,2,3,4,5,6,7,8,9,65535"};
    ASSERT_EQ(unit.Program(glyphs), 0) << unit.cli->Err();
    EXPECT_NE(unit.cli->Err().find("512 blocks, 0 retries"), std::string::npos) << unit.cli->Err();
    std::vector<std::string> compile{"compile", "-o", unit.folder / "expected.bin"};
    compile.insert(compile.end(), glyphs.begin(), glyphs.end());
    ASSERT_EQ(Child_Process(Cli, compile).Wait(10s), 0);
    const std::string expected = Read_File(unit.folder / "expected.bin");
    ASSERT_EQ(expected.size(), 65536u);
    EXPECT_TRUE(Read_File(unit.folder / "dump.bin") == expected);

    std::string image(65536, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<char>(i * 7 + (i >> 8));
    }
    Write_File(unit.folder / "ready.bin", image);
    Write_File(unit.folder / "short.bin", image.substr(1));
    EXPECT_EQ(unit.Program({"--image", unit.folder / "short.bin"}), 2);
    ASSERT_EQ(unit.Program({"--image", unit.folder / "ready.bin"}), 0) << unit.cli->Err();

    const std::string log = unit.Stop();
    EXPECT_EQ(Count(log, "find #"), 2) << "the refused image must send nothing";
    EXPECT_EQ(Count(log, "write #"), 1024);
    EXPECT_EQ(Count(log, "reset #"), 2);
    EXPECT_TRUE(Read_File(unit.folder / "dump.bin") == image);
}

TEST(Cli_Program, DetectionAnsweredOnlyOnTheThirdRequest) {
    Unit unit({"--answer-from", "find:3"});
    ASSERT_EQ(unit.Program({}), 0) << unit.cli->Err();
    EXPECT_GE(unit.Took, 6s);
    EXPECT_EQ(Count(unit.Stop(), "find #"), 3);
}

TEST(Cli_Program, BlockNeverAcknowledgedFailsTheWriteAndStillResets) {
    Unit unit({"--never-ack-block", "3"});
    ASSERT_EQ(unit.Program({}), 4) << unit.cli->Err();
    EXPECT_NE(
        unit.cli->Err().find("Comunicazione seriale interrotta.\nScrittura EEPROM I2C fallita!"),
        std::string::npos)
        << unit.cli->Err();
    EXPECT_NE(unit.cli->Err().find("write failed: 3 blocks, 2 retries"), std::string::npos)
        << unit.cli->Err();
    const std::string log = unit.Stop();
    EXPECT_EQ(Count(log, "(block 3)"), 3);
    EXPECT_EQ(Count(log, "(block 4)"), 0);
    EXPECT_EQ(Count(log, "reset #"), 1);
}

TEST(Cli_Program, LineClosedMidTransferEndsTheRunAtOnce) {
    Unit unit({"--close-after-block", "10"});
    ASSERT_EQ(unit.Program({}), 4) << unit.cli->Err();
    EXPECT_LT(unit.Took, 3s) << "no time-out waited on a lost line";
    EXPECT_NE(unit.cli->Err().find("Scrittura EEPROM I2C fallita!"), std::string::npos);
}

TEST(Cli_Program, InterruptStopsTheWriteWithoutReset) {
    Unit unit({"--mute", "write"});
    Child_Process cli(Cli, {"program", "--port", unit.sim.Device});
    // The interrupt must come while the first block waits for its acknowledgement.
    for (int i = 0; i < 500 && cli.Err().find("block 0/512") == std::string::npos; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    std::this_thread::sleep_for(200ms);
    cli.Signal(SIGINT);
    ASSERT_EQ(cli.Wait(5s), 5) << cli.Err();
    EXPECT_EQ(cli.Err().find("ERROR"), std::string::npos) << "a stop is not a failure";
    const std::string log = unit.Stop();
    EXPECT_EQ(Count(log, "write #"), 1);
    EXPECT_EQ(Count(log, "reset #"), 0);
}

TEST(Cli_Program, SilentUnitIsNotFoundAfterThreeTimeOuts) {
    Unit unit({"--mute", "find"});
    ASSERT_EQ(unit.Program({"--verbose"}), 3) << unit.cli->Err();
    EXPECT_GE(unit.Took, 9s);
    const std::string err = unit.cli->Err();
    EXPECT_EQ(Count(err, "0x87; 0x00; 0x78\n"), 3) << err;
    EXPECT_NE(err.find("Comunicazione seriale interrotta.\nImpossibile trovare il modulo, "
                       "verificare la connessione!"),
              std::string::npos)
        << err;
}
