#pragma once

#include "Traffic_Log.h"

#include <string>
#include <tuple>
#include <vector>

// The serial window as the session's events draw it, keeping what they showed.
class Recording_View : public Traffic_Log {
  public:
    using Colouring = std::tuple<std::size_t, std::size_t, std::uint32_t>; // start, length, colour

    Recording_View() {
        Set_Listener([this](Change what) {
            if (what == Change::Log) {
                Log = Text();
                Colours.clear();
                if (!Last_Line().empty()) {
                    const Colour_Span& span = Traffic_Log::Colours().back();
                    Colours.emplace_back(span.Start, span.Length, span.Colour);
                }
            }
            Sent = Counter_Text(Counter::Sent);
            Received = Counter_Text(Counter::Received);
        });
    }

    std::string Log;
    std::vector<Colouring> Colours; // of the line the log's last change added
    std::string Sent, Received;     // the two counters
    std::vector<bool> Exit_History; // cmd_Exit enabled, as runs start and end
    std::vector<Link_Attempt> Attempts;
    bool OFF_Enabled = true;

    void Request_Sent(const Link_Attempt& attempt, std::string_view frame) override {
        Attempts.push_back(attempt);
        Traffic_Log::Request_Sent(attempt, frame);
    }
    void Run_Started() override {
        Exit_History.push_back(false);
        OFF_Enabled = false;
        Traffic_Log::Run_Started();
    }
    void Run_Ended(const Run_Report&) override {
        Exit_History.push_back(true);
        OFF_Enabled = true;
    }
};
