#pragma once

#include "Sim_Options.h"
#include "Sim_Unit.h"

#include <chrono>
#include <deque>
#include <string>

// 115200 baud, 10 bits per byte with start and stop bit.
inline constexpr long Line_Bytes_Per_Second = 11520;
std::chrono::nanoseconds Line_Time(std::size_t bytes);

struct Chunk {
    Sim_Clock::time_point Due;
    std::string Bytes;
    bool Close_After = false;
};

// Turns the unit's answers into timed bursts on the line.
class Reply_Schedule {
  public:
    explicit Reply_Schedule(const Sim_Options& options) : options_(options) {}

    // Due times follow the options: delay, EEPROM write time, line rate and bursts; replies
    // leave in the order of their requests.
    void Add(const Sim_Answer& answer, Sim_Clock::time_point now);

    bool Empty() const { return chunks_.empty(); }
    const Chunk& Front() const { return chunks_.front(); }
    void Pop() { chunks_.pop_front(); }

  private:
    const Sim_Options& options_;
    std::deque<Chunk> chunks_;
    Sim_Clock::time_point receive_free_{};
    Sim_Clock::time_point send_free_{};
    Sim_Clock::time_point last_due_{};
    Sim_Clock::time_point busy_until_{};
};
