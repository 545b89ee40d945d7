#pragma once

#include "Run_Outcome.h"

#include <cstddef>
#include <string>

// What one run did, for every face to print from: the window's status line, the command line's
// summary and the production records.
struct Run_Report {
    Run_Outcome Outcome = Run_Outcome::Written;
    int Blocks_Written = 0; // blocks the unit acknowledged in this run
    int Total_Blocks = 0;
    int Retries = 0;
    double Seconds = 0;
    int Late_Replies = 0;        // owed replies that came and were waited out
    std::size_t Stray_Bytes = 0; // received bytes that answered no request
    bool Port_Lost = false;      // the last step ended because the port went away
    std::string Device;          // the open port's device, which the run wrote to
};
