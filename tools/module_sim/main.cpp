// module-sim: a simulated display unit on a pseudo-terminal or a serial port.
#include "Port_Registry.h"
#include "Sim_Line.h"
#include "Sim_Options.h"
#include "Sim_Unit.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <iostream>
#include <iterator>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// 115200 baud, 10 bits per byte with start and stop bit.
constexpr long Line_Bytes_Per_Second = 11520;
// After the last acknowledgement before closing, the PC is given this long to read it (or until
// it sends its next request): a hang-up discards what the PC has not read yet.
constexpr auto Close_Grace = 200ms;

constexpr auto Early_Wake = 200us;

std::chrono::nanoseconds Line_Time(std::size_t bytes) {
    return std::chrono::nanoseconds(static_cast<long long>(bytes) * 1'000'000'000LL /
                                    Line_Bytes_Per_Second);
}

bool Write_Dump(const std::string& file, const std::vector<std::uint8_t>& eeprom) {
    // A reader of the dump sees the old image or the new one, never half of it.
    const std::string temporary = file + ".tmp-" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(eeprom.data()),
                  static_cast<std::streamsize>(eeprom.size()));
        if (!out.flush()) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

struct Chunk {
    Sim_Clock::time_point Due;
    std::string Bytes;
    bool Close_After = false;
};

// Turns the unit's answers into timed bursts on the line.
class Reply_Schedule {
  public:
    explicit Reply_Schedule(const Sim_Options& options) : options_(options) {}

    void Add(const Sim_Answer& answer, Sim_Clock::time_point now) {
        auto ready = now;
        if (options_.Line_Rate) {
            const auto start = std::max(answer.First_Byte, receive_free_);
            receive_free_ = start + Line_Time(answer.Request_Length);
            ready = std::max(ready, receive_free_);
        }
        if (answer.Reply.empty()) {
            return;
        }
        if (answer.Block_Written) {
            ready += std::chrono::milliseconds(options_.Write_Time_Ms);
        }
        ready += std::chrono::milliseconds(options_.Delay_Ms);
        auto due = ready;
        if (options_.Line_Rate) {
            due = std::max(ready, send_free_) + Line_Time(answer.Reply.size());
            send_free_ = due;
        }
        due = std::max(due, last_due_);
        const std::size_t burst =
            options_.Burst > 0 ? static_cast<std::size_t>(options_.Burst) : answer.Reply.size();
        for (std::size_t at = 0; at < answer.Reply.size(); at += burst) {
            chunks_.push_back({due, answer.Reply.substr(at, burst), false});
            due += std::chrono::milliseconds(options_.Burst_Pause_Ms);
        }
        chunks_.back().Close_After = answer.Close_After;
        last_due_ = chunks_.back().Due;
    }

    bool Empty() const { return chunks_.empty(); }
    const Chunk& Front() const { return chunks_.front(); }
    void Pop() { chunks_.pop_front(); }

  private:
    const Sim_Options& options_;
    std::deque<Chunk> chunks_;
    Sim_Clock::time_point receive_free_{};
    Sim_Clock::time_point send_free_{};
    Sim_Clock::time_point last_due_{};
};

// Writes what the line takes; a PC that does not read loses the rest, as on a real line.
void Send(int fd, const std::string& bytes, bool verbose) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            if (verbose) {
                std::cerr << "module-sim: line full, " << bytes.size() - sent
                          << " reply byte(s) lost\n";
            }
            return;
        }
    }
}

timespec Until(Sim_Clock::time_point deadline, Sim_Clock::time_point now) {
    const auto wait = std::max(deadline - now, Sim_Clock::duration::zero());
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
    return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

enum class Run_End { Signal, Closed_On_Request, Line_Lost };

Run_End Serve(Sim_Line& line, Sim_Unit& unit, const Sim_Options& options, int signal_fd) {
    Reply_Schedule schedule(options);
    std::optional<Sim_Clock::time_point> close_at;
    char buffer[4096];
    for (;;) {
        auto now = Sim_Clock::now();
        while (!schedule.Empty() && schedule.Front().Due <= now) {
            Send(line.Fd(), schedule.Front().Bytes, options.Verbose);
            if (schedule.Front().Close_After) {
                close_at = now + Close_Grace;
            }
            schedule.Pop();
        }
        if (close_at && now >= *close_at) {
            return Run_End::Closed_On_Request;
        }
        unit.Idle(now);

        std::optional<Sim_Clock::time_point> wake = close_at;
        auto earliest = [&](Sim_Clock::time_point t) { wake = wake ? std::min(*wake, t) : t; };
        if (!schedule.Empty()) {
            earliest(schedule.Front().Due);
        }
        if (const auto idle = unit.Idle_Deadline()) {
            earliest(*idle);
        }
        pollfd fds[2] = {{line.Fd(), POLLIN, 0}, {signal_fd, POLLIN, 0}};
        if (wake && *wake - now > 2 * Early_Wake) {
            // A long sleep ends late by the processor's wake-up time; waking a little early and
            // sleeping the short rest keeps the timing of the emulated line close.
            *wake -= Early_Wake;
        }
        const timespec timeout = wake ? Until(*wake, now) : timespec{};
        const int ready = ::ppoll(fds, 2, wake ? &timeout : nullptr, nullptr);
        if (ready < 0 && errno != EINTR) {
            return Run_End::Line_Lost;
        }
        if (ready <= 0) {
            continue;
        }
        if (fds[1].revents != 0) {
            return Run_End::Signal;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            // A stale partial request goes before the new bytes can be taken for its rest.
            now = Sim_Clock::now();
            unit.Idle(now);
            const ssize_t n = ::read(line.Fd(), buffer, sizeof buffer);
            if (n > 0) {
                if (close_at) {
                    // The PC read the last acknowledgement and goes on: the line closes now.
                    return Run_End::Closed_On_Request;
                }
                for (const Sim_Answer& answer :
                     unit.Receive(std::string_view(buffer, static_cast<std::size_t>(n)), now)) {
                    if (answer.Reset && !options.Dump_File.empty() &&
                        !Write_Dump(options.Dump_File, unit.EEPROM())) {
                        std::cerr << "module-sim: cannot write " << options.Dump_File << ": "
                                  << std::strerror(errno) << "\n";
                    }
                    schedule.Add(answer, now);
                }
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            return Run_End::Line_Lost;
        }
        if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return Run_End::Line_Lost;
        }
    }
}

std::optional<std::vector<std::uint8_t>> Load_EEPROM(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "module-sim: cannot read " << file << "\n";
        return std::nullopt;
    }
    std::vector<std::uint8_t> image((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (image.size() != Sim_EEPROM_Size) {
        std::cerr << "module-sim: " << file << " holds " << image.size()
                  << " bytes, an EEPROM image holds " << Sim_EEPROM_Size << "\n";
        return std::nullopt;
    }
    return image;
}

} // namespace

int main(int argc, char** argv) {
    const Sim_Parse_Result parsed =
        Parse_Sim_Options(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.Help) {
        std::cout << Sim_Usage();
        return 0;
    }
    if (!parsed.Options) {
        std::cerr << "module-sim: " << parsed.Error << "\nTry module-sim --help\n";
        return 2;
    }
    const Sim_Options& options = *parsed.Options;

    std::vector<std::uint8_t> eeprom(Sim_EEPROM_Size, 0x00);
    if (!options.Load_File.empty()) {
        auto loaded = Load_EEPROM(options.Load_File);
        if (!loaded) {
            return 2;
        }
        eeprom = std::move(*loaded);
    }

    // Signals arrive as readable data in the poll loop, so ending is an ordinary step of it.
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGINT);
    sigaddset(&ending, SIGTERM);
    sigaddset(&ending, SIGHUP);
    sigprocmask(SIG_BLOCK, &ending, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    const int signal_fd = ::signalfd(-1, &ending, SFD_CLOEXEC);
    if (signal_fd < 0) {
        std::cerr << "module-sim: signalfd: " << std::strerror(errno) << "\n";
        return 1;
    }

    Sim_Line line;
    if (!(options.Pty ? line.Open_Pty() : line.Open_Port(options.Port))) {
        std::cerr << "module-sim: " << line.Error() << "\n";
        return 1;
    }
    std::string registration;
    if (options.Pty) {
        registration = Register_Simulated_Port(line.Device());
        std::cout << line.Device() << std::endl;
        if (registration.empty()) {
            std::cerr << "module-sim: could not register " << line.Device()
                      << " in the port list; open it by its path\n";
        }
    }

    if (options.Line_Rate) {
        // The emulated line times each reply to a few microseconds; the default timer slack of
        // 50 us per wake-up would add up over a thousand replies.
        ::prctl(PR_SET_TIMERSLACK, 1UL);
    }
    Sim_Unit unit(options, std::move(eeprom), options.Verbose ? &std::cerr : nullptr);
    const Run_End end = Serve(line, unit, options, signal_fd);
    line.Close();
    Unregister_Simulated_Port(registration);
    ::close(signal_fd);

    int status = 0;
    if (!options.Dump_File.empty() && !Write_Dump(options.Dump_File, unit.EEPROM())) {
        std::cerr << "module-sim: cannot write " << options.Dump_File << ": "
                  << std::strerror(errno) << "\n";
        status = 1;
    }
    if (end == Run_End::Line_Lost) {
        std::cerr << "module-sim: the line to " << line.Device() << " went away\n";
        status = 1;
    } else if (end == Run_End::Closed_On_Request && options.Verbose) {
        std::cerr << "module-sim: line closed after block " << *options.Close_After_Block << "\n";
    }
    return status;
}
