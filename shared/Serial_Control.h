#pragma once

#include <cstdint>
#include <functional>
#include <string>

// CommEvent codes the link acts on.
inline constexpr std::int16_t comEvReceive = 2;
// Raised when the open port goes away (adapter pulled, peer closed); the port is then closed.
inline constexpr std::int16_t comEventPortLost = 1101;

// The one serial port of the system (RS232_Interface). Strings carry one byte per char, any value
// 0 to 255, in both directions.
class Serial_Control {
  public:
    virtual ~Serial_Control() = default;

    // Port number for the next opening (1 to 16 in the scan, any number typed by the user).
    virtual void Set_CommPort(std::int16_t port) = 0;
    virtual std::int16_t CommPort() const = 0;
    // A device named by path (/dev/ttyUSB0, /dev/pts/7) for the next opening, instead of a number.
    virtual void Set_Port_Device(const std::string& device) = 0;

    // Opens (true) or closes (false). An opening that fails leaves the port closed, returns false
    // and Last_Error() says why.
    virtual bool Set_PortOpen(bool open) = 0;
    virtual bool PortOpen() const = 0;
    virtual std::string Last_Error() const = 0;

    // "115200,n,8,1" style; false (and Last_Error) for a setting the port cannot take.
    virtual bool Set_Settings(const std::string& settings) = 0;

    virtual void Output(const std::string& bytes) = 0;
    virtual std::string Input() = 0;
    virtual std::int16_t CommEvent() const = 0;

    // Called on the user-interface thread, inside a yield, for each OnComm event.
    virtual void Set_OnComm(std::function<void()> handler) = 0;
};
