#pragma once

#include "Run_Outcome.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// What the record of one programmed unit holds.
struct Unit_Record {
    std::string Port;                  // as given (--port) or listed (--all)
    std::string Device;                // what was opened
    std::optional<std::string> Serial; // the adapter's USB serial number
    Run_Outcome Outcome = Run_Outcome::Written;
    int Blocks = 0;
    int Retries = 0;
    double Seconds = 0;
    std::string Image_Sha256;
    std::string Finished; // UTC, 2024-05-17T09:41:07Z
};

// The running totals of a station, over every round.
struct Production_Totals {
    int Rounds = 0;
    int Units = 0;
    int Succeeded = 0;
    std::vector<int> Exit_Codes;

    void Add(const Unit_Record& record);
};

// 0 when every unit succeeded (or there was none), otherwise the highest failure's status.
int Production_Exit_Status(const std::vector<int>& exit_codes);

// One line each, without the line feed.
std::string Json_Record(const Unit_Record& record);
std::string Json_Summary(const Production_Totals& totals);
std::string Csv_Header();
std::string Csv_Record(const Unit_Record& record);

// The present moment as Unit_Record::Finished writes it.
std::string Utc_Now();
