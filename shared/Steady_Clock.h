#pragma once

#include "Window_System.h"

#include <chrono>

// Milliseconds since the clock was made, truncated to 32 bits like the desktop's own counter.
class Steady_Clock : public Millisecond_Clock {
  public:
    std::uint32_t timeGetTime() override {
        const auto elapsed = std::chrono::steady_clock::now() - start_;
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
