#pragma once

#include "Serial_Control.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// A serial control whose far end is a script: it records every frame written and answers each
// with the bursts its responder returns, one burst per receive event, handed over in the yields
// that follow.
class Scripted_Serial_Control : public Serial_Control {
  public:
    // The bursts answering the request just written (its index counts from 0 over all writes).
    using Responder_Function =
        std::function<std::vector<std::string>(const std::string& request, std::size_t index)>;

    std::vector<std::string> Frames;
    Responder_Function Responder;
    std::deque<std::string> Pending;
    bool Open = true;

    // Raises one receive event with the next pending burst; false when nothing is pending.
    bool Deliver_Next() {
        if (Pending.empty() || !Open) {
            return false;
        }
        waiting_ += Pending.front();
        Pending.pop_front();
        Raise(comEvReceive);
        return true;
    }

    void Raise(std::int16_t code) {
        event_ = code;
        if (handler_) {
            handler_();
        }
    }

    // The adapter is pulled: the port closes itself and reports it.
    void Lose_Port() {
        Open = false;
        Pending.clear();
        Raise(comEventPortLost);
    }

    void Set_CommPort(std::int16_t port) override { port_ = port; }
    std::int16_t CommPort() const override { return port_; }
    void Set_Port_Device(const std::string&) override {}
    bool Set_PortOpen(bool open) override {
        Open = open;
        return true;
    }
    bool PortOpen() const override { return Open; }
    std::string Last_Error() const override { return {}; }
    bool Set_Settings(const std::string&) override { return true; }

    void Output(const std::string& bytes) override {
        Frames.push_back(bytes);
        if (Responder) {
            for (auto& burst : Responder(bytes, Frames.size() - 1)) {
                Pending.push_back(std::move(burst));
            }
        }
    }
    std::string Input() override { return std::exchange(waiting_, std::string()); }
    std::int16_t CommEvent() const override { return event_; }
    void Set_OnComm(std::function<void()> handler) override { handler_ = std::move(handler); }

  private:
    std::int16_t port_ = 1;
    std::int16_t event_ = 0;
    std::string waiting_;
    std::function<void()> handler_;
};
