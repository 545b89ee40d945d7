#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// How the programming of one unit ended; each has the exit status a one-port run gives.
enum class Unit_Outcome {
    Written,                // every block and the reset acknowledged
    Not_Found,              // the port was not there or could not be opened, or no unit answered
    Write_Failed,           // a block was refused
    Stopped,                // Ctrl-C
    Reset_Not_Acknowledged, // written, the reset refused
};

int Exit_Code(Unit_Outcome outcome);
// "written", "not_found", "write_failed", "stopped", "reset_not_acknowledged"
const char* Outcome_Name(Unit_Outcome outcome);

// What the record of one programmed unit holds.
struct Unit_Record {
    std::string Port;                  // as given (--port) or listed (--all)
    std::string Device;                // what was opened
    std::optional<std::string> Serial; // the adapter's USB serial number
    Unit_Outcome Outcome = Unit_Outcome::Written;
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
