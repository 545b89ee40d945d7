#include "Child_Process.h"
#include "Frames.h"
#include "Port_Registration.h"
#include "Port_Registry.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// Long enough for an instant reply on a loaded machine; a missing reply costs only this.
constexpr auto Silence = 150ms;
constexpr auto Reply_Limit = 2000ms;

const std::string Find = Bytes("87 00 78");
const std::string Write_Ack = Bytes("04 00 FB");
const std::string Zeros(128, '\0');

// The PC's end of the line, opened with plain POSIX in raw mode.
class Raw_Port {
  public:
    explicit Raw_Port(const std::string& device)
        : fd_(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        termios settings{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(fd_, TCSANOW, &settings);
        }
    }
    ~Raw_Port() { ::close(fd_); }

    void Send(const std::string& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // What arrives until `count` bytes came, `limit` passed or the line went away.
    std::string Read(std::size_t count, std::chrono::milliseconds limit) {
        std::string received;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        char buffer[512];
        pollfd fd{fd_, POLLIN, 0};
        while (received.size() < count) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || ::poll(&fd, 1, int(left.count())) != 1 ||
                (fd.revents & POLLIN) == 0) {
                break;
            }
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            received.append(buffer, std::size_t(n));
        }
        return received;
    }
    std::string Read_For(std::chrono::milliseconds window) { return Read(SIZE_MAX, window); }

  private:
    int fd_;
};

Port_Entry System_Port(const std::string& device, const std::string& description) {
    Port_Entry port;
    port.Device = device;
    port.Description = description;
    return port;
}

bool Valid_Detection(const std::string& reply) {
    return reply.size() == 7 && reply[0] == Find[0] && With_Checksum(reply.substr(0, 6)) == reply;
}

} // namespace

// A full run's bytes, dump and reset are covered end to end with vantrel-cli; here the faults.
TEST(Module_Sim, Bad_Requests_Get_No_Reply_And_The_Unit_Resynchronises) {
    // A --load of the wrong size is refused before any line is opened.
    Child_Process refused(MODULE_SIM_PATH, {"--pty", "--load", "/dev/null"});
    EXPECT_EQ(refused.Wait(5s), 2);
    EXPECT_EQ(refused.Out(), "");
    Child_Process bad_option(MODULE_SIM_PATH, {"--pty", "--delay=x"});
    EXPECT_EQ(bad_option.Wait(5s), 2);
    EXPECT_EQ(bad_option.Err(), "module-sim: bad value for --delay: x; see 'module-sim --help'\n");

    Simulated_Unit unit({});
    Raw_Port port(unit.Device);
    for (const std::string& request : {
             Bytes("87 00 77"),                               // checksum
             With_Checksum(Bytes("87 01 00")),                // length
             With_Checksum(Bytes("05 00")),                   // command
             With_Checksum(Bytes("FE 84")),                   // length of another command
             Write_Frame(65536 - 64, std::string(128, '\1')), // beyond 64 KiB
             Write_Frame(0x00010000, std::string(128, '\1')),
         }) {
        port.Send(request);
        EXPECT_EQ(port.Read_For(Silence), "") << "request of " << request.size() << " bytes";
    }
    // Garbage in front of a request is skipped.
    port.Send(Bytes("00 FF 04") + Find);
    EXPECT_TRUE(Valid_Detection(port.Read(7, Reply_Limit)));
    // A partial request is dropped after a pause, so the resent whole request is answered.
    port.Send(Write_Frame(0, Zeros).substr(0, 60));
    EXPECT_EQ(port.Read_For(Silence), "");
    port.Send(Write_Frame(0, Zeros));
    EXPECT_EQ(port.Read(3, Reply_Limit), Write_Ack);
}

TEST(Module_Sim, Never_Acknowledges_Block_3_Nor_Stores_It_Over_A_Loaded_Image) {
    Temp_Folder folder("sim");
    Write_File(folder / "start.bin", std::string(65536, '\xEE'));
    Simulated_Unit sim(
        {"--never-ack-block", "3", "--dump", folder / "dump.bin", "--load", folder / "start.bin"});
    Raw_Port port(sim.Device);
    for (unsigned block = 0; block < 5; ++block) {
        port.Send(Write_Frame(block * 128, std::string(128, static_cast<char>(block + 1))));
        if (block == 3) {
            EXPECT_EQ(port.Read_For(Silence), "");
            port.Send(Write_Frame(block * 128, std::string(128, '\x04')));
            EXPECT_EQ(port.Read_For(Silence), "") << "a retry is not acknowledged either";
        } else {
            EXPECT_EQ(port.Read(3, Reply_Limit), Write_Ack) << "block " << block;
        }
    }
    EXPECT_EQ(sim.Process.Stop(SIGINT), 0);
    const std::string image = Read_File(folder / "dump.bin");
    ASSERT_EQ(image.size(), 65536u);
    EXPECT_EQ(image.substr(2 * 128, 128), std::string(128, '\x03'));
    EXPECT_EQ(image.substr(3 * 128, 128), std::string(128, '\xEE'));
    EXPECT_EQ(image.substr(4 * 128, 128), std::string(128, '\x05'));
    EXPECT_EQ(image.substr(5 * 128), std::string(65536 - 5 * 128, '\xEE'));
}

TEST(Module_Sim, Corrupts_The_Chosen_Replies) {
    Simulated_Unit sim(
        {"--wrong-echo", "write:2", "--bad-checksum", "reset", "--bad-checksum", "find:1"});
    Raw_Port port(sim.Device);
    port.Send(Find);
    const std::string first = port.Read(7, Reply_Limit);
    ASSERT_EQ(first.size(), 7u);
    EXPECT_EQ(first[0], Find[0]);
    EXPECT_NE(With_Checksum(first.substr(0, 6)), first);
    port.Send(Find);
    EXPECT_TRUE(Valid_Detection(port.Read(7, Reply_Limit)));

    for (const std::string& reply : {Write_Ack, Bytes("05 00 FA"), Write_Ack}) {
        port.Send(Write_Frame(0, Zeros));
        EXPECT_EQ(port.Read(3, Reply_Limit), reply);
    }
    port.Send(Bytes("FE 00 01"));
    EXPECT_EQ(port.Read(3, Reply_Limit), Bytes("FE 00 00"));
}

TEST(Module_Sim, Is_Listed_While_Running_And_Gone_After_Exit) {
    for (const int signal : {SIGTERM, SIGKILL}) {
        Simulated_Unit sim({});
        const auto listed = [&] {
            for (const Port_Entry& port : List_Ports()) {
                if (port.Device == sim.Device) {
                    EXPECT_EQ(port.Description,
                              "simulated unit, pid " + std::to_string(sim.Process.Pid()));
                    EXPECT_EQ(port.Simulated_Pid, sim.Process.Pid());
                    return true;
                }
            }
            return false;
        };
        EXPECT_TRUE(listed());
        // The port scan opens and closes the port; the unit stays reachable afterwards.
        { Raw_Port scan(sim.Device); }
        Raw_Port port(sim.Device);
        port.Send(Find);
        EXPECT_TRUE(Valid_Detection(port.Read(7, Reply_Limit)));
        // A unit killed without a chance to unregister is dropped from the list all the same.
        EXPECT_EQ(sim.Process.Stop(signal), signal == SIGTERM ? 0 : 128 + SIGKILL);
        EXPECT_FALSE(listed());
    }
    EXPECT_TRUE(Registered_Ports().empty());
    EXPECT_TRUE(std::filesystem::is_empty(Registration_Folder(false)));
}

TEST(Port_Order, Adapters_Then_Simulated_Units_Then_Other_Ports) {
    EXPECT_TRUE(Natural_Less("ttyUSB2", "ttyUSB10"));
    EXPECT_FALSE(Natural_Less("ttyUSB10", "ttyUSB2"));
    EXPECT_TRUE(Natural_Less("sim-999-pts-3", "sim-1000-pts-1"));
    EXPECT_TRUE(Natural_Less("ttyS", "ttyS0"));

    const std::vector<Port_Entry> ports =
        Number_Ports({System_Port("/dev/ttyS10", ""), System_Port("/dev/ttyACM0", "Modem"),
                      System_Port("/dev/ttyS2", "16550A"), System_Port("/dev/ttyUSB10", "FT232R"),
                      System_Port("/dev/ttyUSB2", "CP2102")},
                     {{"sim-99-pts-4", "/dev/pts/4", 99}, {"sim-123-pts-3", "/dev/pts/3", 123}});
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
    Write_File(dead, std::string("/dev/null\n\n"));
    Write_File(no_device, std::string("/dev/pts/no-such-terminal\n\n"));
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
