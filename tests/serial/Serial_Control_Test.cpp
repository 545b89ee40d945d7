#include "Child_Process.h"
#include "Frame_Builder.h"
#include "Qt_Console_Window_System.h"
#include "Qt_Serial_Control.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <unistd.h>

namespace {

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
            control.Set_Port_Device(::ptsname(Master));
            Opened = control.Set_PortOpen(true);
        }
    }
    ~Pty_Line() { ::close(Master); }
    const int Master = ::posix_openpt(O_RDWR | O_NOCTTY);
    bool Opened = false;
};

} // namespace

// A far end that reads nothing for a while fills the line: the system refuses more bytes (EAGAIN)
// although the device is there. The rest goes out from the event loop once the far end reads.
TEST(Qt_Serial_Control, A_Full_Line_Is_Not_A_Lost_Port) {
    Qt_Serial_Control control;
    int lost = 0;
    control.Set_OnComm([&] { lost += control.CommEvent() == comEventPortLost; });
    const Pty_Line pty(control, O_NONBLOCK);
    ASSERT_TRUE(pty.Opened) << control.Last_Error();
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
    EXPECT_TRUE(control.PortOpen()) << control.Last_Error();
    EXPECT_EQ(lost, 0);
    control.Set_PortOpen(false);
}

// What waits on the line when a run starts, read by the control already or still with the
// system, is dropped and counted; what comes after it is read.
TEST(Qt_Serial_Control, Discards_Input_Waiting_In_Its_Buffer_And_The_System_s) {
    Qt_Serial_Control control;
    int received = 0;
    control.Set_OnComm([&] { received += control.CommEvent() == comEvReceive; });
    const Pty_Line pty(control, 0);
    ASSERT_TRUE(pty.Opened) << control.Last_Error();
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
    control.Set_PortOpen(false);
}

// A number alone names whatever device holds it when the port opens: it opens nothing, and the
// device bound to the entry is opened even when another unit holds its number now.
TEST(Qt_Serial_Control, Opens_The_Bound_Device_Refuses_Odd_Settings_And_Says_Why) {
    Simulated_Unit sim({});
    Simulated_Unit other({});
    Qt_Serial_Control control;
    std::string received;
    control.Set_OnComm([&] { received += control.Input(); });
    std::int16_t number = 0;
    for (const Port_Entry& port : control.Available_Ports()) {
        number = port.Device == other.Device ? std::int16_t(port.Number) : number;
    }
    ASSERT_GT(number, 0);
    control.Set_Port_Device(sim.Device);
    control.Set_CommPort(number);
    EXPECT_FALSE(control.Set_PortOpen(true));
    EXPECT_EQ(control.Last_Failure(), Port_Failure::Not_Found);
    control.Set_Port_Device(sim.Device);
    ASSERT_TRUE(control.Set_PortOpen(true)) << control.Last_Error();
    EXPECT_EQ(control.Device(), sim.Device);

    // A pseudo-terminal carries 8 data bits only; the other fields are checked all the same.
    EXPECT_TRUE(control.Set_Settings("9600,N,8,2")) << control.Last_Error();
    for (const char* odd : {"115200,x,8,1", "115200,n,9,1", "115200,n,4,1", "115200,n,8,3",
                            "115200,n,8,1.5", "fast,n,8,1", "-9600,n,8,1", "115200,n,8", ""}) {
        EXPECT_FALSE(control.Set_Settings(odd)) << odd;
        EXPECT_EQ(control.Last_Failure(), Port_Failure::Settings_Refused) << odd;
        EXPECT_NE(control.Last_Error().find("settings"), std::string::npos) << odd;
    }
    ASSERT_TRUE(control.Set_Settings("115200,n,8,1"));
    control.Output(Bytes("87 00 78"));
    EXPECT_TRUE(Wait_For([&] { return received.size() >= 7; }));
    EXPECT_EQ(received.substr(0, 1), Bytes("87"));

    Qt_Serial_Control second;
    second.Set_Port_Device(sim.Device);
    EXPECT_FALSE(second.Set_PortOpen(true));
    EXPECT_EQ(second.Last_Failure(), Port_Failure::In_Use);
    EXPECT_EQ(second.Last_Error(), sim.Device + ": in use by another program");
    second.Set_Port_Device("/dev/no-such-serial-port");
    EXPECT_FALSE(second.Set_PortOpen(true));
    EXPECT_EQ(second.Last_Failure(), Port_Failure::Not_Found);
    EXPECT_EQ(second.Last_Error(), "/dev/no-such-serial-port: does not exist");
}
