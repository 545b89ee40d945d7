#pragma once

#include "Line_Settings.h"
#include "Port_Entry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// CommEvent codes the link acts on.
inline constexpr std::int16_t comEvReceive = 2;
// Raised when the open port goes away (adapter pulled, peer closed); the port is then closed.
inline constexpr std::int16_t comEventPortLost = 1101;

// Why an opening failed.
enum class Port_Failure { None, Not_Found, In_Use, No_Permission, Settings_Refused, Other };

// What an opening came to.
struct Port_Open_Failure {
    Port_Failure Cause = Port_Failure::None;
    std::string Reason; // one line, in English, for the command line

    bool Failed() const { return Cause != Port_Failure::None; }
};

// The one serial port of the system (RS232_Interface). Strings carry one byte per char, any value
// 0 to 255, in both directions.
class Serial_Control {
  public:
    virtual ~Serial_Control() = default;

    // The machine's ports as they are now, numbered as the serial window shows them.
    virtual std::vector<Port_Entry> Available_Ports() = 0;

    // Opens the entry's device, never whatever device holds its number by now, and sets the line;
    // an open port is closed first. A failure leaves the port closed: Settings_Refused tells that
    // the device opened but would not take the settings.
    virtual Port_Open_Failure Open(const Port_Entry& port, const Line_Settings& settings) = 0;
    virtual void Close() = 0;
    virtual bool PortOpen() const = 0;

    virtual void Output(const std::string& bytes) = 0;
    virtual std::string Input() = 0;
    // Drops what has arrived on the open port and not been read yet, the system's buffers
    // included; returns how many bytes that was, as far as the system tells.
    virtual std::size_t Discard_Input() = 0;
    virtual std::int16_t CommEvent() const = 0;

    // Called on the user-interface thread, inside a yield, for each OnComm event.
    virtual void Set_OnComm(std::function<void()> handler) = 0;
};
