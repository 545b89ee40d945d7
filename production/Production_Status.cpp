#include "Production_Status.h"

#include "mod_RS232_COD.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int Bar_Width = 24;

std::string Padded(const std::string& text, std::size_t width) {
    return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

std::string Format(const char* format, double a, double b = 0) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

} // namespace

void Unit_Status::Apply(const Unit_Event& event, double now) {
    // A message comes from the window-system operations, which know no counts.
    if (event.What == Unit_Event::Kind::Message) {
        return;
    }
    Blocks = event.Blocks;
    Retries = event.Retries;
    Phase = event.Phase;
    if (event.What == Unit_Event::Kind::Ended) {
        Outcome = event.Result.Outcome;
    }
    if (Blocks > 0 && Write_Started < 0) {
        Write_Started = now;
    }
}

const char* Phase_Name(Unit_Phase phase) {
    switch (phase) {
    case Unit_Phase::Opening:
        return "opening";
    case Unit_Phase::Finding:
        return "finding";
    case Unit_Phase::Writing:
        return "writing";
    case Unit_Phase::Resetting:
        return "resetting";
    case Unit_Phase::Ended:
        return "ended";
    }
    return "";
}

std::string Live_Line(const Unit_Status& status, std::size_t port_width, double now) {
    const int total = static_cast<int>(Block_Count);
    const int filled = status.Blocks * Bar_Width / total;
    const std::string state =
        status.Outcome ? Outcome_Name(*status.Outcome) : Phase_Name(status.Phase);
    std::string line = Padded(status.Port, port_width) + "  " + Padded(state, 22) + " [" +
                       std::string(filled, '#') + std::string(Bar_Width - filled, '.') + "] " +
                       Format("%3.0f", status.Blocks) + "/" + std::to_string(total) + "  retries " +
                       std::to_string(status.Retries);
    // The rate of the blocks written so far tells the rest; before the second block it is a guess.
    if (status.Phase == Unit_Phase::Writing && status.Blocks > 1 && status.Write_Started >= 0) {
        const double per_block = (now - status.Write_Started) / (status.Blocks - 1);
        line += Format("  %.0f s left", per_block * (total - status.Blocks));
    }
    return line;
}

std::string Summary_Table(const std::vector<Unit_Record>& records) {
    std::size_t width = 4;
    for (const Unit_Record& r : records) {
        width = std::max(width, r.Device.size());
    }
    std::string table =
        Padded("port", width) + "  " + Padded("outcome", 22) + " exit  blocks  retries  seconds\n";
    int written = 0;
    for (const Unit_Record& r : records) {
        written += r.Outcome == Run_Outcome::Written ? 1 : 0;
        table += Padded(r.Device, width) + "  " + Padded(Outcome_Name(r.Outcome), 22) + " " +
                 Format("%4.0f", Exit_Code(r.Outcome)) + "  " + Format("%6.0f", r.Blocks) + "  " +
                 Format("%7.0f", r.Retries) + "  " + Format("%7.1f", r.Seconds) + "\n";
    }
    table += std::to_string(written) + " of " + std::to_string(records.size()) + " units written\n";
    return table;
}
