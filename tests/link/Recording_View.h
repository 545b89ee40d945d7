#pragma once

#include "Programming_Sequence.h"

#include <map>
#include <string>
#include <vector>

// The serial window as the link and the sequence see it, keeping what they wrote.
class Recording_View : public Sequence_View {
  public:
    struct Colouring {
        std::size_t Start;
        std::size_t Length;
        std::uint32_t Colour;
        bool operator==(const Colouring&) const = default;
    };

    std::string Log;
    std::vector<Colouring> Colours; // since the log text was last replaced
    std::map<Counter, std::string> Counters{{Counter::Sent, ""}, {Counter::Received, ""}};
    std::vector<double> Progress;
    bool Exit_Enabled = true;
    bool OFF_Enabled = true;
    std::vector<bool> Exit_History;

    std::string Log_Text() override { return Log; }
    void Set_Log_Text(const std::string& text) override {
        Log = text;
        Colours.clear();
    }
    void Set_Log_Colour(std::size_t start, std::size_t length, std::uint32_t colour) override {
        Colours.push_back({start, length, colour});
    }
    std::string Counter_Text(Counter which) override { return Counters[which]; }
    void Set_Counter_Text(Counter which, const std::string& text) override {
        Counters[which] = text;
    }
    void Set_Progress(double value) override { Progress.push_back(value); }
    void Enable_Exit(bool enabled) override {
        Exit_Enabled = enabled;
        Exit_History.push_back(enabled);
    }
    void Enable_OFF(bool enabled) override { OFF_Enabled = enabled; }

    std::string Sent() { return Counters[Counter::Sent]; }
    std::string Received() { return Counters[Counter::Received]; }
};
