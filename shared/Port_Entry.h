#pragma once

#include <cstdint>
#include <string>

// One serial port as a listing of the machine's ports finds it. Numbers are what the serial
// window shows as "COM n"; on Windows the COM number, elsewhere a place in the listing's order.
// The same number can stand for another device in a later listing, so whoever keeps an entry
// opens its Device and checks the unit is still the same with Same_Unit.
struct Port_Entry {
    int Number = 0;          // 1, 2, ...; 0 for a device that no listing holds
    std::string Device;      // "/dev/ttyUSB0", "/dev/pts/7", "COM3"
    std::string Description; // "FT232R USB UART", "simulated unit, pid 1234", ...
    std::string Manufacturer;
    bool Has_Usb_Ids = false;
    std::uint16_t Vendor_Id = 0;
    std::uint16_t Product_Id = 0;
    std::string Serial_Number; // a USB adapter's, when it has one
    long Simulated_Pid = 0;    // the process of a simulated unit; 0 for a device of the system
};

// A simulated unit's registration: its pseudo-terminal, the process that serves it, and the name
// that orders it among the other units.
struct Registered_Port {
    std::string Name; // "sim-1234-pts-7"
    std::string Device;
    long Pid = 0;
};

// The same unit behind the same device: a path freed by one unit is soon taken by the next
// (pseudo-terminals are reused, adapters plugged into the same socket get the same name).
inline bool Same_Unit(const Port_Entry& a, const Port_Entry& b) {
    return a.Device == b.Device && a.Simulated_Pid == b.Simulated_Pid &&
           a.Serial_Number == b.Serial_Number && a.Has_Usb_Ids == b.Has_Usb_Ids &&
           a.Vendor_Id == b.Vendor_Id && a.Product_Id == b.Product_Id;
}
