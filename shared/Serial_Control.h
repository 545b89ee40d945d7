#pragma once

#include "Port_Entry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// CommEvent codes the link acts on.
inline constexpr std::int16_t comEvReceive = 2;
// Raised when the open port goes away (adapter pulled, peer closed); the port is then closed.
inline constexpr std::int16_t comEventPortLost = 1101;

// Why the last opening or setting failed.
enum class Port_Failure { None, Not_Found, In_Use, No_Permission, Settings_Refused, Other };

// The one serial port of the system (RS232_Interface). Strings carry one byte per char, any value
// 0 to 255, in both directions.
class Serial_Control {
  public:
    virtual ~Serial_Control() = default;

    // The machine's ports as they are now, numbered as the serial window shows them.
    virtual std::vector<Port_Entry> Available_Ports() = 0;

    // The number the port is known by ("COM n"). Setting it unbinds the device, so that a number
    // alone never opens whatever device holds that number by then: bind one after it.
    virtual void Set_CommPort(std::int16_t port) = 0;
    virtual std::int16_t CommPort() const = 0;
    // The device the next opening uses (/dev/ttyUSB0, /dev/pts/7, COM3).
    virtual void Set_Port_Device(const std::string& device) = 0;

    // Opens (true) or closes (false). An opening that fails leaves the port closed, returns false,
    // and Last_Failure() and Last_Error() (English, for the command line) say why.
    virtual bool Set_PortOpen(bool open) = 0;
    virtual bool PortOpen() const = 0;
    virtual Port_Failure Last_Failure() const = 0;
    virtual std::string Last_Error() const = 0;

    // "115200,n,8,1" style; false (and Last_Error) for a setting the port cannot take.
    virtual bool Set_Settings(const std::string& settings) = 0;

    virtual void Output(const std::string& bytes) = 0;
    virtual std::string Input() = 0;
    // Drops what has arrived on the open port and not been read yet, the system's buffers
    // included; returns how many bytes that was, as far as the system tells.
    virtual std::size_t Discard_Input() = 0;
    virtual std::int16_t CommEvent() const = 0;

    // Called on the user-interface thread, inside a yield, for each OnComm event.
    virtual void Set_OnComm(std::function<void()> handler) = 0;
};
