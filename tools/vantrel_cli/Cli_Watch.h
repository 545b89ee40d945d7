#pragma once

#include "Production_Station.h"

#include <cstdint>
#include <vector>

// Programs every unit that appears on the watched ports with `image`, until Ctrl-C; returns 0
// when every unit was written (or none came), otherwise the highest exit status among the rest.
int Run_Watch(const Production_Options& options, const std::vector<std::uint8_t>& image);
