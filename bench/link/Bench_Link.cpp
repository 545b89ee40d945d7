// The link's costs, each measured side by side with its reference in one run:
//  1. PC-side overhead: the 512-block write through the project's code path (event loop, serial
//     control, link steps) against a minimal blocking write-then-read loop, both over a
//     pseudo-terminal to module-sim answering at once.
//  2. Against the physical limit: a whole programming run with module-sim emulating the 115200
//     8N1 line, against the line time of every byte of requests and replies.
//  3. CPU used by an unanswered 3-second wait, against its wall time.
#include "Child_Process.h"
#include "Port_Choice.h"
#include "Qt_Console_Window_System.h"
#include "Qt_Serial_Control.h"
#include "Steady_Clock.h"
#include "Traffic_Log.h"
#include "mod_RS232.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;
using Seconds = std::chrono::duration<double>;

namespace {

const std::string Sim = MODULE_SIM_PATH;
constexpr double Line_Bytes_Per_Second = 115200.0 / 10;

// One unit, the project's link to it, and the run's figures.
struct Project_Link {
    explicit Project_Link(const std::vector<std::string>& sim_options)
        : unit(Sim, With_Pty(sim_options)), ws(std::cerr), data(Vantrel_Program()),
          link(data, port, ws, clock, view) {
        Port_Entry device;
        device.Device = unit.First_Line(5s);
        if (const Port_Open_Failure failure = port.Open(device, Link_Line_Settings());
            failure.Failed()) {
            std::cerr << "cannot open the simulated unit: " << failure.Reason << "\n";
            std::exit(1);
        }
    }
    static std::vector<std::string> With_Pty(std::vector<std::string> options) {
        options.insert(options.begin(), "--pty");
        return options;
    }

    Child_Process unit;
    Qt_Serial_Control port;
    Qt_Console_Window_System ws;
    Steady_Clock clock;
    Traffic_Log view;
    Program_Data data;
    RS232_Link link;
};

double Project_Write_Seconds() {
    Project_Link project({});
    project.link.Find_Module();
    const auto start = std::chrono::steady_clock::now();
    const bool written = project.link.Write_EEPROM();
    const Seconds took = std::chrono::steady_clock::now() - start;
    if (!written) {
        std::cerr << "the project's write failed\n";
        std::exit(1);
    }
    return took.count();
}

bool Read_Exactly(int fd, std::size_t count) {
    char buffer[16];
    std::size_t got = 0;
    while (got < count) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 3000) <= 0) {
            return false;
        }
        const auto n = read(fd, buffer, std::min(sizeof buffer, count - got));
        if (n <= 0) {
            return false;
        }
        got += std::size_t(n);
    }
    return true;
}

double Minimal_Write_Seconds() {
    Child_Process unit(Sim, {"--pty"});
    const int fd = open(unit.First_Line(5s).c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    const std::vector<std::uint8_t> image(EEPROM_Size, 0);
    const std::string find = Find_Module_Request();
    if (write(fd, find.data(), find.size()) != ssize_t(find.size()) || !Read_Exactly(fd, 7)) {
        std::cerr << "the minimal loop found no unit\n";
        std::exit(1);
    }
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t block = 0; block < Block_Count; ++block) {
        const std::string request = Write_Block_Request(image, block);
        if (write(fd, request.data(), request.size()) != ssize_t(request.size()) ||
            !Read_Exactly(fd, 3)) {
            std::cerr << "the minimal loop lost the unit\n";
            std::exit(1);
        }
    }
    const Seconds took = std::chrono::steady_clock::now() - start;
    close(fd);
    return took.count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Cpu_Seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    std::printf("1. PC-side overhead of the 512-block write (instant replies, pseudo-terminal)\n");
    std::vector<double> project;
    std::vector<double> minimal;
    for (int round = 0; round < 7; ++round) {
        project.push_back(Project_Write_Seconds());
        minimal.push_back(Minimal_Write_Seconds());
    }
    const double project_s = Median(project);
    const double minimal_s = Median(minimal);
    std::printf("   project %.1f ms, minimal loop %.1f ms (medians of 7)\n", project_s * 1e3,
                minimal_s * 1e3);
    std::printf("   ratio project/minimal: %.2f (target at most 2)\n\n", project_s / minimal_s);

    std::printf("2. Whole programming run with the line rate emulated\n");
    {
        Project_Link line({"--line-rate"});
        const auto start = std::chrono::steady_clock::now();
        const bool done =
            line.link.Find_Module() && line.link.Write_EEPROM() && line.link.Reset_PIC();
        const Seconds took = std::chrono::steady_clock::now() - start;
        const std::size_t bytes = (3 + 7) + Block_Count * (Write_Request_Length + 3) + (3 + 3);
        const double line_s = double(bytes) / Line_Bytes_Per_Second;
        std::printf("   %s in %.3f s; line time of its %zu bytes %.3f s\n",
                    done ? "written" : "FAILED", took.count(), bytes, line_s);
        std::printf("   ratio run/line time: %.3f (target at most 1.02)\n\n",
                    took.count() / line_s);
    }

    std::printf("3. CPU during an unanswered wait\n");
    {
        // The first reset request goes unanswered for its whole 3 s; the second is answered.
        Project_Link silent({"--answer-from", "reset:2"});
        const double cpu_start = Cpu_Seconds();
        const auto start = std::chrono::steady_clock::now();
        silent.link.Reset_PIC();
        const Seconds wall = std::chrono::steady_clock::now() - start;
        const double cpu = Cpu_Seconds() - cpu_start;
        std::printf("   wall %.3f s, CPU %.4f s: %.2f%% (target at most 5%%)\n", wall.count(), cpu,
                    100.0 * cpu / wall.count());
    }
    return 0;
}
