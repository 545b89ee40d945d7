// vantrel-cli program against module-sim on a pseudo-terminal: the real serial control, the real
// event loop and real seconds.
#include "Child_Process.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <cstdlib>
#include <thread>

using namespace std::chrono_literals;

namespace {

const std::string Cli = VANTREL_CLI_PATH;

// The units register their pseudo-terminals in a folder of their own (the runs here name them
// by path), so that the port numbers of tests running beside these do not shift.
const bool Private_Port_List = [] {
    static const Temp_Folder registrations("e2e_ports");
    return ::setenv("XDG_RUNTIME_DIR", registrations.Path().c_str(), 1) == 0;
}();

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
    // Starts vantrel-cli program (or `program`, a copy of it) on this unit, unless args name a
    // port.
    void Start(std::vector<std::string> args, const std::string& program = Cli) {
        if (std::find(args.begin(), args.end(), "--port") == args.end()) {
            args.insert(args.begin(), {"--port", sim.Device});
        }
        args.insert(args.begin(), "program");
        cli.emplace(program, args);
        started = std::chrono::steady_clock::now();
    }
    // Its exit status, or -1 when it did not end within `limit` of its start.
    int Wait(std::chrono::seconds limit) {
        return cli->Wait(std::chrono::duration_cast<std::chrono::milliseconds>(
            std::max(started + limit - std::chrono::steady_clock::now(),
                     std::chrono::steady_clock::duration::zero())));
    }
    int Program(std::vector<std::string> args, std::chrono::seconds limit = 30s) {
        Start(std::move(args));
        return Wait(limit);
    }

    Temp_Folder folder{"e2e"};
    Simulated_Unit sim;
    std::optional<Child_Process> cli;
    std::chrono::steady_clock::time_point started{};
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
    const QJsonObject unit = Listed_Port(listed, staying.sim.Device);
    EXPECT_EQ(unit[QStringLiteral("simulated")], true);
    EXPECT_TRUE(unit[QStringLiteral("serial_number")].isNull());
    EXPECT_EQ(unit[QStringLiteral("description")].toString().toStdString(),
              "simulated unit, pid " + std::to_string(staying.sim.Process.Pid()));

    // One unit ends, another starts: a path of the ended one is gone, and a number means the unit
    // that holds it when the command starts. The ended unit is named through a link that goes with
    // it, since its pseudo-terminal's own name may be handed to a unit of a test running beside.
    const std::string ended_device = staying.folder / "ended-unit";
    std::filesystem::create_symlink(ending->sim.Device, ended_device);
    ending.reset();
    std::filesystem::remove(ended_device);
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

// Every outcome of a run against its own unit, all units at once: the exit status, what
// vantrel-cli said, the requests the unit received and, where known, what it holds after.
TEST(Cli_Program, EveryOutcomeExitsWithItsStatus) {
    Temp_Folder folder("e2e_cases");
    std::string ready(65536, '\0');
    for (std::size_t i = 0; i < ready.size(); ++i) {
        ready[i] = static_cast<char>(i * 7 + (i >> 8));
    }
    Write_File(folder / "ready.bin", ready);
    Write_File(folder / "short.bin", ready.substr(1));
    // The default backgrounds are white, so a compile of them holds nothing but the glyphs.
    std::string compiled(65536, '\0');
    const std::uint8_t glyphs[] = {1, 2,    0x80, 0xFF, 0, 1, 2, 3, 4, 5, 6, 7,   8,
                                   9, 0xFF, 0x80, 0,    0, 0, 0, 0, 0, 0, 0, 0xFF};
    std::copy(std::begin(glyphs), std::end(glyphs), compiled.begin() + 0x8000);
    const std::string cli = Cli;
    const std::string bin = std::filesystem::path(cli).parent_path();
    const std::string unreadable_default =
        Copy_Program(folder.Path() / "unreadable", cli,
                     {{"Sfondo_Bianco_128x64.bmp", "/proc/self/mem"},
                      {"Sfondo_Bianco_240x64.bmp", bin + "/Sfondo_Bianco_240x64.bmp"},
                      {"Sfondo_Bianco_240x128.bmp", bin + "/Sfondo_Bianco_240x128.bmp"}});
    const std::string interrupted = "Comunicazione seriale interrotta.\n";

    struct Case {
        std::vector<std::string> Faults;
        std::vector<std::string> Args;
        int Exit;
        std::vector<std::string> Said;
        int Finds, Writes, Resets;
        std::optional<std::string> Held = std::nullopt;
        std::string Program = Cli;
        std::chrono::seconds Limit = 30s;
    };
    const std::string none(65536, '\0');
    // clang-format off
    const std::vector<Case> cases{
        {{"--wrong-echo", "find:1", "--bad-checksum", "write:2"},
         {"--font5x8", "1,2,0x80,255,0", "--font10x16", "0x8001,2,3,4,5,6,7,8,9,65535"},
         0, {"written and reset: 512 blocks, 2 retries"}, 2, 513, 1, compiled},
        {{}, {"--image", folder / "ready.bin"}, 0, {"512 blocks, 0 retries"}, 1, 512, 1, ready},
        {{}, {}, 1, {"File Sfondo_Bianco_128x64.bmp non valido. Impossibile continuare\nIl file non può essere letto."}, 0, 0, 0, none,
         unreadable_default},
        {{}, {"--image", folder / "short.bin"}, 2, {"holds 65535 bytes"}, 0, 0, 0, none},
        // The one run that waits out real time-outs.
        {{"--mute", "find"}, {"--verbose"}, 3,
         {interrupted + "Impossibile trovare il modulo, verificare la connessione!",
          "0x87; 0x00; 0x78\n"}, 3, 0, 0},
        {{"--wrong-echo", "write"}, {}, 4,
         {interrupted + "Scrittura EEPROM I2C fallita!", "write failed: 0 blocks, 2 retries"},
         1, 3, 1},
        // A lost line ends the run at once, without waiting out a time-out or sending a reset.
        {{"--close-after-block", "10"}, {}, 4, {"Scrittura EEPROM I2C fallita!"}, 1, 11, 0,
         std::nullopt, Cli, 3s},
        {{"--wrong-echo", "reset"}, {}, 6,
         {interrupted + "Impossibile resettare PIC!",
          "written, reset not acknowledged: 512 blocks, 2 retries"}, 1, 512, 3},
    };
    // clang-format on
    std::vector<std::unique_ptr<Unit>> units;
    for (const Case& c : cases) {
        units.push_back(std::make_unique<Unit>(c.Faults));
        ASSERT_FALSE(units.back()->sim.Device.empty());
        units.back()->Start(c.Args, c.Program);
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        Unit& unit = *units[i];
        EXPECT_EQ(unit.Wait(c.Limit), c.Exit) << i << ": " << unit.cli->Err();
        for (const std::string& said : c.Said) {
            EXPECT_NE(unit.cli->Err().find(said), std::string::npos)
                << i << ": " << unit.cli->Err();
        }
        const std::string log = unit.Stop();
        EXPECT_EQ(Count(log, "find #"), c.Finds) << i;
        EXPECT_EQ(Count(log, "write #"), c.Writes) << i;
        EXPECT_EQ(Count(log, "reset #"), c.Resets) << i;
        if (c.Held) {
            EXPECT_TRUE(Read_File(unit.folder / "dump.bin") == *c.Held) << i;
        }
    }
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
