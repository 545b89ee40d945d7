#pragma once

#include <optional>
#include <string>
#include <vector>

// Port numbers as the serial window shows them ("COM n"). On Windows n is the COM number. Elsewhere
// n numbers the machine's serial devices in a stable order, and every running simulated unit that
// registered itself is among them.
struct Port_Entry {
    int Number = 0;          // 1, 2, ...
    std::string Device;      // "/dev/ttyUSB0", "/dev/pts/7", "COM3"
    std::string Description; // "USB serial adapter", "simulated unit (pid 1234)", ...
};

std::vector<Port_Entry> List_Ports();
// The device a port number stands for, if any.
std::optional<std::string> Device_For_Port(int number);

// A simulated unit makes its pseudo-terminal visible to the port list; the registration goes
// when Unregister_Simulated_Port is called (or the registering process is gone).
std::string Register_Simulated_Port(const std::string& device);
void Unregister_Simulated_Port(const std::string& registration);
