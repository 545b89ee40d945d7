#pragma once

#include "Port_Entry.h"
#include "Serial_Control.h"

#include <functional>
#include <memory>
#include <string>

// The line on which a watch asks a port, with the detection request, whether a unit is there.
class Probe_Line {
  public:
    virtual ~Probe_Line() = default;
    // Opens the port's device with the link's line settings.
    virtual Port_Open_Failure Open(const Port_Entry& port) = 0;
    virtual void Close() = 0;
    // Sends the detection request.
    virtual void Probe() = 0;
    // Whether a valid detection reply came since the last call.
    virtual bool Answered() = 0;
    // Whether the port went away while it was open (it is closed then).
    virtual bool Lost() const = 0;
};

// A probe line over a serial control.
class Serial_Probe_Line : public Probe_Line {
  public:
    // `heard` is called inside the control's receive event when a detection reply is complete
    // or the port has gone, so that the watch need not wait for its next step to learn it.
    Serial_Probe_Line(std::unique_ptr<Serial_Control> port, std::function<void()> heard);
    ~Serial_Probe_Line() override;
    Serial_Probe_Line(const Serial_Probe_Line&) = delete;
    Serial_Probe_Line& operator=(const Serial_Probe_Line&) = delete;

    Port_Open_Failure Open(const Port_Entry& port) override;
    void Close() override;
    void Probe() override;
    bool Answered() override;
    bool Lost() const override { return lost_; }

  private:
    void Receive();

    std::unique_ptr<Serial_Control> port_;
    std::function<void()> heard_;
    std::string received_;
    int answers_ = 0;
    bool lost_ = false;
};
