#include "Port_Watch.h"

namespace {

// Clock times wrap after 49 days; a difference still tells which comes first.
bool Reached(std::uint32_t now, std::uint32_t due) {
    return static_cast<std::int32_t>(now - due) >= 0;
}

} // namespace

Port_Watch::Port_Watch(Port_Entry port, std::unique_ptr<Probe_Line> line, std::uint32_t now)
    : port_(std::move(port)), line_(std::move(line)) {
    Begin_Opening(now);
}

void Port_Watch::Begin_Opening(std::uint32_t now) {
    state_ = Port_State::Opening;
    opening_since_ = now;
    due_ = now;
}

Port_Step Port_Watch::Step(std::uint32_t now) {
    Port_Step step;
    switch (state_) {
    case Port_State::Programming:
    case Port_State::Failed:
    case Port_State::Closed:
        return step;
    case Port_State::Opening:
    case Port_State::Skipped:
        return Reached(now, due_) ? Open(now) : step;
    case Port_State::Probing:
    case Port_State::Stayed:
        break;
    }
    if (line_->Lost()) {
        step.Relist = true;
        step.Unit_Left = unit_;
        unit_ = false;
        Begin_Opening(now);
        due_ = now + Open_Retry_Ms;
        return step;
    }
    if (state_ == Port_State::Probing) {
        if (line_->Answered()) {
            line_->Close();
            unit_ = true;
            state_ = Port_State::Programming;
            step.Start_Unit = true;
            return step;
        }
    } else if (Reached(now, due_)) {
        unanswered_ = line_->Answered() ? 0 : unanswered_ + 1;
        if (unanswered_ >= Unanswered_To_Leave) {
            unit_ = false;
            state_ = Port_State::Probing;
            step.Unit_Left = true;
        }
    }
    if (Reached(now, due_)) {
        line_->Probe();
        due_ = now + Probe_Period_Ms;
    }
    return step;
}

Port_Step Port_Watch::Open(std::uint32_t now) {
    Port_Step step;
    const Port_Open_Failure opening = line_->Open(port_);
    const Port_Failure failure = opening.Cause;
    if (!opening.Failed()) {
        ever_opened_ = true;
        state_ = unit_ ? Port_State::Stayed : Port_State::Probing;
        unanswered_ = 0;
        line_->Probe();
        due_ = now + Probe_Period_Ms;
        return step;
    }
    step.Relist = failure == Port_Failure::Not_Found;
    if (now - opening_since_ < Open_Settle_Ms) {
        due_ = now + Open_Retry_Ms;
        return step;
    }
    // Only a port that never opened counts as a unit that failed; one held by another program,
    // one gone from under the listing and one that opened before are tried again.
    if (ever_opened_ || failure == Port_Failure::In_Use || failure == Port_Failure::Not_Found) {
        if (state_ != Port_State::Skipped) {
            step.Skipped = opening;
        }
        state_ = Port_State::Skipped;
        due_ = now + Probe_Period_Ms;
        return step;
    }
    state_ = Port_State::Failed;
    unit_ = true;
    step.Failed = opening;
    return step;
}

void Port_Watch::Unit_Ended(std::uint32_t now) {
    Begin_Opening(now);
}

void Port_Watch::Close() {
    line_->Close();
    state_ = Port_State::Closed;
}

std::optional<std::uint32_t> Port_Watch::Due() const {
    if (state_ == Port_State::Programming || state_ == Port_State::Failed ||
        state_ == Port_State::Closed) {
        return std::nullopt;
    }
    return due_;
}
