#include "Cli_Production.h"

#include "Cli_Commands.h"
#include "Port_Choice.h"
#include "Production_Job.h"
#include "Production_Log.h"
#include "Production_Status.h"
#include "Qt_Port_List.h"

#include <QCryptographicHash>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

namespace {

// Ctrl-C and SIGTERM become a byte on a pipe that the run watches.
int Interrupt_Pipe[2] = {-1, -1};

extern "C" void On_Production_Interrupt(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = write(Interrupt_Pipe[1], &byte, 1);
}

class Interrupt_Watch {
  public:
    Interrupt_Watch() {
        if (pipe2(Interrupt_Pipe, O_CLOEXEC) == 0) {
            std::signal(SIGINT, On_Production_Interrupt);
            std::signal(SIGTERM, On_Production_Interrupt);
        }
    }
    ~Interrupt_Watch() {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        for (int& fd : Interrupt_Pipe) {
            if (fd >= 0) {
                close(fd);
                fd = -1;
            }
        }
    }
    Interrupt_Watch(const Interrupt_Watch&) = delete;
    Interrupt_Watch& operator=(const Interrupt_Watch&) = delete;
    int Fd() const { return Interrupt_Pipe[0]; }
};

struct Round_Unit {
    std::string Port; // as given
    Port_Entry Entry;
    std::string Failure; // why the port was not found; empty when it was
};

// The ports of one round, looked up in one listing, each device once.
std::vector<Round_Unit> Round_Units(const Production_Options& options) {
    const std::vector<Port_Entry> listed = List_Ports();
    std::vector<Round_Unit> units;
    auto add = [&units](Round_Unit unit) {
        const bool twice = !unit.Entry.Device.empty() &&
                           std::any_of(units.begin(), units.end(), [&unit](const Round_Unit& u) {
                               return u.Entry.Device == unit.Entry.Device;
                           });
        if (!twice) {
            units.push_back(std::move(unit));
        }
    };
    for (const std::string& text : options.Ports) {
        const Port_Choice choice = Choose_Port(text, listed);
        add({text, choice.Port, choice.Status == Port_Choice_Status::Found ? "" : choice.Reason});
    }
    if (options.All) {
        // Built-in ports are programmed only when named: they seldom hold a unit.
        for (const Port_Entry& port : listed) {
            if (port.Has_Usb_Ids || port.Simulated_Pid != 0) {
                add({port.Device, port, ""});
            }
        }
    }
    return units;
}

std::string Sha256_Hex(const std::vector<std::uint8_t>& image) {
    const QByteArray bytes(reinterpret_cast<const char*>(image.data()),
                           static_cast<qsizetype>(image.size()));
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

// The round as it shows on stderr: live lines on a terminal, a line per event otherwise.
class Round_Display {
  public:
    Round_Display(const std::vector<std::string>& ports, bool terminal)
        : terminal_(terminal), start_(std::chrono::steady_clock::now()) {
        for (const std::string& port : ports) {
            Unit_Status status;
            status.Port = port;
            statuses_.push_back(status);
            width_ = std::max(width_, port.size());
        }
        Draw();
    }

    void Show(const Unit_Event& event) {
        Unit_Status& status = statuses_[event.Unit];
        const Unit_Phase phase = status.Phase;
        const int retries = status.Retries;
        status.Apply(event, Seconds());
        const std::string prefix = status.Port + ": ";
        if (event.What == Unit_Event::Kind::Message) {
            Clear();
            for (std::size_t at = 0; at < event.Text.size();) {
                const std::size_t end = std::min(event.Text.find('\n', at), event.Text.size());
                std::cerr << prefix << event.Text.substr(at, end - at) << "\n";
                at = end + 1;
            }
            Draw();
        } else if (terminal_) {
            if (status.Phase != phase ||
                std::chrono::steady_clock::now() - drawn_ >= std::chrono::milliseconds(100)) {
                Clear();
                Draw();
            }
        } else if (status.Outcome) {
            std::cerr << prefix << Outcome_Name(*status.Outcome) << ", " << status.Blocks
                      << " blocks, " << status.Retries << " retries\n";
        } else if (status.Phase != phase) {
            std::cerr << prefix << Phase_Name(status.Phase) << "\n";
        } else if (status.Retries != retries) {
            std::cerr << prefix << "block " << status.Blocks + 1 << ", retries " << status.Retries
                      << "\n";
        }
        std::cerr << std::flush;
    }

  private:
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
    void Clear() {
        if (drawn_lines_ > 0) {
            std::cerr << "\x1b[" << drawn_lines_ << "A\r\x1b[J";
            drawn_lines_ = 0;
        }
    }
    void Draw() {
        if (!terminal_) {
            return;
        }
        for (const Unit_Status& status : statuses_) {
            std::cerr << Live_Line(status, width_, Seconds()) << "\x1b[K\n";
        }
        std::cerr << std::flush;
        drawn_lines_ = statuses_.size();
        drawn_ = std::chrono::steady_clock::now();
    }

    bool terminal_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point drawn_{};
    std::vector<Unit_Status> statuses_;
    std::size_t width_ = 0;
    std::size_t drawn_lines_ = 0;
};

class Station {
  public:
    Station(const Production_Options& options, const std::vector<std::uint8_t>& image)
        : options_(options), image_(image), sha256_(Sha256_Hex(image)) {}

    // Programs the round's units; false when there is no reason for another round.
    bool Run_Round() {
        const std::vector<Round_Unit> units = Round_Units(options_);
        ++totals_.Rounds;
        if (units.empty()) {
            std::cerr << "vantrel-cli: no USB serial adapter or simulated unit is listed\n";
            totals_.Exit_Codes.push_back(Exit_Code(Unit_Outcome::Not_Found));
            return false;
        }
        std::cerr << "Programming " << units.size() << (units.size() == 1 ? " unit" : " units")
                  << ", image SHA-256 " << sha256_ << "\n";
        std::vector<Unit_Record> records(units.size());
        std::vector<std::unique_ptr<Unit_Job>> jobs;
        std::vector<std::size_t> unit_of_job;
        std::vector<std::string> ports;
        for (std::size_t i = 0; i < units.size(); ++i) {
            records[i].Port = units[i].Port;
            records[i].Device = units[i].Entry.Device;
            if (!units[i].Entry.Serial_Number.empty()) {
                records[i].Serial = units[i].Entry.Serial_Number;
            }
            records[i].Image_Sha256 = sha256_;
            if (units[i].Failure.empty()) {
                jobs.push_back(
                    std::make_unique<Production_Job>(units[i].Entry, image_, options_.Oled));
                unit_of_job.push_back(i);
                ports.push_back(units[i].Port);
            } else {
                std::cerr << "vantrel-cli: " << units[i].Failure << "\n";
                records[i].Outcome = Unit_Outcome::Not_Found;
                End(records[i]);
            }
        }
        bool stopped = false;
        {
            Round_Display display(ports, isatty(STDERR_FILENO) != 0);
            const Interrupt_Watch interrupt;
            Run_Units(jobs, interrupt.Fd(), [&](const Unit_Event& event) {
                display.Show(event);
                if (event.What == Unit_Event::Kind::Ended) {
                    Unit_Record& record = records[unit_of_job[event.Unit]];
                    record.Outcome = event.Result.Outcome;
                    record.Blocks = event.Result.Blocks;
                    record.Retries = event.Result.Retries;
                    record.Seconds = event.Result.Seconds;
                    stopped = stopped || record.Outcome == Unit_Outcome::Stopped;
                    End(record);
                }
            });
        }
        std::cerr << Summary_Table(records);
        if (totals_.Rounds > 1) {
            std::cerr << "So far: " << totals_.Succeeded << " of " << totals_.Units
                      << " units written in " << totals_.Rounds << " rounds\n";
        }
        return !stopped;
    }

    int Finish() {
        if (options_.Json) {
            std::cout << Json_Summary(totals_) << "\n" << std::flush;
        }
        const int status = Production_Exit_Status(totals_.Exit_Codes);
        return status == Exit_Ok && log_failed_ ? Exit_Failed : status;
    }

  private:
    // Prints and logs the record of a unit that has ended, and counts it.
    void End(Unit_Record& record) {
        record.Finished = Utc_Now();
        totals_.Add(record);
        if (options_.Json) {
            std::cout << Json_Record(record) << "\n" << std::flush;
        }
        std::string error;
        if (!options_.Log.empty() && !Append_Csv_Record(options_.Log, record, error)) {
            std::cerr << "vantrel-cli: log not written: " << error << "\n";
            log_failed_ = true;
        }
    }

    const Production_Options& options_;
    const std::vector<std::uint8_t>& image_;
    std::string sha256_;
    Production_Totals totals_;
    bool log_failed_ = false;
};

// Waits for the operator: Enter starts the next round, q or the end of the input quits.
bool Next_Round_Wanted() {
    std::cerr << "Enter: program the next units, q: quit > " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        std::cerr << "\n";
        return false;
    }
    return answer.find_first_of("qQ") == std::string::npos;
}

} // namespace

int Run_Production(const Production_Options& options, const std::vector<std::uint8_t>& image) {
    Station station(options, image);
    while (station.Run_Round() && options.Repeat && Next_Round_Wanted()) {
    }
    return station.Finish();
}
