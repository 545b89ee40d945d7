#include "Run_Status.h"

#include "mod_RS232_COD.h"

#include <cmath>
#include <string_view>

namespace {

// "4,6": tenths with the Italian decimal comma.
std::string Tenths(double seconds) {
    const long tenths = std::lround(seconds * 10);
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
}

// Blocks are counted from 1 wherever the user reads their number.
std::string Block_Number(std::size_t index) {
    return std::to_string(index + 1);
}

std::string Field(std::string_view name, const Run_Report& r) {
    if (name == "on") {
        // Units look alike: the line says which device the run wrote to.
        return " su " + r.Device;
    }
    if (name == "device") {
        return r.Device;
    }
    if (name == "blocks") {
        return std::to_string(r.Blocks_Written);
    }
    if (name == "seconds") {
        return Tenths(r.Seconds);
    }
    if (name == "retries") {
        return std::to_string(r.Retries);
    }
    // The block a write ended at: the one after the last acknowledged.
    return "al blocco " + Block_Number(std::size_t(r.Blocks_Written)) + " di " +
           std::to_string(r.Total_Blocks);
}

std::string Filled(std::string_view text, const Run_Report& r) {
    std::string line;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t open = text.find('{', at);
        const std::size_t close = text.find('}', open);
        if (open == std::string_view::npos || close == std::string_view::npos) {
            line += text.substr(at);
            break;
        }
        line += text.substr(at, open - at);
        line += Field(text.substr(open + 1, close - open - 1), r);
        at = close + 1;
    }
    return line;
}

} // namespace

std::string Run_Status_Text(const Run_Report& r) {
    const Outcome_Row& row = Row_Of(r.Outcome);
    const char* text = row.Italian;
    if (r.Port_Lost && row.Italian_Lost) {
        text = row.Italian_Lost;
    } else if (r.Blocks_Written >= r.Total_Blocks && row.Italian_Whole) {
        text = row.Italian_Whole;
    }
    return Filled(text, r);
}

std::string Attempt_Status_Text(const Link_Attempt& a) {
    std::string request;
    switch (a.Step) {
    case Link_Step::Find_Module:
        request = "Ricerca del modulo";
        break;
    case Link_Step::Write_Block:
        request = "Blocco " + Block_Number(a.Block);
        break;
    case Link_Step::Reset_PIC:
        request = "Reset del modulo";
        break;
    }
    if (a.Number > 1) {
        return request + ": nuovo tentativo " + std::to_string(a.Number) + " di " +
               std::to_string(Max_Attempts);
    }
    return a.Step == Link_Step::Write_Block ? request + " di " + std::to_string(a.Blocks)
                                            : request + "…";
}
