#pragma once

#include "Link_Events.h"
#include "Run_Report.h"

#include <string>

// What the serial window's status line says about a run that has ended: the outcome's Italian
// text filled in from the report; empty for a request ignored during a run.
std::string Run_Status_Text(const Run_Report& report);

// What the status line says while a run sends a request: "Ricerca del modulo…",
// "Blocco 5 di 512", "Blocco 5: nuovo tentativo 2 di 3".
std::string Attempt_Status_Text(const Link_Attempt& attempt);
