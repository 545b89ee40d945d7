#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What `program` takes for several units at once.
struct Production_Options {
    std::vector<std::string> Ports; // --port, each as given
    bool All = false;               // --all: every USB adapter and simulated unit listed
    bool Json = false;              // a JSON record per unit on stdout, then a summary
    std::string Log;                // --log FILE: the same records appended as CSV
    bool Repeat = false;            // rounds until the operator quits
    bool Oled = false;
};

// Programs every port at once with `image`, each port on its own; returns 0 when every unit was
// written, otherwise the highest exit status among the failed ones.
int Run_Production(const Production_Options& options, const std::vector<std::uint8_t>& image);
