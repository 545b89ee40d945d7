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

void Terminal_View::Step_Started(Link_Step step) {
    Traffic_Log::Step_Started(step);
    if (step == Link_Step::Find_Module) {
        Finish_Progress();
        out_ << "Looking for the unit" << std::endl;
    }
}

void Terminal_View::Block_Started(std::size_t block, std::size_t blocks) {
    Traffic_Log::Block_Started(block, blocks);
    if (int(block) == progress_ && shown_) {
        return;
    }
    progress_ = int(block);
    shown_ = true;
    Show_Progress(false);
}

void Terminal_View::Request_Sent(const Link_Attempt& attempt, std::string_view frame) {
    Traffic_Log::Request_Sent(attempt, frame);
    Print_Last_Line();
}

void Terminal_View::Reply_Heard(const Link_Attempt& attempt, std::string_view kept,
                                std::size_t received) {
    Traffic_Log::Reply_Heard(attempt, kept, received);
    if (attempt.Step != Link_Step::Reset_PIC) {
        Print_Last_Line();
    }
}

void Terminal_View::Print_Last_Line() {
    if (!verbose_ || Last_Line().empty()) {
        return;
    }
    Finish_Progress();
    out_ << Without_Carriage_Returns(Last_Line()) << std::flush;
}

void Terminal_View::Show_Progress(bool force) {
    const std::string line = "Writing EEPROM: block " + std::to_string(progress_) + "/" +
                             std::to_string(Block_Count) + ", packets sent " +
                             Counter_Text(Counter::Sent) + ", received " +
                             Counter_Text(Counter::Received);
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
