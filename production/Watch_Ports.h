#pragma once

#include "Port_Entry.h"

#include <string>
#include <vector>

// A port a watch covers, with the name its records give it.
struct Watched_Port {
    Port_Entry Port;
    std::string Named; // the --port text that names it, or its device
};

// The ports of `listed` that a watch covers. Without texts, every USB adapter and simulated unit:
// built-in ports seldom hold a unit. With texts, the ports they name: a device (built-in ones
// too, and devices no listing holds), a link to one, or serial= (every port with that number).
// Without texts, also the listed ports whose devices are in `built_in`.
std::vector<Watched_Port> Watched_Ports(const std::vector<std::string>& texts,
                                        const std::vector<Port_Entry>& listed,
                                        const std::vector<std::string>& built_in = {});

// Whether two listings show the same port with the same unit behind it. A listing made while the
// system is still setting up a new adapter may lack its USB details; their absence does not make
// another adapter.
bool Same_Port(const Port_Entry& a, const Port_Entry& b);
