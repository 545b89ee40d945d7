#pragma once

#include "Production_Record.h"
#include "Production_Run.h"

#include <optional>
#include <string>
#include <vector>

// What the live display knows of one unit.
struct Unit_Status {
    std::string Port;
    Unit_Phase Phase = Unit_Phase::Opening;
    int Blocks = 0;
    int Retries = 0;
    double Write_Started = -1; // seconds into the round of the first acknowledged block
    std::optional<Run_Outcome> Outcome;

    // `now`: seconds into the round.
    void Apply(const Unit_Event& event, double now);
};

// "finding", "writing", ...
const char* Phase_Name(Unit_Phase phase);

// One line of the live display: port, phase, bar, blocks, retries, time left.
std::string Live_Line(const Unit_Status& status, std::size_t port_width, double now);

// The table after a round, one row per unit and a total row.
std::string Summary_Table(const std::vector<Unit_Record>& records);
