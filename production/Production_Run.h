#pragma once

#include "Production_Record.h"
#include "Serial_Control.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class Unit_Phase { Opening, Finding, Writing, Resetting, Ended };

// How one unit ended.
struct Unit_Result {
    Run_Outcome Outcome = Run_Outcome::Stopped;
    int Blocks = 0;
    int Retries = 0;
    double Seconds = 0; // measured by Run_Units, from the start of the unit's thread to its end
};

// What a unit's run reports as it goes; delivered on the thread that runs the units.
struct Unit_Event {
    enum class Kind { Phase, Progress, Message, Ended };
    std::size_t Unit = 0; // index into the jobs
    Kind What = Kind::Phase;
    Unit_Phase Phase = Unit_Phase::Opening;
    int Blocks = 0;     // acknowledged so far
    int Retries = 0;    // so far
    std::string Text;   // Message: what the unit's steps told the user, one or more lines
    Unit_Result Result; // Ended: how
    // Message: the port did not open, for which Text has the English reason.
    Port_Failure Open_Failure = Port_Failure::None;
};

// Where a unit's run reports; any thread may call it.
class Unit_Reporter {
  public:
    virtual ~Unit_Reporter() = default;
    virtual void Report(Unit_Event event) = 0; // Unit is filled in
};

// Programs one unit on a thread of its own, with everything it needs of its own (port, link,
// data, clock): nothing it changes is seen by another unit.
class Unit_Job {
  public:
    virtual ~Unit_Job() = default;
    virtual Unit_Result Run(Unit_Reporter& reporter) = 0;
    // Asks the run to end at its next wait, without a reset; from another thread, at any time,
    // also before Run has started or after it has ended.
    virtual void Stop() = 0;
};

// Runs every job on its own thread at once and hands their events to `on_event` on the calling
// thread, which sleeps until an event comes. When `interrupt_fd` (a pipe's reading end, or -1)
// becomes readable, every job is asked to stop. Returns when every job has ended, their results
// in the jobs' order.
std::vector<Unit_Result> Run_Units(const std::vector<std::unique_ptr<Unit_Job>>& jobs,
                                   int interrupt_fd,
                                   const std::function<void(const Unit_Event&)>& on_event);
