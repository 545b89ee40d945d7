#pragma once

#include "Port_Entry.h"
#include "Run_Report.h"
#include "Serial_Control.h"
#include "Session_Events.h"
#include "Window_System.h"
#include "mod_RS232.h"
#include "mod_variabili.h"

#include <cstdint>
#include <vector>

// Programs one unit over one serial control: the serial window's run, the command line's
// one-port run and each unit of production all go through it. It owns the link; the data, the
// port, the window-system operations and the clock are its caller's. Everything runs on the
// caller's thread; what happens is reported to the listeners.
class Unit_Session {
  public:
    Unit_Session(Program_Data& data, Serial_Control& port, Window_System& ws,
                 Millisecond_Clock& clock);
    Unit_Session(const Unit_Session&) = delete;
    Unit_Session& operator=(const Unit_Session&) = delete;

    // Listeners hear the events in the order they were added.
    void Add_Listener(Session_Events& listener);
    void Remove_Listener(Session_Events& listener);

    // Opens the port's device with the link's line settings. The device is named in the reports
    // of the runs that follow.
    Port_Open_Failure Open_Port(const Port_Entry& port);
    void Close_Port();

    // Finds the unit, writes `image` and resets the unit; a write stopped by the user is not
    // followed by a reset.
    Run_Report Run(const std::vector<std::uint8_t>& image);
    // The same with the image Compile_Images makes of the data at the start of the run.
    Run_Report Compile_And_Run();
    bool Running() const { return running_; }

    // The Stop button: ends the write at its next wait; detection and the reset go on.
    void Stop() { data_.Stop_Request = true; }
    // Ends the running step at its next wait, in any step, without a reset and without a
    // message: for a window that closes mid-run, Ctrl-C and a stopped production.
    void Abort();

    RS232_Link& Link() { return link_; }

  private:
    // Hands the link's events to every listener.
    class Relay : public Session_Events {
      public:
        std::vector<Session_Events*> Listeners;
        // By index: a listener may leave while the events are handed out.
        template <class Call> void Each(const Call& call) {
            for (std::size_t i = 0; i < Listeners.size(); ++i) {
                call(*Listeners[i]);
            }
        }
        void Run_Started() override;
        void Run_Ended(const Run_Report& report) override;
        void Step_Started(Link_Step step) override;
        void Block_Started(std::size_t block, std::size_t blocks) override;
        void Request_Sent(const Link_Attempt& attempt, std::string_view frame) override;
        void Reply_Heard(const Link_Attempt& attempt, std::string_view kept,
                         std::size_t received) override;
        void Block_Acknowledged(std::size_t block, std::size_t blocks) override;
        void Step_Ended(Link_Step step, bool succeeded) override;
    };

    // `image` is nullptr for a run that compiles its image.
    Run_Report Run_With(const std::vector<std::uint8_t>* image);
    // Compile (or take the image), find the unit, write; then the reset, unless the user stopped
    // the write.
    Run_Outcome Program_Module(const std::vector<std::uint8_t>* image);

    Program_Data& data_;
    Serial_Control& port_;
    Window_System& ws_;
    Millisecond_Clock& clock_;
    Relay relay_;
    RS232_Link link_;
    std::string device_;
    bool running_ = false;
};
