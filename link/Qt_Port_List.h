#pragma once

#include "Port_Entry.h"

#include <vector>

// The machine's serial ports, numbered as the serial window shows them ("COM n"), as Qt's port
// listing finds them. On Windows n is the COM number. Elsewhere n numbers the machine's serial
// devices in the order of Number_Ports, and every running simulated unit that registered itself is
// among them; the numbers hold for this listing only.
std::vector<Port_Entry> List_Ports();
