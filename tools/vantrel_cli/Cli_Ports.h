#pragma once

#include "Cli_Commands.h"

inline constexpr const char* Ports_Usage = "[--json]";

// Lists the port numbers the serial window offers and the device behind each.
int Run_Ports(const Cli_Arguments& args);
