#pragma once

#include "Port_Registry.h"

#include <string>
#include <vector>

// The part of the port list that needs no Qt: the per-user folder where simulated units register
// their pseudo-terminals, the removal of stale registrations, and the order of the port numbers.
// Register_Simulated_Port and Unregister_Simulated_Port (Port_Registry.h) are implemented here.

// $XDG_RUNTIME_DIR/vantrel-ports when that folder is set and writable, else
// /tmp/vantrel-ports-<uid>. Empty when the folder is unusable (not ours, not a folder).
std::string Registration_Folder(bool create);

struct Registered_Port {
    std::string Name; // "sim-1234-pts-7"
    std::string Device;
    long Pid = 0;
};

// The live registrations in natural order of their names. Entries whose process is gone or whose
// device no longer exists are removed on the way.
std::vector<Registered_Port> Registered_Ports();

// "ttyUSB2" before "ttyUSB10": runs of digits compare by value.
bool Natural_Less(const std::string& a, const std::string& b);

// The adapter's USB vendor and product id as the port listings show them, "0403:6001": four
// lower-case hex digits each. Empty for a port without them.
std::string Usb_Ids(const Port_Entry& port);

// Numbers from 1: USB adapters (ttyUSB*, then ttyACM*), then the simulated units, then every other
// serial device, each group in natural order. A device listed twice keeps its first number.
std::vector<Port_Entry> Number_Ports(std::vector<Port_Entry> system,
                                     const std::vector<Registered_Port>& simulated);
