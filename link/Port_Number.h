#pragma once

#include "Port_Entry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The plain part of the port listings: the numbers ports go by ("COM n"), in texts and in a
// listing's order, and the USB ids shown beside them.

// The port number in a port text: the text from its fourth character on, blanks around the
// number allowed, so "COM 3" and "COM3" both give 3. Nothing for a text without a number there,
// nor for a number outside 1 to 32767.
std::optional<std::int16_t> Port_Number_From_Text(const std::string& text);

// "ttyUSB2" before "ttyUSB10": runs of digits compare by value.
bool Natural_Less(const std::string& a, const std::string& b);

// The adapter's USB vendor and product id as the port listings show them, "0403:6001": four
// lower-case hex digits each. Empty for a port without them.
std::string Usb_Ids(const Port_Entry& port);

// Numbers from 1: USB adapters (ttyUSB*, then ttyACM*), then the simulated units, then every other
// serial device, each group in natural order (the units by their registrations' names). A device
// listed twice keeps its first number.
std::vector<Port_Entry> Number_Ports(std::vector<Port_Entry> system,
                                     const std::vector<Registered_Port>& simulated);
