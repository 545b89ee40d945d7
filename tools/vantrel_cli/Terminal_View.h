#pragma once

#include "Traffic_Log.h"

#include <chrono>
#include <iosfwd>
#include <string>

// The serial window's log, counters and progress bar, shown on a terminal: progress as one
// updating line on a terminal (a few plain lines otherwise), the traffic log lines with --verbose.
class Terminal_View : public Traffic_Log {
  public:
    Terminal_View(std::ostream& out, bool is_terminal, bool verbose);

    void Step_Started(Link_Step step) override;
    void Block_Started(std::size_t block, std::size_t blocks) override;
    void Request_Sent(const Link_Attempt& attempt, std::string_view frame) override;
    void Reply_Heard(const Link_Attempt& attempt, std::string_view kept,
                     std::size_t received) override;

    // Ends the updating progress line, so that what follows starts on a line of its own.
    void Finish_Progress();

  private:
    void Print_Last_Line();
    void Show_Progress(bool force);

    std::ostream& out_;
    bool is_terminal_;
    bool verbose_;
    int progress_ = 0;
    bool shown_ = false;
    bool line_open_ = false;
    std::chrono::steady_clock::time_point last_shown_{};
};
