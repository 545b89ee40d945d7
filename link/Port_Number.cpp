#include "Port_Number.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <set>
#include <string_view>

std::optional<std::int16_t> Port_Number_From_Text(const std::string& text) {
    if (text.size() < 4) {
        return std::nullopt;
    }
    const std::string rest = text.substr(3);
    const auto first = rest.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const auto last = rest.find_last_not_of(" \t");
    long value = 0;
    for (char c : rest.substr(first, last - first + 1)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > INT16_MAX) {
            return std::nullopt;
        }
    }
    if (value < 1) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

bool Natural_Less(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t i_end = i;
            std::size_t j_end = j;
            while (i_end < a.size() && digit(a[i_end])) {
                ++i_end;
            }
            while (j_end < b.size() && digit(b[j_end])) {
                ++j_end;
            }
            // Compare by value without overflow: strip leading zeros, then the longer run is
            // larger, then the digits decide.
            std::string_view x(a.data() + i, i_end - i);
            std::string_view y(b.data() + j, j_end - j);
            x.remove_prefix(std::min(x.find_first_not_of('0'), x.size()));
            y.remove_prefix(std::min(y.find_first_not_of('0'), y.size()));
            if (x.size() != y.size()) {
                return x.size() < y.size();
            }
            if (x != y) {
                return x < y;
            }
            i = i_end;
            j = j_end;
        } else {
            if (a[i] != b[j]) {
                return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
            }
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

namespace {

std::string Base_Name(const std::string& device) {
    const auto slash = device.find_last_of('/');
    return slash == std::string::npos ? device : device.substr(slash + 1);
}

int Group_Of(const std::string& device) {
    const std::string name = Base_Name(device);
    if (name.rfind("ttyUSB", 0) == 0) {
        return 0;
    }
    if (name.rfind("ttyACM", 0) == 0) {
        return 1;
    }
    return 3;
}

} // namespace

std::string Usb_Ids(const Port_Entry& port) {
    if (!port.Has_Usb_Ids) {
        return {};
    }
    std::array<char, 10> text{};
    std::snprintf(text.data(), text.size(), "%04x:%04x", port.Vendor_Id, port.Product_Id);
    return text.data();
}

std::vector<Port_Entry> Number_Ports(std::vector<Port_Entry> system,
                                     const std::vector<Registered_Port>& simulated) {
    struct Candidate {
        int Group;
        std::string Key;
        Port_Entry Port;
    };
    std::vector<Candidate> all;
    for (auto& port : system) {
        if (port.Description.empty()) {
            port.Description = "serial port";
        }
        all.push_back({Group_Of(port.Device), Base_Name(port.Device), std::move(port)});
    }
    for (const auto& unit : simulated) {
        Port_Entry port;
        port.Device = unit.Device;
        port.Description = "simulated unit, pid " + std::to_string(unit.Pid);
        port.Simulated_Pid = unit.Pid;
        all.push_back({2, unit.Name, std::move(port)});
    }
    std::stable_sort(all.begin(), all.end(), [](const Candidate& x, const Candidate& y) {
        if (x.Group != y.Group) {
            return x.Group < y.Group;
        }
        return Natural_Less(x.Key, y.Key);
    });
    std::vector<Port_Entry> ports;
    std::set<std::string> seen;
    for (auto& candidate : all) {
        if (!seen.insert(candidate.Port.Device).second) {
            continue;
        }
        candidate.Port.Number = static_cast<int>(ports.size()) + 1;
        ports.push_back(std::move(candidate.Port));
    }
    return ports;
}
