#include "Unit_Progress.h"

void Unit_Progress::Step_Started(Link_Step step) {
    const Unit_Phase phase = step == Link_Step::Find_Module ? Unit_Phase::Finding
                             : step == Link_Step::Reset_PIC ? Unit_Phase::Resetting
                                                            : Unit_Phase::Writing;
    if (phase != phase_) {
        phase_ = phase;
        Report(Unit_Event::Kind::Phase);
    }
}

void Unit_Progress::Request_Sent(const Link_Attempt& attempt, std::string_view) {
    if (attempt.Number > 1) {
        ++retries_;
        Report(Unit_Event::Kind::Progress);
    }
}

void Unit_Progress::Block_Acknowledged(std::size_t, std::size_t) {
    ++blocks_;
    if (std::chrono::steady_clock::now() - last_ >= std::chrono::milliseconds(100)) {
        Report(Unit_Event::Kind::Progress);
    }
}

void Unit_Progress::Report(Unit_Event::Kind kind) {
    last_ = std::chrono::steady_clock::now();
    Unit_Event event;
    event.What = kind;
    event.Phase = phase_;
    event.Blocks = blocks_;
    event.Retries = retries_;
    reporter_.Report(std::move(event));
}
