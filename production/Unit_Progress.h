#pragma once

#include "Production_Run.h"
#include "Session_Events.h"

#include <chrono>

// A unit's session events as production events: a phase event as each step starts, progress as
// blocks are acknowledged (at most ten reports a second) and at once on each retry.
class Unit_Progress : public Session_Events {
  public:
    explicit Unit_Progress(Unit_Reporter& reporter) : reporter_(reporter) {}

    void Step_Started(Link_Step step) override;
    void Request_Sent(const Link_Attempt& attempt, std::string_view frame) override;
    void Block_Acknowledged(std::size_t block, std::size_t blocks) override;

  private:
    void Report(Unit_Event::Kind kind);

    Unit_Reporter& reporter_;
    Unit_Phase phase_ = Unit_Phase::Opening;
    int blocks_ = 0;
    int retries_ = 0;
    std::chrono::steady_clock::time_point last_{};
};
