#include "Cli_Ports.h"

#include "Port_Registry.h"

#include <iostream>

int Run_Ports(const Cli_Arguments& args) {
    if (!args.empty()) {
        return Usage_Error("ports takes no arguments");
    }
    const auto ports = List_Ports();
    if (ports.empty()) {
        std::cout << "No serial port found.\n";
    }
    for (const Port_Entry& port : ports) {
        std::cout << "COM " << port.Number << "\t" << port.Device;
        if (!port.Description.empty()) {
            std::cout << "\t" << port.Description;
        }
        std::cout << "\n";
    }
    return Exit_Ok;
}
