#pragma once

#include "Programming_Sequence.h"

#include <chrono>
#include <iosfwd>
#include <string>

// The serial window's log, counters and progress bar, shown on a terminal: progress as one
// updating line on a terminal (a few plain lines otherwise), the traffic log lines with --verbose.
class Terminal_View : public Sequence_View {
  public:
    Terminal_View(std::ostream& out, bool is_terminal, bool verbose);

    std::string Log_Text() override { return log_; }
    void Set_Log_Text(const std::string& text) override;
    void Set_Log_Colour(std::size_t, std::size_t, std::uint32_t) override {}

    std::string Counter_Text(Counter which) override;
    void Set_Counter_Text(Counter which, const std::string& text) override;

    void Set_Progress(double value) override;

    void Enable_Exit(bool) override {}
    void Enable_OFF(bool) override {}

    // Ends the updating progress line, so that what follows starts on a line of its own.
    void Finish_Progress();

  private:
    void Print_Log(const std::string& lines);
    void Show_Progress(bool force);

    std::ostream& out_;
    bool is_terminal_;
    bool verbose_;
    std::string log_;
    std::string sent_ = "0";
    std::string received_ = "0";
    int progress_ = 0;
    bool shown_ = false;
    bool line_open_ = false;
    std::chrono::steady_clock::time_point last_shown_{};
};
