#pragma once

#include "Production_Station.h"

#include <cstdint>
#include <vector>

// Programs every port at once with `image`, each port on its own; returns 0 when every unit was
// written, otherwise the highest exit status among the failed ones.
int Run_Production(const Production_Options& options, const std::vector<std::uint8_t>& image);
