#pragma once

#include <string>

// Whether the user may open a serial device, told from its permissions alone: opening it to find
// out would disturb a unit on the line. Port_Permission.cpp asks POSIX (access, stat, the group
// database), Port_Permission_Windows.cpp says Unknown, where a port has no owner group.
enum class Port_Access { Ok, Denied, Unknown };

Port_Access Device_Access(const std::string& device);

// The group that owns the device ("dialout") when its members may read and write it; empty when
// joining the group would not help, or the group cannot be told.
std::string Device_Group(const std::string& device);

// What a refused device needs, for the windows (Italian) and the command line (English): that
// the user lacks permission on it and how to get it, by the group that owns it, with a new login.
std::string Italian_Permission_Text(const std::string& device, const std::string& group);
std::string English_Permission_Text(const std::string& device, const std::string& group);
