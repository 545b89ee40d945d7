#include "Watch_Ports.h"

#include "Port_Choice.h"

#include <algorithm>

std::vector<Watched_Port> Watched_Ports(const std::vector<std::string>& texts,
                                        const std::vector<Port_Entry>& listed,
                                        const std::vector<std::string>& built_in) {
    std::vector<Watched_Port> watched;
    auto add = [&watched](const Port_Entry& port, const std::string& named) {
        if (std::none_of(watched.begin(), watched.end(),
                         [&port](const Watched_Port& w) { return w.Port.Device == port.Device; })) {
            watched.push_back({port, named});
        }
    };
    if (texts.empty()) {
        for (const Port_Entry& port : listed) {
            if (port.Has_Usb_Ids || port.Simulated_Pid != 0 ||
                std::find(built_in.begin(), built_in.end(), port.Device) != built_in.end()) {
                add(port, port.Device);
            }
        }
    }
    for (const std::string& text : texts) {
        if (const auto serial = Named_Serial_Number(text)) {
            for (const Port_Entry& port : listed) {
                if (!port.Serial_Number.empty() && port.Serial_Number == *serial) {
                    add(port, text);
                }
            }
        } else if (const Port_Choice choice = Choose_Port(text, listed);
                   choice.Status == Port_Choice_Status::Found) {
            add(choice.Port, text);
        }
    }
    return watched;
}

bool Same_Port(const Port_Entry& a, const Port_Entry& b) {
    return a.Device == b.Device && a.Simulated_Pid == b.Simulated_Pid &&
           (a.Serial_Number.empty() || b.Serial_Number.empty() ||
            a.Serial_Number == b.Serial_Number);
}
