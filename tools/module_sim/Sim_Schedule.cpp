#include "Sim_Schedule.h"

#include <algorithm>
#include <vector>

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
    if (!answer.Held) {
        due = std::max(due, last_due_);
    }
    std::size_t burst =
        options_.Burst > 0 ? static_cast<std::size_t>(options_.Burst) : answer.Reply.size();
    if (answer.Split) {
        burst = 1;
    }
    const auto pause = std::chrono::milliseconds(answer.Split ? 2 : options_.Burst_Pause_Ms);
    std::vector<Chunk> chunks;
    for (std::size_t at = 0; at < answer.Reply.size(); at += burst) {
        chunks.push_back({due, answer.Reply.substr(at, burst), false});
        due += pause;
    }
    const auto last = chunks.back().Due;
    if (!answer.Stray.empty()) {
        if (answer.Stray_Gap_Ms == 0) {
            chunks.back().Bytes += answer.Stray;
        } else {
            chunks.push_back(
                {last + std::chrono::milliseconds(answer.Stray_Gap_Ms), answer.Stray, false});
        }
    }
    chunks.back().Close_After = answer.Close_After;
    // A reply held up on the way is overtaken by later ones; the rest leave in order.
    for (auto& chunk : chunks) {
        const auto place = std::upper_bound(
            chunks_.begin(), chunks_.end(), chunk.Due,
            [](Sim_Clock::time_point due, const Chunk& queued) { return due < queued.Due; });
        chunks_.insert(place, std::move(chunk));
    }
    if (answer.Held) {
        return;
    }
    if (answer.Late_Ms > 0 || held) {
        busy_until_ = last;
    }
    last_due_ = last;
}
