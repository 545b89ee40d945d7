#include "Port_Choice.h"

#include "Port_Number.h"
#include "mod_RS232_COD.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

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

Port_Choice Found(Port_Entry port) {
    return {Port_Choice_Status::Found, std::move(port), {}};
}

Port_Choice Failed(Port_Choice_Status status, std::string reason) {
    return {status, {}, std::move(reason)};
}

Port_Choice By_Number(const std::string& text, const std::string& number_text,
                      const std::vector<Port_Entry>& listed) {
    const auto number = Port_Number_From_Text(number_text);
    if (!number) {
        return Failed(Port_Choice_Status::Not_A_Port,
                      "'" + text + "' is not a port number from 1 to 32767");
    }
    for (const Port_Entry& port : listed) {
        if (port.Number == *number) {
            return Found(port);
        }
    }
    return Failed(Port_Choice_Status::Gone,
                  "there is no port COM " + std::to_string(*number) + " (see vantrel-cli ports)");
}

Port_Choice By_Serial_Number(const std::string& serial, const std::vector<Port_Entry>& listed) {
    if (serial.empty()) {
        return Failed(Port_Choice_Status::Not_A_Port, "serial= needs a serial number");
    }
    std::vector<const Port_Entry*> matches;
    for (const Port_Entry& port : listed) {
        if (port.Serial_Number == serial) {
            matches.push_back(&port);
        }
    }
    if (matches.empty()) {
        return Failed(Port_Choice_Status::Gone, "no port has the serial number " + serial);
    }
    if (matches.size() > 1) {
        std::string devices;
        for (const Port_Entry* port : matches) {
            devices += (devices.empty() ? "" : ", ") + port->Device;
        }
        return Failed(Port_Choice_Status::Ambiguous,
                      "the serial number " + serial + " is on several ports: " + devices);
    }
    return Found(*matches.front());
}

Port_Choice By_Path(const std::string& path, const std::vector<Port_Entry>& listed) {
    std::error_code error;
    // A /dev/serial/by-id link leads to the device the listing knows.
    const std::string device = std::filesystem::canonical(path, error).string();
    if (error) {
        return Failed(Port_Choice_Status::Gone, path + ": no such device");
    }
    for (const Port_Entry& port : listed) {
        if (port.Device == device || port.Device == path) {
            return Found(port);
        }
    }
    Port_Entry unlisted;
    unlisted.Device = device;
    return Found(unlisted);
}

bool All_Digits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

} // namespace

Port_Choice Choose_Port(const std::string& text, const std::vector<Port_Entry>& listed) {
    const std::string trimmed = Trimmed(text);
    if (trimmed.empty()) {
        return Failed(Port_Choice_Status::Not_A_Port, "no port given");
    }
    if (Starts_With_No_Case(trimmed, "COM")) {
        return By_Number(text, trimmed, listed);
    }
    if (All_Digits(trimmed)) {
        return By_Number(text, "COM" + trimmed, listed);
    }
    if (const auto serial = Named_Serial_Number(trimmed)) {
        return By_Serial_Number(*serial, listed);
    }
    // "ttyUSB0" and "pts/7" name devices under /dev/; a path says where it starts.
    const bool path = trimmed.front() == '/' || trimmed.front() == '.';
    return By_Path(path ? trimmed : "/dev/" + trimmed, listed);
}

bool Names_Port_Number(const std::string& text) {
    const std::string trimmed = Trimmed(text);
    return Starts_With_No_Case(trimmed, "COM") || All_Digits(trimmed);
}

std::optional<std::string> Named_Serial_Number(const std::string& text) {
    const std::string trimmed = Trimmed(text);
    if (!Starts_With_No_Case(trimmed, "serial=")) {
        return std::nullopt;
    }
    return trimmed.substr(7);
}

bool Still_There(const Port_Entry& chosen, const std::vector<Port_Entry>& now) {
    return chosen.Number == 0 || Place_Of(chosen, now).has_value();
}

std::optional<std::size_t> Place_Of(const Port_Entry& chosen, const std::vector<Port_Entry>& now) {
    const auto same = std::find_if(now.begin(), now.end(), [&chosen](const Port_Entry& port) {
        return Same_Unit(port, chosen);
    });
    if (same == now.end()) {
        return std::nullopt;
    }
    return std::size_t(same - now.begin());
}

const Line_Settings& Link_Line_Settings() {
    static const Line_Settings settings = *Parse_Line_Settings(Line_Settings_Text).Settings;
    return settings;
}
