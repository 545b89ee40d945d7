#include "Watch_Ports.h"

#include "Port_Choice.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool Starts_With_No_Case(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

bool Names_Port_Number(const std::string& text) {
    const std::string trimmed = Trimmed(text);
    return Starts_With_No_Case(trimmed, "COM") ||
           (!trimmed.empty() && std::all_of(trimmed.begin(), trimmed.end(),
                                            [](unsigned char c) { return std::isdigit(c) != 0; }));
}

std::vector<Watched_Port> Watched_Ports(const std::vector<std::string>& texts,
                                        const std::vector<Port_Entry>& listed) {
    std::vector<Watched_Port> watched;
    auto add = [&watched](const Port_Entry& port, const std::string& named) {
        if (std::none_of(watched.begin(), watched.end(),
                         [&port](const Watched_Port& w) { return w.Port.Device == port.Device; })) {
            watched.push_back({port, named});
        }
    };
    if (texts.empty()) {
        for (const Port_Entry& port : listed) {
            if (port.Has_Usb_Ids || port.Simulated_Pid != 0) {
                add(port, port.Device);
            }
        }
    }
    for (const std::string& text : texts) {
        const std::string trimmed = Trimmed(text);
        if (Starts_With_No_Case(trimmed, "serial=")) {
            for (const Port_Entry& port : listed) {
                if (!port.Serial_Number.empty() && port.Serial_Number == trimmed.substr(7)) {
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
