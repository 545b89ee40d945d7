#pragma once

#include "Programming_Sequence.h"

#include <string>
#include <tuple>
#include <vector>

// The serial window as the link and the sequence see it, keeping what they wrote.
class Recording_View : public Sequence_View {
  public:
    using Colouring = std::tuple<std::size_t, std::size_t, std::uint32_t>; // start, length, colour

    std::string Log;
    std::vector<Colouring> Colours; // since the log text was last replaced
    std::string Sent, Received;     // the two counters
    std::vector<bool> Exit_History;
    std::vector<Link_Attempt> Attempts;
    bool OFF_Enabled = true;

    std::string Log_Text() override { return Log; }
    void Set_Log_Text(const std::string& text) override {
        Log = text;
        Colours.clear();
    }
    void Set_Log_Colour(std::size_t start, std::size_t length, std::uint32_t colour) override {
        Colours.emplace_back(start, length, colour);
    }
    std::string Counter_Text(Counter which) override {
        return which == Counter::Sent ? Sent : Received;
    }
    void Set_Counter_Text(Counter which, const std::string& text) override {
        (which == Counter::Sent ? Sent : Received) = text;
    }
    void Set_Progress(double) override {}
    void Attempt_Started(const Link_Attempt& attempt) override { Attempts.push_back(attempt); }
    void Enable_Exit(bool enabled) override { Exit_History.push_back(enabled); }
    void Enable_OFF(bool enabled) override { OFF_Enabled = enabled; }
};
