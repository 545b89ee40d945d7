#pragma once

#include "Port_Entry.h"

#include <string>
#include <vector>

// The machine's serial ports, numbered as the serial window shows them ("COM n"). On Windows n is
// the COM number. Elsewhere n numbers the machine's serial devices in a documented order, and
// every running simulated unit that registered itself is among them; the numbers hold for this
// listing only.
std::vector<Port_Entry> List_Ports();

// A simulated unit makes its pseudo-terminal visible to the port list; the registration goes
// when Unregister_Simulated_Port is called (or the registering process is gone).
std::string Register_Simulated_Port(const std::string& device);
void Unregister_Simulated_Port(const std::string& registration);
