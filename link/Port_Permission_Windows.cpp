#include "Port_Permission.h"

// A COM port has no owner group: a refusal there means another program holds the port.
Port_Access Device_Access(const std::string&) {
    return Port_Access::Unknown;
}

std::string Device_Group(const std::string&) {
    return {};
}
