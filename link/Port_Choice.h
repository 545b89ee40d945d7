#pragma once

#include "Line_Settings.h"
#include "Port_Entry.h"

#include <optional>
#include <string>
#include <vector>

enum class Port_Choice_Status { Found, Not_A_Port, Gone, Ambiguous };

struct Port_Choice {
    Port_Choice_Status Status = Port_Choice_Status::Not_A_Port;
    // When found: the device to open, with its listing's number and details when it is listed.
    Port_Entry Port;
    // When not found: why, in English, for the command line.
    std::string Reason;
};

// The port a text names, looked up once in `listed`:
// - a number or "COM n" (1 to 32767, blanks allowed after COM): the listed port of that number;
// - "serial=XXXX": the one listed port whose USB serial number is XXXX;
// - a path (/dev/ttyUSB0, /dev/serial/by-id/... links): the device it leads to;
// - a bare device name (ttyUSB0, pts/7): the same under /dev/.
// A number that is not listed, a device that does not exist or a serial number no port carries is
// Gone; a serial number on several ports is Ambiguous.
Port_Choice Choose_Port(const std::string& text, const std::vector<Port_Entry>& listed);

// Whether a text names a port by its number ("3", "COM 3"): a number stands for whatever device
// holds it in one listing, and a watch outlives many listings.
bool Names_Port_Number(const std::string& text);
// The USB serial number a "serial=XXXX" text names, or none for any other text.
std::optional<std::string> Named_Serial_Number(const std::string& text);

// Whether the unit chosen from an earlier listing is still behind its device in the listing
// `now`. A device that was not listed is left for the opening to find.
bool Still_There(const Port_Entry& chosen, const std::vector<Port_Entry>& now);

// Where the unit chosen from an earlier listing stands in the listing `now`, under whatever number
// it has there; nothing when it has gone or another unit sits on its device.
std::optional<std::size_t> Place_Of(const Port_Entry& chosen, const std::vector<Port_Entry>& now);

// The line settings of the link (Line_Settings_Text), which every opening of a chosen port applies.
const Line_Settings& Link_Line_Settings();
