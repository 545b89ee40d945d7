// Which ports a watch covers, and what its probe line takes for an answer.
#include "Port_Choice.h"
#include "Probe_Line.h"
#include "Scripted_Serial_Control.h"
#include "Temp_Folder.h"
#include "Watch_Ports.h"

#include <gtest/gtest.h>

TEST(Watch, Covers_The_Ports_Named_Or_Every_Adapter_And_Simulated_Unit) {
    Temp_Folder folder("watch_ports");
    const std::string link = folder / "by-id-link";
    std::filesystem::create_symlink("/dev/null", link);
    std::vector<Port_Entry> listed(4);
    listed[0].Device = "/dev/ttyUSB0";
    listed[0].Has_Usb_Ids = true;
    listed[0].Serial_Number = "A1";
    listed[1].Device = "/dev/null"; // a built-in port
    listed[2].Device = "/dev/pts/3";
    listed[2].Simulated_Pid = 42;
    listed[3].Device = "/dev/ttyACM0";
    listed[3].Has_Usb_Ids = true;
    listed[3].Serial_Number = "A1";
    const std::vector<std::pair<std::vector<std::string>, std::string>> table{
        {{}, "/dev/ttyUSB0=/dev/ttyUSB0 /dev/pts/3=/dev/pts/3 /dev/ttyACM0=/dev/ttyACM0 "},
        {{"serial=A1"}, "/dev/ttyUSB0=serial=A1 /dev/ttyACM0=serial=A1 "},
        {{link, "/dev/null"}, "/dev/null=" + link + " "},
        {{"serial=Z9", "/dev/ttyUSB7"}, ""},
    };
    for (const auto& [texts, watched] : table) {
        std::string found;
        for (const Watched_Port& port : Watched_Ports(texts, listed)) {
            found += port.Port.Device + "=" + port.Named + " ";
        }
        EXPECT_EQ(found, watched) << ::testing::PrintToString(texts);
    }
    for (const std::string number : {"3", "COM 3", "com12", " 7 "}) {
        EXPECT_TRUE(Names_Port_Number(number)) << number;
    }
    for (const std::string device : {"/dev/ttyUSB0", "serial=3", "ttyUSB0", "pts/3"}) {
        EXPECT_FALSE(Names_Port_Number(device)) << device;
    }
    Port_Entry before = listed[0];
    before.Serial_Number.clear();
    EXPECT_TRUE(Same_Port(before, listed[0])) << "details the system told later";
    EXPECT_FALSE(Same_Port(listed[0], listed[3]));
    Port_Entry replaced = listed[2];
    replaced.Simulated_Pid = 43;
    EXPECT_FALSE(Same_Port(listed[2], replaced)) << "a new unit on a reused device";
}

// The probe line hears a valid detection reply however it arrives, and nothing else.
TEST(Watch, Probe_Line_Hears_Only_A_Valid_Detection_Reply) {
    const std::string reply = With_Checksum(Bytes("87 04 41 42 43 44"));
    const std::vector<std::pair<std::vector<std::string>, bool>> table{
        {{reply}, true},
        {{reply.substr(0, 4), reply.substr(4)}, true},
        // Bytes that answer nothing, before a reply that comes in two pieces.
        {{Bytes("04 00 FB 13 13 13 13") + reply.substr(0, 2), reply.substr(2)}, true},
        {{reply.substr(0, 6) + '\0'}, false},
        {{Bytes("88") + reply.substr(1)}, false},
        {{reply.substr(0, 6)}, false},
    };
    for (const auto& [bursts, answered] : table) {
        auto owned = std::make_unique<Scripted_Serial_Control>();
        Scripted_Serial_Control& port = *owned;
        int heard = 0;
        Serial_Probe_Line line(std::move(owned), [&heard] { ++heard; });
        Port_Entry entry;
        entry.Device = "/dev/ttyFAKE1";
        ASSERT_FALSE(line.Open(entry).Failed());
        port.Responder = [script = bursts](const std::string&, std::size_t) { return script; };
        line.Probe();
        EXPECT_EQ(port.Frames, std::vector<std::string>{Bytes("87 00 78")});
        while (port.Deliver_Next()) {
        }
        EXPECT_EQ(line.Answered(), answered) << ::testing::PrintToString(bursts);
        EXPECT_EQ(heard, answered ? 1 : 0);
        EXPECT_FALSE(line.Answered()) << "an answer counts once";
        port.Lose_Port();
        EXPECT_TRUE(line.Lost());
        port.Busy = {1};
        EXPECT_EQ(line.Open(entry).Cause, Port_Failure::In_Use);
    }
}
