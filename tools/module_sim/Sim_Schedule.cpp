#include "Sim_Schedule.h"

#include <algorithm>

std::chrono::nanoseconds Line_Time(std::size_t bytes) {
    return std::chrono::nanoseconds(static_cast<long long>(bytes) * 1'000'000'000LL /
                                    Line_Bytes_Per_Second);
}

void Reply_Schedule::Add(const Sim_Answer& answer, Sim_Clock::time_point now) {
    auto ready = now;
    if (options_.Line_Rate) {
        const auto start = std::max(answer.First_Byte, receive_free_);
        receive_free_ = start + Line_Time(answer.Request_Length);
        ready = std::max(ready, receive_free_);
    }
    if (answer.Reply.empty()) {
        return;
    }
    // A unit held up by a late reply handles what it heard meanwhile one request after another.
    const bool held = busy_until_ > ready;
    ready = std::max(ready, busy_until_);
    if (answer.Block_Written) {
        ready += std::chrono::milliseconds(options_.Write_Time_Ms);
    }
    ready += std::chrono::milliseconds(options_.Delay_Ms + answer.Late_Ms);
    auto due = ready;
    if (options_.Line_Rate) {
        due = std::max(ready, send_free_) + Line_Time(answer.Reply.size());
        send_free_ = due;
    }
    due = std::max(due, last_due_);
    const std::size_t burst =
        options_.Burst > 0 ? static_cast<std::size_t>(options_.Burst) : answer.Reply.size();
    for (std::size_t at = 0; at < answer.Reply.size(); at += burst) {
        chunks_.push_back({due, answer.Reply.substr(at, burst), false});
        due += std::chrono::milliseconds(options_.Burst_Pause_Ms);
    }
    chunks_.back().Close_After = answer.Close_After;
    if (answer.Late_Ms > 0 || held) {
        busy_until_ = chunks_.back().Due;
    }
    last_due_ = chunks_.back().Due;
}
