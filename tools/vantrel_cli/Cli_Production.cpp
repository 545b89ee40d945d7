#include "Cli_Production.h"

#include "Cli_Commands.h"
#include "Cli_Interrupt.h"
#include "Production_Status.h"
#include "Qt_Port_List.h"
#include "Qt_Unit_Job.h"

#include <QCryptographicHash>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace {

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
        const Unit_Status before = status;
        status.Apply(event, Seconds());
        if (event.What == Unit_Event::Kind::Message) {
            Clear();
            std::cerr << Prefixed_Lines(status.Port + ": ", event.Text);
            Draw();
        } else if (terminal_) {
            if (status.Phase != before.Phase ||
                std::chrono::steady_clock::now() - drawn_ >= std::chrono::milliseconds(100)) {
                Clear();
                Draw();
            }
        } else if (const std::string line = Event_Line(before, status); !line.empty()) {
            std::cerr << status.Port << ": " << line << "\n";
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

// The station's rounds on stderr, its records on stdout.
class Cli_Station_Output : public Station_Output {
  public:
    explicit Cli_Station_Output(const Production_Options& options) : options_(options) {}

    void No_Units() override {
        std::cerr << "vantrel-cli: no USB serial adapter or simulated unit is listed\n";
    }
    void Port_Refused(const std::string& reason) override {
        std::cerr << "vantrel-cli: " << reason << "\n";
    }
    void Round_Started(std::size_t units, const std::string& image_sha256) override {
        std::cerr << "Programming " << units << (units == 1 ? " unit" : " units")
                  << ", image SHA-256 " << image_sha256 << "\n";
    }
    int Units_Starting(const std::vector<std::string>& ports) override {
        display_ = std::make_unique<Round_Display>(ports, isatty(STDERR_FILENO) != 0);
        interrupt_ = std::make_unique<Interrupt_Watch>();
        return interrupt_->Fd();
    }
    void Unit_Changed(const Unit_Event& event) override { display_->Show(event); }
    void Units_Ended() override {
        interrupt_.reset();
        display_.reset();
    }
    void Unit_Recorded(const Unit_Record& record) override {
        if (options_.Json) {
            std::cout << Json_Record(record) << "\n" << std::flush;
        }
    }
    void Log_Failed(const File_Failure& failure) override {
        std::cerr << "vantrel-cli: log not written: " << failure.Path << ": "
                  << English_Reason(failure) << "\n";
    }
    void Round_Ended(const std::vector<Unit_Record>& records,
                     const Production_Totals& totals) override {
        std::cerr << Summary_Table(records);
        if (totals.Rounds > 1) {
            std::cerr << "So far: " << totals.Succeeded << " of " << totals.Units
                      << " units written in " << totals.Rounds << " rounds\n";
        }
    }
    void Station_Ended(const Production_Totals& totals) override {
        if (options_.Json) {
            std::cout << Json_Summary(totals) << "\n" << std::flush;
        }
    }

  private:
    const Production_Options& options_;
    std::unique_ptr<Round_Display> display_;
    std::unique_ptr<Interrupt_Watch> interrupt_;
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

std::string Sha256_Hex(const std::vector<std::uint8_t>& image) {
    const QByteArray bytes(reinterpret_cast<const char*>(image.data()),
                           static_cast<qsizetype>(image.size()));
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

int Run_Production(const Production_Options& options, const std::vector<std::uint8_t>& image) {
    Cli_Station_Output output(options);
    Station_Machine machine{
        List_Ports, [&options](const Port_Entry& port, const std::vector<std::uint8_t>& image) {
            return std::make_unique<Qt_Unit_Job>(port, image, options.Oled);
        }};
    Production_Station station(options, image, Sha256_Hex(image), std::move(machine), output);
    return Run_Production_Rounds(station, options, Next_Round_Wanted);
}
