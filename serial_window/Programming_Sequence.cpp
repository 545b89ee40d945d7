#include "Programming_Sequence.h"

#include "mod_Compilatore.h"

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

Programming_Sequence::Programming_Sequence(Program_Data& data, RS232_Link& link, Window_System& ws,
                                           Sequence_View& view)
    : data_(data), link_(link), ws_(ws), view_(view), compile_(Compile_Images) {}

Run_Outcome Programming_Sequence::Run() {
    // The write button stays enabled during a run and its clicks arrive inside the link's
    // yields; a run nested in another would share the port, the buffer and the image.
    if (running_) {
        return Run_Outcome::Busy;
    }
    Running_Flag running(running_);
    link_.Clear_Abort();

    view_.Set_Log_Text("");
    view_.Set_Counter_Text(Link_View::Counter::Sent, "0");
    view_.Set_Counter_Text(Link_View::Counter::Received, "0");
    view_.Enable_Exit(false);
    view_.Enable_OFF(false);
    data_.Stop_Request = false;

    const Run_Outcome outcome = Program_Module();

    view_.Enable_Exit(true);
    view_.Enable_OFF(true);
    return outcome;
}

Run_Outcome Programming_Sequence::Program_Module() {
    if (!compile_(data_, ws_)) {
        return Run_Outcome::Compile_Failed;
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
