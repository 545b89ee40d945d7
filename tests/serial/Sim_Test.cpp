#include "Port_Registration.h"
#include "Port_Registry.h"
#include "Sim_Process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// Long enough for an instant reply on a loaded machine; a missing reply costs only this.
constexpr auto Silence = 150ms;
constexpr auto Reply_Limit = 2000ms;

const std::string Find = Bytes({0x87, 0x00, 0x78});
const std::string Reset = Bytes({0xFE, 0x00, 0x01});
const std::string Write_Ack = Bytes({0x04, 0x00, 0xFB});

// 128 bytes that a translating line would spoil: NUL, 0xFF, CR, LF, XON, XOFF, Ctrl-C, DEL...
std::string Awkward_Block(int seed) {
    std::string data = Bytes({0x00, 0xFF, 0x0D, 0x0A, 0x11, 0x13, 0x03, 0x7F, 0x80, 0x1A});
    for (int i = static_cast<int>(data.size()); i < 128; ++i) {
        data += static_cast<char>((i * 37 + seed) & 0xFF);
    }
    return data;
}

std::string Temp_Path(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            (name + "-" + std::to_string(::getpid()) + ".bin"))
        .string();
}

bool Valid_Detection(const std::string& reply) {
    if (reply.size() != 7 || static_cast<unsigned char>(reply[0]) != 0x87) {
        return false;
    }
    return With_Checksum(reply.substr(0, 6)) == reply;
}

} // namespace

TEST(Module_Sim, Answers_The_Three_Requests_Byte_Exact_And_Dumps_After_Reset) {
    const std::string dump = Temp_Path("sim-dump");
    Sim_Process sim({"--dump", dump});
    ASSERT_FALSE(sim.Device().empty());
    Raw_Port port(sim.Device());
    ASSERT_TRUE(port.Is_Open());

    port.Send(Find);
    EXPECT_TRUE(Valid_Detection(port.Read_Count(7, Reply_Limit)));

    const std::string block_5 = Awkward_Block(5);
    const std::string block_511 = Awkward_Block(99);
    port.Send(Write_Frame(5 * 128, block_5));
    EXPECT_EQ(port.Read_Count(3, Reply_Limit), Write_Ack);
    port.Send(Write_Frame(511 * 128, block_511));
    EXPECT_EQ(port.Read_Count(3, Reply_Limit), Write_Ack);

    port.Send(Reset);
    EXPECT_EQ(port.Read_Count(3, Reply_Limit), Reset);
    // The dump is complete once the reset is acknowledged.
    std::string expected(65536, '\0');
    expected.replace(5 * 128, 128, block_5);
    expected.replace(511 * 128, 128, block_511);
    EXPECT_EQ(Read_File(dump), expected);
    EXPECT_EQ(port.Read_For(Silence), "");

    EXPECT_EQ(sim.Stop(SIGTERM), 0);
    std::filesystem::remove(dump);
}

TEST(Module_Sim, Bad_Requests_Get_No_Reply_And_The_Unit_Resynchronises) {
    Sim_Process sim({"--load", "/dev/null"});
    // A --load of the wrong size is refused before any line is opened.
    EXPECT_TRUE(sim.Device().empty());
    EXPECT_EQ(sim.Wait_Exit(5s), 2);

    Sim_Process unit({});
    Raw_Port port(unit.Device());
    const std::string bad_requests[] = {
        Bytes({0x87, 0x00, 0x77}),                         // checksum
        With_Checksum(Bytes({0x87, 0x01, 0x00})),          // length
        With_Checksum(Bytes({0x05, 0x00})),                // command
        With_Checksum(Bytes({0xFE, 0x84})),                // length of another command
        Write_Frame(65536 - 64, std::string(128, '\x01')), // beyond 64 KiB
        Write_Frame(0x00010000, std::string(128, '\x01')),
    };
    for (const std::string& request : bad_requests) {
        port.Send(request);
        EXPECT_EQ(port.Read_For(Silence), "") << "request of " << request.size() << " bytes";
    }
    // Garbage in front of a request is skipped.
    port.Send(Bytes({0x00, 0xFF, 0x04}) + Find);
    EXPECT_TRUE(Valid_Detection(port.Read_Count(7, Reply_Limit)));
    // A partial request is dropped after a pause, so the resent whole request is answered.
    port.Send(Write_Frame(0, std::string(128, '\0')).substr(0, 60));
    EXPECT_EQ(port.Read_For(Silence), "");
    port.Send(Write_Frame(0, std::string(128, '\0')));
    EXPECT_EQ(port.Read_Count(3, Reply_Limit), Write_Ack);
}

TEST(Module_Sim, Answers_Detection_Only_From_The_Third_Request) {
    Sim_Process sim({"--answer-from", "find:3"});
    Raw_Port port(sim.Device());
    port.Send(Find);
    EXPECT_EQ(port.Read_For(Silence), "");
    port.Send(Find);
    EXPECT_EQ(port.Read_For(Silence), "");
    port.Send(Find);
    EXPECT_TRUE(Valid_Detection(port.Read_Count(7, Reply_Limit)));
    port.Send(Find);
    EXPECT_TRUE(Valid_Detection(port.Read_Count(7, Reply_Limit)));
}

TEST(Module_Sim, Never_Acknowledges_Block_3_Nor_Stores_It_Over_A_Loaded_Image) {
    const std::string dump = Temp_Path("sim-never-ack");
    const std::string start = Temp_Path("sim-start");
    std::ofstream(start, std::ios::binary) << std::string(65536, '\xEE');
    Sim_Process sim({"--never-ack-block", "3", "--dump", dump, "--load", start});
    Raw_Port port(sim.Device());
    for (unsigned block = 0; block < 5; ++block) {
        port.Send(Write_Frame(block * 128, std::string(128, static_cast<char>(block + 1))));
        if (block == 3) {
            EXPECT_EQ(port.Read_For(Silence), "");
            port.Send(Write_Frame(block * 128, std::string(128, '\x04')));
            EXPECT_EQ(port.Read_For(Silence), "") << "a retry is not acknowledged either";
        } else {
            EXPECT_EQ(port.Read_Count(3, Reply_Limit), Write_Ack) << "block " << block;
        }
    }
    EXPECT_EQ(sim.Stop(SIGINT), 0);
    const std::string image = Read_File(dump);
    ASSERT_EQ(image.size(), 65536u);
    EXPECT_EQ(image.substr(2 * 128, 128), std::string(128, '\x03'));
    EXPECT_EQ(image.substr(3 * 128, 128), std::string(128, '\xEE'));
    EXPECT_EQ(image.substr(4 * 128, 128), std::string(128, '\x05'));
    EXPECT_EQ(image.substr(5 * 128), std::string(65536 - 5 * 128, '\xEE'));
    std::filesystem::remove(dump);
    std::filesystem::remove(start);
}

TEST(Module_Sim, Corrupts_The_Chosen_Replies) {
    Sim_Process sim(
        {"--wrong-echo", "write:2", "--bad-checksum", "reset", "--bad-checksum", "find:1"});
    Raw_Port port(sim.Device());
    port.Send(Find);
    const std::string first = port.Read_Count(7, Reply_Limit);
    ASSERT_EQ(first.size(), 7u);
    EXPECT_EQ(static_cast<unsigned char>(first[0]), 0x87);
    EXPECT_NE(With_Checksum(first.substr(0, 6)), first);
    port.Send(Find);
    EXPECT_TRUE(Valid_Detection(port.Read_Count(7, Reply_Limit)));

    const std::string write = Write_Frame(0, std::string(128, '\0'));
    port.Send(write);
    EXPECT_EQ(port.Read_Count(3, Reply_Limit), Write_Ack);
    port.Send(write);
    EXPECT_EQ(port.Read_Count(3, Reply_Limit), Bytes({0x05, 0x00, 0xFA}));
    port.Send(write);
    EXPECT_EQ(port.Read_Count(3, Reply_Limit), Write_Ack);

    port.Send(Reset);
    EXPECT_EQ(port.Read_Count(3, Reply_Limit), Bytes({0xFE, 0x00, 0x00}));
}

TEST(Module_Sim, Sends_Replies_In_Bursts_And_Late) {
    Sim_Process sim({"--burst", "3", "--burst-pause", "300"});
    Raw_Port port(sim.Device());
    port.Send(Find);
    std::string reply = port.Read_Count(3, Reply_Limit);
    EXPECT_EQ(reply.size(), 3u);
    EXPECT_EQ(port.Read_For(100ms), "") << "the second burst follows after its pause";
    reply += port.Read_Count(4, Reply_Limit);
    EXPECT_TRUE(Valid_Detection(reply));

    Sim_Process slow({"--delay", "300"});
    Raw_Port slow_port(slow.Device());
    slow_port.Send(Find);
    EXPECT_EQ(slow_port.Read_For(200ms), "");
    EXPECT_TRUE(Valid_Detection(slow_port.Read_Count(7, Reply_Limit)));

    // 135 + 3 bytes on the line (12 ms) after 100 ms of EEPROM writing.
    Sim_Process line({"--line-rate", "--write-time", "100"});
    Raw_Port line_port(line.Device());
    line_port.Send(Write_Frame(0, std::string(128, '\0')));
    EXPECT_EQ(line_port.Read_For(105ms), "");
    EXPECT_EQ(line_port.Read_Count(3, Reply_Limit), Write_Ack);
}

TEST(Module_Sim, Closes_The_Line_After_Block_1) {
    Sim_Process sim({"--close-after-block", "1"});
    Raw_Port port(sim.Device());
    port.Send(Write_Frame(0, std::string(128, '\0')));
    EXPECT_EQ(port.Read_Count(3, Reply_Limit), Write_Ack);
    port.Send(Write_Frame(128, std::string(128, '\0')));
    EXPECT_EQ(port.Read_Count(3, Reply_Limit), Write_Ack);
    port.Send(Write_Frame(256, std::string(128, '\0')));
    EXPECT_TRUE(port.Hang_Up_Within(Reply_Limit));
    EXPECT_EQ(sim.Wait_Exit(5s), 0);
}

TEST(Module_Sim, Is_Listed_While_Running_And_Gone_After_Exit) {
    std::optional<Sim_Process> sim;
    sim.emplace(std::vector<std::string>{});
    const std::string device = sim->Device();
    const std::string description = "simulated unit, pid " + std::to_string(sim->Pid());
    auto listed = [&] {
        for (const Port_Entry& port : List_Ports()) {
            if (port.Device == device) {
                EXPECT_EQ(port.Description, description);
                EXPECT_EQ(Device_For_Port(port.Number), device);
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(listed());
    // The port scan opens and closes the port; the unit stays reachable afterwards.
    { Raw_Port scan(device); }
    Raw_Port port(device);
    port.Send(Find);
    EXPECT_TRUE(Valid_Detection(port.Read_Count(7, Reply_Limit)));

    EXPECT_EQ(sim->Stop(SIGTERM), 0);
    EXPECT_FALSE(listed());
    // A unit killed without a chance to unregister is dropped from the list all the same.
    sim.emplace(std::vector<std::string>{});
    EXPECT_EQ(sim->Stop(SIGKILL), 128 + SIGKILL);
    EXPECT_TRUE(Registered_Ports().empty());
    EXPECT_TRUE(std::filesystem::is_empty(Registration_Folder(false)));
}

TEST(Port_Order, Adapters_Then_Simulated_Units_Then_Other_Ports) {
    EXPECT_TRUE(Natural_Less("ttyUSB2", "ttyUSB10"));
    EXPECT_FALSE(Natural_Less("ttyUSB10", "ttyUSB2"));
    EXPECT_TRUE(Natural_Less("sim-999-pts-3", "sim-1000-pts-1"));
    EXPECT_TRUE(Natural_Less("ttyS", "ttyS0"));

    const std::vector<System_Port> system = {{"/dev/ttyS10", ""},
                                             {"/dev/ttyACM0", "Modem"},
                                             {"/dev/ttyS2", "16550A"},
                                             {"/dev/ttyUSB10", "FT232R"},
                                             {"/dev/ttyUSB2", "CP2102"}};
    const std::vector<Registered_Port> simulated = {{"sim-99-pts-4", "/dev/pts/4", 99},
                                                    {"sim-123-pts-3", "/dev/pts/3", 123}};
    const std::vector<Port_Entry> ports = Number_Ports(system, simulated);
    std::vector<std::string> devices;
    for (const Port_Entry& port : ports) {
        devices.push_back(std::to_string(port.Number) + " " + port.Device);
    }
    EXPECT_EQ(devices, (std::vector<std::string>{"1 /dev/ttyUSB2", "2 /dev/ttyUSB10",
                                                 "3 /dev/ttyACM0", "4 /dev/pts/4", "5 /dev/pts/3",
                                                 "6 /dev/ttyS2", "7 /dev/ttyS10"}));
    EXPECT_EQ(ports[3].Description, "simulated unit, pid 99");
    EXPECT_EQ(ports[5].Description, "16550A");
    EXPECT_EQ(ports[6].Description, "serial port");
}

TEST(Port_Order, Stale_Registrations_Are_Removed) {
    const std::string folder = Registration_Folder(true);
    ASSERT_FALSE(folder.empty());
    // A process that is gone, and a live process whose device is gone.
    const std::string dead = folder + "/sim-999999999-pts-77";
    const std::string no_device = folder + "/sim-" + std::to_string(::getpid()) + "-pts-78";
    std::ofstream(dead) << "/dev/null\n\n";
    std::ofstream(no_device) << "/dev/pts/no-such-terminal\n\n";
    const std::string mine = Register_Simulated_Port("/dev/null");
    ASSERT_FALSE(mine.empty());
    // A unit that ended without unregistering and was not reaped yet (a zombie).
    const pid_t zombie = ::fork();
    if (zombie == 0) {
        Register_Simulated_Port("/dev/zero");
        ::_exit(0);
    }
    siginfo_t ended{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(zombie), &ended, WEXITED | WNOWAIT), 0);

    const std::vector<Registered_Port> units = Registered_Ports();
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(units[0].Device, "/dev/null");
    EXPECT_EQ(units[0].Pid, ::getpid());
    EXPECT_FALSE(std::filesystem::exists(dead));
    EXPECT_FALSE(std::filesystem::exists(no_device));
    ::waitpid(zombie, nullptr, 0);
    Unregister_Simulated_Port(mine);
    EXPECT_TRUE(Registered_Ports().empty());
}
