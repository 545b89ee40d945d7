#include "Unit_Session.h"

#include "Port_Choice.h"
#include "mod_Compilatore.h"

#include <algorithm>

namespace {

// Clears the busy flag on every way out of a run.
class Running_Flag {
  public:
    explicit Running_Flag(bool& flag) : flag_(flag) { flag_ = true; }
    ~Running_Flag() { flag_ = false; }
    Running_Flag(const Running_Flag&) = delete;
    Running_Flag& operator=(const Running_Flag&) = delete;

  private:
    bool& flag_;
};

} // namespace

Unit_Session::Unit_Session(Program_Data& data, Serial_Control& port, Window_System& ws,
                           Millisecond_Clock& clock)
    : data_(data), port_(port), ws_(ws), clock_(clock), link_(data, port, ws, clock, relay_) {}

void Unit_Session::Add_Listener(Session_Events& listener) {
    relay_.Listeners.push_back(&listener);
}

void Unit_Session::Remove_Listener(Session_Events& listener) {
    std::erase(relay_.Listeners, &listener);
}

Port_Open_Failure Unit_Session::Open_Port(const Port_Entry& port) {
    Port_Open_Failure failure = port_.Open(port, Link_Line_Settings());
    if (!failure.Failed()) {
        device_ = port.Device;
    }
    return failure;
}

void Unit_Session::Close_Port() {
    port_.Close();
}

void Unit_Session::Abort() {
    data_.Stop_Request = true;
    link_.Request_Abort();
}

Run_Report Unit_Session::Run(const std::vector<std::uint8_t>& image) {
    return Run_With(&image);
}

Run_Report Unit_Session::Compile_And_Run() {
    return Run_With(nullptr);
}

Run_Report Unit_Session::Run_With(const std::vector<std::uint8_t>* image) {
    // A window's write button stays enabled during a run and its clicks arrive inside the link's
    // yields; a run nested in another would share the port, the buffer and the image.
    if (running_) {
        Run_Report busy;
        busy.Outcome = Run_Outcome::Busy;
        return busy;
    }
    Running_Flag running(running_);
    link_.Clear_Abort();
    data_.Stop_Request = false;
    relay_.Run_Started();

    const Link_Statistics before = link_.Statistics();
    const std::uint32_t start = clock_.timeGetTime();
    Run_Report report;
    report.Outcome = Program_Module(image);
    const Link_Statistics& after = link_.Statistics();
    report.Seconds = (clock_.timeGetTime() - start) / 1000.0;
    report.Blocks_Written = after.Blocks_Written - before.Blocks_Written;
    report.Total_Blocks = int(data_.EEPROM_Image.size() / Block_Size);
    report.Retries = after.Retries - before.Retries;
    report.Late_Replies = after.Late_Replies - before.Late_Replies;
    report.Stray_Bytes = after.Discarded_Bytes - before.Discarded_Bytes;
    report.Port_Lost = link_.Port_Lost();
    report.Device = device_;
    relay_.Run_Ended(report);
    return report;
}

Run_Outcome Unit_Session::Program_Module(const std::vector<std::uint8_t>* image) {
    if (!image) {
        if (!Compile_Images(data_, ws_)) {
            return Run_Outcome::Compile_Failed;
        }
    } else if (image != &data_.EEPROM_Image) {
        data_.EEPROM_Image = *image;
    }
    if (!link_.Find_Module()) {
        return link_.Abort_Requested() ? Run_Outcome::Stopped : Run_Outcome::Module_Not_Found;
    }
    if (link_.Write_EEPROM()) {
        if (link_.Reset_PIC()) {
            return Run_Outcome::Written;
        }
        return link_.Abort_Requested() ? Run_Outcome::Stopped : Run_Outcome::Reset_Not_Acknowledged;
    }
    if (data_.Stop_Request || link_.Abort_Requested()) {
        return Run_Outcome::Stopped;
    }
    // A failed write is followed by a reset so the unit restarts from what it holds; on a port
    // that has gone the reset could not reach it.
    if (!link_.Port_Lost()) {
        link_.Reset_PIC();
    }
    return Run_Outcome::Write_Failed;
}

void Unit_Session::Relay::Run_Started() {
    Each([&](Session_Events& l) { l.Run_Started(); });
}

void Unit_Session::Relay::Run_Ended(const Run_Report& report) {
    Each([&](Session_Events& l) { l.Run_Ended(report); });
}

void Unit_Session::Relay::Step_Started(Link_Step step) {
    Each([&](Session_Events& l) { l.Step_Started(step); });
}

void Unit_Session::Relay::Block_Started(std::size_t block, std::size_t blocks) {
    Each([&](Session_Events& l) { l.Block_Started(block, blocks); });
}

void Unit_Session::Relay::Request_Sent(const Link_Attempt& attempt, std::string_view frame) {
    Each([&](Session_Events& l) { l.Request_Sent(attempt, frame); });
}

void Unit_Session::Relay::Reply_Heard(const Link_Attempt& attempt, std::string_view kept,
                                      std::size_t received) {
    Each([&](Session_Events& l) { l.Reply_Heard(attempt, kept, received); });
}

void Unit_Session::Relay::Block_Acknowledged(std::size_t block, std::size_t blocks) {
    Each([&](Session_Events& l) { l.Block_Acknowledged(block, blocks); });
}

void Unit_Session::Relay::Step_Ended(Link_Step step, bool succeeded) {
    Each([&](Session_Events& l) { l.Step_Ended(step, succeeded); });
}
