#include "Cli_Watch.h"

#include "Cli_Interrupt.h"
#include "Cli_Production.h"
#include "Production_Status.h"
#include "Qt_Production_Watch.h"
#include "Station_Model.h"

#include <QEventLoop>
#include <QSocketNotifier>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace {

// A watch on stderr, its records on stdout. On a terminal the units being programmed keep a live
// line each under the lines that stay; otherwise a line per event, as in a round.
class Cli_Watch_Output : public Watch_Output {
  public:
    Cli_Watch_Output(const Production_Options& options, bool terminal)
        : options_(options), terminal_(terminal), start_(std::chrono::steady_clock::now()) {}

    void Port_Found(const std::string& named) override {
        Say(named + ": port found, waiting for a unit\n");
    }
    void Port_Skipped(const std::string& named, const Port_Open_Failure& why) override {
        Say(named + ": skipped for now: " + why.Reason + "\n");
    }
    void Port_Gone(const std::string& named) override { Say(named + ": port gone\n"); }
    void Unit_Started(std::size_t unit, const Port_Entry& port, const std::string& named) override {
        model_.Unit_Started(unit, port, named);
        Say("");
    }
    void Unit_Changed(const Unit_Event& event) override {
        const auto tile = std::find_if(model_.Tiles().begin(), model_.Tiles().end(),
                                       [&](const Unit_Tile& t) { return t.Unit == event.Unit; });
        if (tile == model_.Tiles().end()) {
            return;
        }
        const Unit_Status before = tile->Status;
        const Unit_Status& after = model_.Unit_Changed(event, Seconds())->Status;
        if (event.What == Unit_Event::Kind::Message) {
            Say(Prefixed_Lines(after.Port + ": ", event.Text));
        } else if (terminal_) {
            if (after.Phase != before.Phase ||
                std::chrono::steady_clock::now() - drawn_ >= std::chrono::milliseconds(100)) {
                Say("");
            }
        } else if (const std::string line = Event_Line(before, after); !line.empty()) {
            Say(after.Port + ": " + line + "\n");
        }
    }
    void Unit_Recorded(std::size_t unit, const Unit_Record& record,
                       const Production_Totals&) override {
        const Unit_Tile* tile = model_.Unit_Recorded(unit, record);
        // On a terminal the unit's live line stays as it ended.
        Say((terminal_ && tile ? Live_Line(tile->Status, Width(), Seconds()) + "\n" : "") +
            Totals_Line(model_) + "\n");
        if (options_.Json) {
            std::cout << Json_Record(record) << "\n" << std::flush;
        }
    }
    void Log_Failed(const File_Failure& failure) override {
        Say("vantrel-cli: log not written: " + failure.Path + ": " + English_Reason(failure) +
            "\n");
    }
    void Unit_Left(std::size_t unit) override {
        if (const Unit_Tile* tile = model_.Unit_Left(unit)) {
            Say(tile->Status.Port + ": unit left\n");
        }
    }
    void Watch_Ended(const Production_Totals& totals) override {
        Say("Watch ended. " + Totals_Line(model_) + "\n");
        if (options_.Json) {
            std::cout << Json_Summary(totals) << "\n" << std::flush;
        }
    }

  private:
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
    static bool Running(const Unit_Tile& tile) { return !tile.Status.Outcome; }
    std::size_t Width() const {
        std::size_t width = 0;
        for (const Unit_Tile& tile : model_.Tiles()) {
            width = std::max(width, tile.Status.Port.size());
        }
        return width;
    }
    // Prints `lines` above the live lines, which are drawn again.
    void Say(const std::string& lines) {
        if (terminal_ && drawn_lines_ > 0) {
            std::cerr << "\x1b[" << drawn_lines_ << "A\r\x1b[J";
        }
        std::cerr << lines;
        drawn_lines_ = 0;
        if (terminal_) {
            for (const Unit_Tile& tile : model_.Tiles()) {
                if (Running(tile)) {
                    std::cerr << Live_Line(tile.Status, Width(), Seconds()) << "\x1b[K\n";
                    ++drawn_lines_;
                }
            }
            drawn_ = std::chrono::steady_clock::now();
        }
        std::cerr << std::flush;
    }

    const Production_Options& options_;
    bool terminal_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point drawn_{};
    std::size_t drawn_lines_ = 0;
    Station_Model model_;
};

} // namespace

int Run_Watch(const Production_Options& options, const std::vector<std::uint8_t>& image) {
    const std::string sha256 = Sha256_Hex(image);
    Cli_Watch_Output output(options, isatty(STDERR_FILENO) != 0);
    Qt_Production_Watch watch(options, image, sha256, output);
    QEventLoop loop;
    Interrupt_Watch interrupt;
    std::unique_ptr<QSocketNotifier> interrupted;
    if (interrupt.Fd() >= 0) {
        interrupted = std::make_unique<QSocketNotifier>(interrupt.Fd(), QSocketNotifier::Read);
        QObject::connect(interrupted.get(), &QSocketNotifier::activated, [&] {
            interrupt.Clear();
            watch.Stop();
        });
    }
    std::cerr << "Watching for units, image SHA-256 " << sha256 << "; Ctrl-C ends\n" << std::flush;
    if (!watch.Start([&loop] { loop.quit(); })) {
        std::cerr << "vantrel-cli: cannot run the units: the system refused a pipe\n";
        return Exit_Failed;
    }
    loop.exec();
    return watch.Finish();
}
