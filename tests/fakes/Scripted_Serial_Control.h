#pragma once

#include "Frame_Builder.h"
#include "Serial_Control.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// The reply of a unit that accepts `request`, in one piece.
inline std::string Valid_Answer(const std::string& request) {
    return With_Checksum(request[0] == '\x87' ? Bytes("87 04 41 42 43 44")
                                              : request.substr(0, 1) + '\0');
}
inline std::vector<std::string> Answer_All(const std::string& request, std::size_t) {
    return {Valid_Answer(request)};
}

// A serial control whose far end is a script: it records every frame written and answers each
// with the bursts its responder returns, one burst per receive event, handed over by
// Deliver_Next (which a test calls from inside the window system's yield). Port n is the device
// "/dev/ttyFAKEn" and opens while n is in Ports and not in Busy; it is listed as COM n, as COM
// numbers stay, unless Numbered_In_Order.
class Scripted_Serial_Control : public Serial_Control {
  public:
    // The bursts answering the request just written (its index counts from 0 over all writes).
    using Responder_Function =
        std::function<std::vector<std::string>(const std::string& request, std::size_t index)>;

    std::vector<std::string> Frames;
    Responder_Function Responder;
    std::deque<std::string> Pending;
    bool Is_Open = false;
    std::set<int> Ports{1, 2};
    std::set<int> Busy;                // listed, but in use by another program
    bool Numbered_In_Order = false;    // listed as 1, 2, ... in order, as Linux ports are
    bool Refuse_Settings = false;      // the port takes no line settings
    std::vector<int> Opened;           // port numbers, one per successful opening
    std::vector<std::string> Settings; // the settings of every successful opening

    // Raises one receive event with the next pending burst; false when nothing is pending.
    bool Deliver_Next() {
        if (Pending.empty() || !Is_Open) {
            return false;
        }
        waiting_ += Pending.front();
        Pending.pop_front();
        Raise(comEvReceive);
        return true;
    }

    // The adapter is pulled: the port closes itself and reports it.
    void Lose_Port() {
        Is_Open = false;
        Pending.clear();
        Raise(comEventPortLost);
    }

    std::size_t Count(std::uint8_t command) const {
        return std::count_if(Frames.begin(), Frames.end(),
                             [command](const std::string& f) { return f[0] == char(command); });
    }

    std::vector<Port_Entry> Available_Ports() override {
        std::vector<Port_Entry> ports;
        for (int number : Ports) {
            Port_Entry& port = ports.emplace_back();
            port.Number = Numbered_In_Order ? int(ports.size()) : number;
            port.Device = Device_Of(number);
            port.Description = "fake port";
        }
        return ports;
    }
    Port_Open_Failure Open(const Port_Entry& port, const Line_Settings& settings) override {
        Close();
        const auto listed = std::find_if(Ports.begin(), Ports.end(),
                                         [&port](int n) { return Device_Of(n) == port.Device; });
        if (listed == Ports.end()) {
            return {Port_Failure::Not_Found, port.Device + ": does not exist"};
        }
        if (Busy.count(*listed)) {
            return {Port_Failure::In_Use, port.Device + ": in use by another program"};
        }
        if (Refuse_Settings) {
            return {Port_Failure::Settings_Refused, "settings refused"};
        }
        Opened.push_back(*listed);
        Settings.push_back(Settings_Text(settings));
        Is_Open = true;
        return {};
    }
    void Close() override { Is_Open = false; }
    bool PortOpen() const override { return Is_Open; }

    void Output(const std::string& bytes) override {
        Frames.push_back(bytes);
        for (auto& burst : Responder ? Responder(bytes, Frames.size() - 1) : Bursts{}) {
            Pending.push_back(std::move(burst));
        }
    }
    std::string Input() override { return std::exchange(waiting_, std::string()); }
    std::size_t Discard_Input() override {
        std::size_t dropped = std::exchange(waiting_, std::string()).size();
        for (const auto& burst : Pending) {
            dropped += burst.size();
        }
        Pending.clear();
        return dropped;
    }
    std::int16_t CommEvent() const override { return event_; }
    void Set_OnComm(std::function<void()> handler) override { handler_ = std::move(handler); }

  private:
    using Bursts = std::vector<std::string>;
    static std::string Device_Of(int number) { return "/dev/ttyFAKE" + std::to_string(number); }
    void Raise(std::int16_t code) {
        event_ = code;
        if (handler_) {
            handler_();
        }
    }

    std::int16_t event_ = 0;
    std::string waiting_;
    std::function<void()> handler_;
};

// Answers at once, but is silent to every request with `command` (a write from block
// `from_block` on), or, with a command of -1, to the first request of all.
inline Scripted_Serial_Control::Responder_Function Silent_On(int command, unsigned from_block = 0) {
    return [command, from_block](const std::string& request, std::size_t index) {
        const auto byte = [&](std::size_t i) { return unsigned(std::uint8_t(request[i])); };
        const unsigned block = byte(0) == 0x04 ? (byte(4) << 8 | byte(5)) / 128 : 0;
        const bool silent =
            command < 0 ? index == 0 : int(byte(0)) == command && block >= from_block;
        return silent ? std::vector<std::string>{} : Answer_All(request, index);
    };
}
