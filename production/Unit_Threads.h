#pragma once

#include "Production_Run.h"

#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

// Runs units, each on a thread of its own, started at any moment; their events wait in a queue
// that the owner's thread takes when the wake descriptor says some are there.
class Unit_Threads {
  public:
    Unit_Threads();
    // Asks every unit still running to stop and waits for their threads.
    ~Unit_Threads();
    Unit_Threads(const Unit_Threads&) = delete;
    Unit_Threads& operator=(const Unit_Threads&) = delete;

    // False when the wake pipe could not be made; then nothing can run.
    bool Ready() const { return wake_[0] >= 0; }
    // Readable while events wait to be taken.
    int Wake_Fd() const { return wake_[0]; }

    // Runs `job` as unit `unit`, whose events carry that number; its last event is Ended, with the
    // result and the seconds from the start of its thread. The job lives until that event is
    // taken.
    void Start(std::size_t unit, Unit_Job& job);
    // The events so far, in order. The thread of a unit whose Ended is among them has finished.
    std::deque<Unit_Event> Take();
    // Asks every unit still running to end at its next wait, without a reset.
    void Stop_All();

  private:
    class Reporter : public Unit_Reporter {
      public:
        Reporter(Unit_Threads& owner, std::size_t unit) : owner_(owner), unit_(unit) {}
        void Report(Unit_Event event) override;

      private:
        Unit_Threads& owner_;
        std::size_t unit_;
    };
    struct Running_Unit {
        Unit_Job* Job = nullptr;
        std::unique_ptr<Reporter> Events;
        std::thread Thread;
    };

    void Push(Unit_Event event);

    int wake_[2] = {-1, -1};
    std::mutex mutex_;
    std::deque<Unit_Event> events_;
    // Only the owner's thread touches it.
    std::map<std::size_t, Running_Unit> running_;
};
