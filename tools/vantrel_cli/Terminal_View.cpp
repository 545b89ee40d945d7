#include "Terminal_View.h"

#include "Window_System.h"
#include "mod_RS232_COD.h"

#include <ostream>

namespace {

// A terminal needs no more than about ten refreshes a second.
constexpr auto Refresh_Interval = std::chrono::milliseconds(100);

// Blocks after which a plain (non-terminal) output reports progress.
constexpr int Plain_Report_Step = 128;

} // namespace

Terminal_View::Terminal_View(std::ostream& out, bool is_terminal, bool verbose)
    : out_(out), is_terminal_(is_terminal), verbose_(verbose) {}

void Terminal_View::Set_Log_Text(const std::string& text) {
    if (verbose_) {
        // The log either starts afresh with a request or has a reply appended to it.
        const bool appended =
            !log_.empty() && text.size() > log_.size() && text.compare(0, log_.size(), log_) == 0;
        Print_Log(appended ? text.substr(log_.size()) : text);
    }
    log_ = text;
}

void Terminal_View::Print_Log(const std::string& lines) {
    if (lines.empty()) {
        return;
    }
    Finish_Progress();
    out_ << Without_Carriage_Returns(lines) << std::flush;
}

std::string Terminal_View::Counter_Text(Counter which) {
    return which == Counter::Sent ? sent_ : received_;
}

void Terminal_View::Set_Counter_Text(Counter which, const std::string& text) {
    (which == Counter::Sent ? sent_ : received_) = text;
}

void Terminal_View::Set_Progress(double value) {
    const int block = static_cast<int>(value);
    // Detection zeroes the counters and the bar before its first request; the write's own
    // progress starts after it.
    if (sent_ == "0") {
        Finish_Progress();
        out_ << "Looking for the unit" << std::endl;
        return;
    }
    if (block == progress_ && shown_) {
        return;
    }
    progress_ = block;
    shown_ = true;
    Show_Progress(false);
}

void Terminal_View::Show_Progress(bool force) {
    const std::string line = "Writing EEPROM: block " + std::to_string(progress_) + "/" +
                             std::to_string(Block_Count) + ", packets sent " + sent_ +
                             ", received " + received_;
    if (is_terminal_ && !verbose_) {
        const auto now = std::chrono::steady_clock::now();
        if (!force && line_open_ && now - last_shown_ < Refresh_Interval) {
            return;
        }
        last_shown_ = now;
        out_ << "\r" << line << "\x1b[K" << std::flush;
        line_open_ = true;
    } else if (force || progress_ % Plain_Report_Step == 0) {
        out_ << line << "\n" << std::flush;
    }
}

void Terminal_View::Finish_Progress() {
    if (line_open_) {
        Show_Progress(true);
        out_ << "\n" << std::flush;
        line_open_ = false;
    }
}
