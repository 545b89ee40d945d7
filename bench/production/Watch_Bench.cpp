// vantrel-cli program --watch: the time from a simulated unit's appearance to its detection
// request on the line, over 20 appearances, and the CPU share of a watch with no unit.
//
// The bench is the simulated unit itself, as module-sim is one: it opens a pseudo-terminal and
// registers it in the port list, and the clock stops when the request's three bytes can be read
// at its end. Run it by hand: watch_bench [IDLE_SECONDS] (30 by default).
#include "Child_Process.h"
#include "Posix_Port_Registration.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <poll.h>
#include <sstream>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Appearances = 20;

// The CPU seconds a process has used so far, its threads included.
double Cpu_Seconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14 || index == 15) {
            ticks += std::stod(field);
        }
    }
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// A pseudo-terminal whose far end a simulated unit would answer on.
class Pty {
  public:
    Pty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            return;
        }
        device_ = ptsname(master_);
        slave_ = open(device_.c_str(), O_RDWR | O_NOCTTY);
        termios raw{};
        tcgetattr(slave_, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave_, TCSANOW, &raw);
    }
    ~Pty() {
        close(slave_);
        close(master_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    const std::string& Device() const { return device_; }
    // Waits up to `limit` for the detection request, 87 00 78.
    bool Request_Heard(std::chrono::milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        std::string heard;
        while (Clock::now() < deadline) {
            pollfd wait{master_, POLLIN, 0};
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (poll(&wait, 1, int(std::max<long>(left.count(), 1))) > 0) {
                char bytes[64];
                const ssize_t n = read(master_, bytes, sizeof bytes);
                if (n > 0) {
                    heard.append(bytes, std::size_t(n));
                }
                if (heard.find("\x87\x00\x78", 0, 3) != std::string::npos) {
                    return true;
                }
            }
        }
        return false;
    }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string device_;
};

} // namespace

int main(int argc, char** argv) {
    const int idle_seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    const Temp_Folder folder("watch_bench");
    // Only this bench's units in the port list; their folder is made by the first of them.
    setenv("XDG_RUNTIME_DIR", folder.Path().c_str(), 1);
    Write_File(folder / "image.bin", std::string(65536, '\x5A'));
    Child_Process watch(VANTREL_CLI_PATH, {"program", "--watch", "--image", folder / "image.bin"});
    for (int i = 0; i < 500 && watch.Err().find("Watching") == std::string::npos; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    std::this_thread::sleep_for(1s);

    const double cpu_start = Cpu_Seconds(watch.Pid());
    const auto idle_start = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(idle_seconds));
    const double idle_wall = std::chrono::duration<double>(Clock::now() - idle_start).count();
    const double idle_cpu = Cpu_Seconds(watch.Pid()) - cpu_start;

    std::vector<double> latencies;
    for (int i = 0; i < Appearances; ++i) {
        Pty unit;
        const auto appeared = Clock::now();
        const std::string registration = Register_Simulated_Port(unit.Device());
        if (registration.empty() || !unit.Request_Heard(5s)) {
            std::cerr << "no detection request on " << unit.Device() << " within 5 s\n"
                      << watch.Err();
            return 1;
        }
        latencies.push_back(std::chrono::duration<double>(Clock::now() - appeared).count());
        Unregister_Simulated_Port(registration);
        // The watch sees the unit go before the next one comes.
        std::this_thread::sleep_for(300ms);
    }
    watch.Stop(SIGINT);

    std::sort(latencies.begin(), latencies.end());
    const double median = (latencies[Appearances / 2 - 1] + latencies[Appearances / 2]) / 2;
    std::printf("appearance to detection request over %d appearances: median %.3f s, "
                "max %.3f s (target <= 1 s, aim 0.1 s)\n",
                Appearances, median, latencies.back());
    std::printf("ratio max / 1 s target: %.3f\n", latencies.back());
    std::printf("idle watch, no unit, %.0f s: %.3f s CPU, %.2f%% of a core (target < 1%%)\n",
                idle_wall, idle_cpu, 100 * idle_cpu / idle_wall);
    return 0;
}
