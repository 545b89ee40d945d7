#include "Traffic_Log.h"

#include "Frames.h"
#include "mod_RS232_COD.h"

#include <cstdint>
#include <limits>

std::string Traffic_Log::Counter_Text(Counter which) const {
    return std::to_string(which == Counter::Sent ? sent_ : received_);
}

void Traffic_Log::Clear_Log() {
    Add_Line("", 0, true);
}

void Traffic_Log::Run_Started() {
    Clear_Log();
    Reset_Counters();
}

void Traffic_Log::Step_Started(Link_Step step) {
    if (step != Link_Step::Find_Module) {
        return;
    }
    // Detection starts the traffic of a run afresh.
    Reset_Counters();
    Clear_Log();
    progress_ = 0;
    Changed(Change::Progress);
}

void Traffic_Log::Block_Started(std::size_t block, std::size_t) {
    progress_ = static_cast<int>(block);
    Changed(Change::Progress);
}

void Traffic_Log::Request_Sent(const Link_Attempt&, std::string_view frame) {
    sent_ = Incremented(sent_);
    Changed(Change::Counters);
    // Each request empties the log of everything shown before.
    Add_Line(Log_Line(frame), Log_Colour_Sent, true);
}

void Traffic_Log::Reply_Heard(const Link_Attempt& attempt, std::string_view kept,
                              std::size_t received) {
    // The reset's reply is not shown: after a reset the log holds only its request.
    if (attempt.Step != Link_Step::Reset_PIC) {
        Add_Line(Reply_Log_Line(kept, received), Log_Colour_Received, false);
    }
    received_ = Incremented(received_);
    Changed(Change::Counters);
}

void Traffic_Log::Add_Line(std::string line, std::uint32_t colour, bool replaces) {
    if (replaces) {
        text_.clear();
        colours_.clear();
    }
    if (!line.empty()) {
        colours_.push_back({text_.size(), line.size(), colour});
    }
    text_ += line;
    last_line_ = std::move(line);
    Changed(Change::Log);
}

void Traffic_Log::Reset_Counters() {
    sent_ = received_ = 0;
    Changed(Change::Counters);
}

int Traffic_Log::Incremented(int value) {
    return (value > std::numeric_limits<std::int16_t>::max() ? 0 : value) + 1;
}

void Traffic_Log::Changed(Change what) const {
    if (listener_) {
        listener_(what);
    }
}
