// module-sim: a simulated display unit on a pseudo-terminal or a serial port.
#include "Posix_Port_Registration.h"
#include "Sim_EEPROM_File.h"
#include "Sim_Line.h"
#include "Sim_Options.h"
#include "Sim_Schedule.h"
#include "Sim_Unit.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// After the last acknowledgement before closing, the PC is given this long to read it (or until
// it sends its next request): a hang-up discards what the PC has not read yet.
constexpr auto Close_Grace = 200ms;

constexpr auto Early_Wake = 200us;

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
                    if (answer.Reset && !options.Dump_File.empty()) {
                        if (const File_Failure failure =
                                Write_Dump(options.Dump_File, unit.EEPROM());
                            failure.Failed()) {
                            std::cerr << "module-sim: " << English_Text(failure) << "\n";
                        }
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

int Run(int argc, char** argv) {
    const Sim_Parse_Result parsed =
        Parse_Sim_Options(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.Help) {
        std::cout << Sim_Usage();
        return 0;
    }
    if (!parsed.Options) {
        std::cerr << "module-sim: " << parsed.Error << "; see 'module-sim --help'\n";
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
    if (!options.Dump_File.empty()) {
        if (const File_Failure refused = Check_Output_File(options.Dump_File); refused.Failed()) {
            std::cerr << "module-sim: " << English_Text(refused) << "\n";
            return 2;
        }
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
    if (!options.Dump_File.empty()) {
        if (const File_Failure failure = Write_Dump(options.Dump_File, unit.EEPROM());
            failure.Failed()) {
            std::cerr << "module-sim: " << English_Text(failure) << "\n";
            status = 1;
        }
    }
    if (end == Run_End::Line_Lost) {
        std::cerr << "module-sim: the line to " << line.Device() << " went away\n";
        status = 1;
    } else if (end == Run_End::Closed_On_Request && options.Verbose) {
        std::cerr << "module-sim: line closed after block " << *options.Close_After_Block << "\n";
    }
    return status;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "module-sim: unexpected error: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "module-sim: unexpected error\n";
    }
    return 1;
}
