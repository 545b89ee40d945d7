#include "Child_Process.h"
#include "Frame_Builder.h"
#include "Line_Settings.h"
#include "Qt_Console_Window_System.h"
#include "Qt_Serial_Control.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <unistd.h>

namespace {

const Line_Settings Link_Line{115200, Parity::None, 8, 1};

// Yields to the event loop, as the link does, until `done` or three seconds.
bool Wait_For(const std::function<bool()>& done) {
    QTimer wake;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        Qt_Yield(wake, 20);
    }
    return done();
}

// A pseudo-terminal whose far end the test holds, opened by the control under test.
struct Pty_Line {
    Pty_Line(Qt_Serial_Control& control, int master_flags) {
        if (Master >= 0 && ::grantpt(Master) == 0 && ::unlockpt(Master) == 0) {
            ::fcntl(Master, F_SETFL, master_flags);
            Port_Entry line;
            line.Device = ::ptsname(Master);
            Failure = control.Open(line, Link_Line);
        }
    }
    ~Pty_Line() { ::close(Master); }
    const int Master = ::posix_openpt(O_RDWR | O_NOCTTY);
    Port_Open_Failure Failure{Port_Failure::Other, "no pseudo-terminal"};
};

} // namespace

// A far end that reads nothing for a while fills the line: the system refuses more bytes (EAGAIN)
// although the device is there. The rest goes out from the event loop once the far end reads.
TEST(Qt_Serial_Control, A_Full_Line_Is_Not_A_Lost_Port) {
    Qt_Serial_Control control;
    int lost = 0;
    control.Set_OnComm([&] { lost += control.CommEvent() == comEventPortLost; });
    const Pty_Line pty(control, O_NONBLOCK);
    ASSERT_FALSE(pty.Failure.Failed()) << pty.Failure.Reason;
    const int master = pty.Master;

    std::string sent;
    for (int k = 0; k < 2000; ++k) {
        const std::string request = Write_Frame(128u * (k % 512), std::string(128, char(k)));
        control.Output(request);
        sent += request;
    }
    std::string line;
    EXPECT_TRUE(Wait_For([&] {
        char buffer[65536];
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) {
            line.append(buffer, std::size_t(n));
        }
        return line.size() >= sent.size();
    }));
    EXPECT_TRUE(line == sent) << line.size() << " of " << sent.size() << " bytes";
    EXPECT_TRUE(control.PortOpen());
    EXPECT_EQ(lost, 0);
    control.Close();
}

// What waits on the line when a run starts, read by the control already or still with the
// system, is dropped and counted; what comes after it is read.
TEST(Qt_Serial_Control, Discards_Input_Waiting_In_Its_Buffer_And_The_System_s) {
    Qt_Serial_Control control;
    int received = 0;
    control.Set_OnComm([&] { received += control.CommEvent() == comEvReceive; });
    const Pty_Line pty(control, 0);
    ASSERT_FALSE(pty.Failure.Failed()) << pty.Failure.Reason;
    const int master = pty.Master;
    ASSERT_EQ(::write(master, "\x87\x04\x41", 3), 3);
    EXPECT_TRUE(Wait_For([&] { return received > 0; }));
    // A second opening of the line shows when the bytes have reached it, without reading them.
    const int line = ::open(::ptsname(master), O_RDONLY | O_NONBLOCK | O_NOCTTY);
    ASSERT_EQ(::write(master, "\x42\x43\x44\x6A", 4), 4);
    pollfd arrived{line, POLLIN, 0};
    ASSERT_EQ(::poll(&arrived, 1, 3000), 1);
    ::close(line);
    EXPECT_EQ(control.Discard_Input(), 7u);
    ASSERT_EQ(::write(master, "\x04\x00\xFB", 3), 3);
    std::string after;
    EXPECT_TRUE(Wait_For([&] {
        after += control.Input();
        return after.size() >= 3;
    }));
    EXPECT_EQ(after, Bytes("04 00 FB"));
    control.Close();
}

// A number alone names whatever device holds it when the port opens: the device of the entry is
// opened even when another unit holds its number now, and an entry without a device opens nothing.
TEST(Qt_Serial_Control, Opens_The_Entry_s_Device_At_Its_Settings_Or_Says_Why_Not) {
    Simulated_Unit sim({});
    Simulated_Unit other({});
    Qt_Serial_Control control;
    std::string received;
    control.Set_OnComm([&] { received += control.Input(); });
    Port_Entry entry;
    for (const Port_Entry& port : control.Available_Ports()) {
        entry.Number = port.Device == other.Device ? port.Number : entry.Number;
    }
    ASSERT_GT(entry.Number, 0);
    EXPECT_EQ(control.Open(entry, Link_Line).Cause, Port_Failure::Not_Found);
    entry.Device = sim.Device;
    // A pseudo-terminal carries 8 data bits only; the other fields are set all the same.
    const Port_Open_Failure other_line = control.Open(entry, {9600, Parity::None, 8, 2});
    EXPECT_FALSE(other_line.Failed()) << other_line.Reason;
    EXPECT_EQ(control.Device(), sim.Device);
    // Settings the device refuses leave it closed, free for the next opening.
    const Port_Open_Failure refused = control.Open(entry, {0, Parity::None, 8, 1});
    EXPECT_EQ(refused.Cause, Port_Failure::Settings_Refused);
    EXPECT_EQ(refused.Reason.rfind("settings \"0,n,8,1\": ", 0), 0u) << refused.Reason;
    EXPECT_FALSE(control.PortOpen());
    ASSERT_FALSE(control.Open(entry, Link_Line).Failed());
    control.Output(Bytes("87 00 78"));
    EXPECT_TRUE(Wait_For([&] { return received.size() >= 7; }));
    EXPECT_EQ(received.substr(0, 1), Bytes("87"));

    Qt_Serial_Control second;
    const Port_Open_Failure in_use = second.Open(entry, Link_Line);
    EXPECT_EQ(in_use.Cause, Port_Failure::In_Use);
    EXPECT_EQ(in_use.Reason, sim.Device + ": in use by another program");
    entry.Device = "/dev/no-such-serial-port";
    const Port_Open_Failure missing = second.Open(entry, Link_Line);
    EXPECT_EQ(missing.Cause, Port_Failure::Not_Found);
    EXPECT_EQ(missing.Reason, "/dev/no-such-serial-port: does not exist");
}
