#include "Child_Process.h"
#include "Frame_Builder.h"
#include "Port_Number.h"
#include "Posix_Port_Registration.h"
#include "Qt_Port_List.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

const std::string Find = Bytes("87 00 78");
const std::string Write_Ack = Bytes("04 00 FB");
const std::string Found = With_Checksum(Bytes("87 00 56 53 49 4D")); // identity "VSIM"

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

    // What arrives in answer to `request`, until `count` bytes came or `limit` passed: long
    // enough for an instant reply on a loaded machine, while a missing reply costs little.
    std::string Ask(const std::string& request, std::size_t count = 3,
                    std::chrono::milliseconds limit = 2000ms) {
        EXPECT_EQ(::write(fd_, request.data(), request.size()), ssize_t(request.size()));
        std::string received;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        pollfd fd{fd_, POLLIN, 0};
        char buffer[512];
        while (received.size() < count) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            const ssize_t n = left.count() > 0 && ::poll(&fd, 1, int(left.count())) == 1
                                  ? ::read(fd_, buffer, sizeof buffer)
                                  : 0;
            if (n <= 0) {
                break;
            }
            received.append(buffer, std::size_t(n));
        }
        return received;
    }
    std::string Ignored(const std::string& request) { return Ask(request, SIZE_MAX, 150ms); }

  private:
    int fd_;
};

} // namespace

// A full run's bytes are covered end to end with vantrel-cli; here the faults module-sim plays
// and the requests it must not answer.
TEST(Module_Sim, Answers_Corrupts_And_Ignores_Requests_As_Told) {
    for (const auto& bad :
         std::vector<std::vector<std::string>>{{"--load", "/dev/zero"}, // a device is not an image
                                               {"--dump", "/tmp"},      // nor a folder a dump
                                               {"--stray-after", "write:1:5AA"},
                                               {"--stray-after", "write:0:5A"},
                                               {"--stray-after", "write:1:5A:x"},
                                               {"--held-ack", "512:100"},
                                               {"--random-faults", "1:101"}}) {
        Child_Process refused(MODULE_SIM_PATH, {"--pty", bad[0], bad[1]});
        EXPECT_EQ(refused.Wait(5s), 2) << bad[0] << " " << bad[1];
    }

    Temp_Folder folder("sim");
    Write_File(folder / "start.bin", std::string(65536, '\xEE'));
    Simulated_Unit sim({"--wrong-echo", "write:2", "--bad-checksum", "reset", "--bad-checksum",
                        "find:1", "--never-ack-block", "3", "--dump", folder / "dump.bin", "--load",
                        folder / "start.bin"});
    Raw_Port port(sim.Device);
    EXPECT_EQ(port.Ask(Find, 7), Found.substr(0, 6) + char(Found[6] - 1));
    EXPECT_EQ(port.Ask(Find, 7), Found);

    for (unsigned block = 0; block < 5; ++block) {
        const std::string request = Write_Frame(block * 128, std::string(128, char(block + 1)));
        if (block == 3) {
            EXPECT_EQ(port.Ignored(request), "");
            EXPECT_EQ(port.Ignored(request), "") << "a retry is not acknowledged either";
        } else {
            EXPECT_EQ(port.Ask(request), block == 1 ? Bytes("05 00 FA") : Write_Ack) << block;
        }
    }
    EXPECT_EQ(port.Ask(Bytes("FE 00 01")), Bytes("FE 00 00"));

    for (const std::string& request : {
             Bytes("87 00 77"),                               // checksum
             With_Checksum(Bytes("87 01 00")),                // length
             With_Checksum(Bytes("05 00")),                   // command
             Write_Frame(65536 - 64, std::string(128, '\1')), // beyond 64 KiB
         }) {
        EXPECT_EQ(port.Ignored(request), "") << "request of " << request.size() << " bytes";
    }
    // Garbage in front of a request is skipped; a partial request is dropped after a pause, so
    // the resent whole request is answered.
    EXPECT_EQ(port.Ask(Bytes("00 FF 04") + Find, 7), Found);
    EXPECT_EQ(port.Ignored(Write_Frame(0, std::string(128, '\0')).substr(0, 60)), "");
    EXPECT_EQ(port.Ask(Write_Frame(0, std::string(128, '\0'))), Write_Ack);

    EXPECT_EQ(sim.Process.Stop(SIGINT), 0);
    std::string stored(65536, '\xEE');
    for (int block : {1, 2, 4}) {
        stored.replace(block * 128, 128, 128, char(block + 1));
    }
    EXPECT_TRUE(Read_File(folder / "dump.bin") == stored.replace(0, 128, 128, '\0'));
}

// A held-up acknowledgement is overtaken by the later ones; stray bytes follow a reply in its
// own write or later; a lost request is neither stored nor answered, its repeat is.
TEST(Module_Sim, Plays_Line_Faults_Around_Its_Replies) {
    Simulated_Unit sim({"--held-ack", "0:1000", "--stray-after", "write:2:04AA", "--stray-after",
                        "write:3:5AA53C:100", "--lose-block", "3"});
    Raw_Port port(sim.Device);
    const auto block = [](unsigned k) { return Write_Frame(k * 128, std::string(128, '\1')); };
    EXPECT_EQ(port.Ignored(block(0)), "");
    EXPECT_EQ(port.Ask(block(1), 5), Write_Ack + Bytes("04 AA"));
    EXPECT_EQ(port.Ask(block(2), 3), Write_Ack);
    EXPECT_EQ(port.Ask("", 3), Bytes("5A A5 3C"));
    EXPECT_EQ(port.Ask("", 3), Write_Ack) << "the held acknowledgement comes last";
    EXPECT_EQ(port.Ignored(block(3)), "");
    EXPECT_EQ(port.Ask(block(3)), Write_Ack);
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
        EXPECT_EQ(Raw_Port(sim.Device).Ask(Find, 7), Found);
        // A unit killed without a chance to unregister is dropped from the list all the same.
        EXPECT_EQ(sim.Process.Stop(signal), signal == SIGTERM ? 0 : 128 + SIGKILL);
        EXPECT_FALSE(listed());
    }
    EXPECT_TRUE(Registered_Ports().empty());
    EXPECT_TRUE(std::filesystem::is_empty(Registration_Folder(false)));
}

TEST(Port_Order, Adapters_Then_Simulated_Units_Then_Other_Ports) {
    const char* devices[] = {"/dev/ttyS10", "/dev/ttyACM0", "/dev/ttyS2", "/dev/ttyUSB10",
                             "/dev/ttyUSB2"};
    const char* descriptions[] = {"", "Modem", "16550A", "FT232R", "CP2102"};
    const std::uint16_t ids[][2] = {
        {0, 0}, {0x0ACE, 0x0001}, {0, 0}, {0x0403, 0x6001}, {0x10C4, 0xEA60}};
    std::vector<Port_Entry> system(5);
    for (std::size_t i = 0; i < system.size(); ++i) {
        system[i].Device = devices[i];
        system[i].Description = descriptions[i];
        system[i].Has_Usb_Ids = ids[i][0] != 0;
        system[i].Vendor_Id = ids[i][0];
        system[i].Product_Id = ids[i][1];
    }
    std::string order;
    for (const Port_Entry& port : Number_Ports(
             system, {{"sim-99-pts-4", "/dev/pts/4", 99}, {"sim-123-pts-3", "/dev/pts/3", 123}})) {
        order += std::to_string(port.Number) + " " + port.Device + " (" + Usb_Ids(port) + ") " +
                 port.Description + "\n";
    }
    EXPECT_EQ(order, "1 /dev/ttyUSB2 (10c4:ea60) CP2102\n2 /dev/ttyUSB10 (0403:6001) FT232R\n"
                     "3 /dev/ttyACM0 (0ace:0001) Modem\n4 /dev/pts/4 () simulated unit, pid 99\n"
                     "5 /dev/pts/3 () simulated unit, pid 123\n6 /dev/ttyS2 () 16550A\n"
                     "7 /dev/ttyS10 () serial port\n");
}

// A process that is gone, a live one whose device is gone, and one that ended without
// unregistering and was not reaped yet (a zombie) leave no unit behind.
TEST(Port_Order, Stale_Registrations_Are_Removed) {
    const std::string folder = Registration_Folder(true);
    ASSERT_FALSE(folder.empty());
    const std::string dead = folder + "/sim-999999999-pts-77";
    const std::string no_device = folder + "/sim-" + std::to_string(::getpid()) + "-pts-78";
    Write_File(dead, std::string("/dev/null\n\n"));
    Write_File(no_device, std::string("/dev/pts/no-such-terminal\n\n"));
    const std::string mine = Register_Simulated_Port("/dev/null");
    const pid_t zombie = ::fork();
    if (zombie == 0) {
        Register_Simulated_Port("/dev/zero");
        ::_exit(0);
    }
    siginfo_t ended{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(zombie), &ended, WEXITED | WNOWAIT), 0);

    const std::vector<Registered_Port> units = Registered_Ports();
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(units[0].Device + " " + std::to_string(units[0].Pid),
              "/dev/null " + std::to_string(::getpid()));
    EXPECT_FALSE(std::filesystem::exists(dead) || std::filesystem::exists(no_device));
    ::waitpid(zombie, nullptr, 0);
    Unregister_Simulated_Port(mine);
    EXPECT_TRUE(Registered_Ports().empty());
}
