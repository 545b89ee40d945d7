#pragma once

#include "Link_Events.h"
#include "Run_Report.h"

// What a programming session reports: the start and the end of each run, and between them
// everything the link does on the line.
class Session_Events : public Link_Events {
  public:
    // Before anything of the run, the compile included.
    virtual void Run_Started() {}
    // After the run's last step, with what it did; never for a request ignored as Busy.
    virtual void Run_Ended(const Run_Report&) {}
};
