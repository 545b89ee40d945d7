#pragma once

#include "Link_View.h"
#include "Programming_Sequence.h"

#include <string>

// What the serial window's status line says about a run that has ended.
struct Run_Report {
    Run_Outcome Outcome = Run_Outcome::Written;
    int Blocks_Written = 0; // blocks the unit acknowledged in this run
    int Total_Blocks = 0;
    int Retries = 0;
    double Seconds = 0;
    bool Port_Lost = false; // the last step ended because the port went away
    std::string Device;     // the open port's device, which the run wrote to
};

// One Italian line; empty for a click ignored during a run.
std::string Run_Status_Text(const Run_Report& report);

// What the status line says while a run sends a request: "Ricerca del modulo…",
// "Blocco 5 di 512", "Blocco 5: nuovo tentativo 2 di 3".
std::string Attempt_Status_Text(const Link_Attempt& attempt);
