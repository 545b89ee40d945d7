#pragma once

#include "Frames.h"
#include "Link_Events.h"
#include "Serial_Control.h"
#include "Window_System.h"
#include "mod_RS232_COD.h"
#include "mod_variabili.h"

#include <cstdint>
#include <functional>
#include <string>

// What a run did on the line, for the command line's summary.
struct Link_Statistics {
    int Requests = 0;
    int Retries = 0;        // attempts after the first of a request
    int Blocks_Written = 0; // EEPROM blocks the unit acknowledged
    std::size_t Bytes_Sent = 0;
    // Received bytes thrown away unread: those arriving while no reply was awaited, and those
    // beyond what Rx_Buffer keeps.
    std::size_t Discarded_Bytes = 0;
    // Replies that came after their attempt's wait, to a request already answered.
    int Late_Replies = 0;
};

// The three link steps and the receive handler, over the serial control RS232_Interface.
// Everything runs on one thread (the user-interface thread in the windows); waits yield to its
// event loop. What happens on the line is reported to `events`.
class RS232_Link {
  public:
    RS232_Link(Program_Data& data, Serial_Control& port, Window_System& ws,
               Millisecond_Clock& clock, Link_Events& events);
    // Unhooks the receive handler, so the port never calls into a link that is gone.
    ~RS232_Link();
    RS232_Link(const RS232_Link&) = delete;
    RS232_Link& operator=(const RS232_Link&) = delete;

    // The OnComm handler: appends received characters to Rx_Buffer.
    void RS232_Interface_OnComm();
    // Called from the OnComm handler when the open port goes away, so that a window can show
    // the port closed even when no step is running.
    void Set_Port_Lost_Handler(std::function<void()> handler) {
        port_lost_handler_ = std::move(handler);
    }

    bool Find_Module();
    bool Write_EEPROM();
    bool Reset_PIC();

    // Ends the running step at its next wait, in any step, without a message: for a window that
    // closes mid-run and for Ctrl-C on the command line. Cleared by Clear_Abort.
    void Request_Abort() { abort_ = true; }
    bool Abort_Requested() const { return abort_; }
    void Clear_Abort() { abort_ = false; }

    // True when the last step ended because the port went away.
    bool Port_Lost() const { return port_lost_; }

    const Link_Statistics& Statistics() const { return stats_; }

  private:
    // How one request of a step ended.
    enum class Step_Result { Answered, Failed, Interrupted };
    // How one attempt of a request ended.
    enum class Attempt_Result { Valid, Invalid, Interrupted, Port_Gone };
    // How a wait for received bytes ended; Unsettled: the line never fell silent.
    enum class Wait_End { Done, Interrupted, Port_Gone, Unsettled };
    struct Step_Rules {
        std::size_t Reply_Length;
        bool Polls_Stop;
        // Only write requests follow one another with the same command, whose replies could be
        // mistaken for each other.
        bool Drains_Late_Replies;
        const char* Failure_Text;
    };

    // The blocks of the image, in order, until one is not acknowledged.
    bool Write_Blocks();
    // `what` names the request for the events; Exchange numbers its attempts.
    Step_Result Exchange(const std::string& request, const Step_Rules& rules, Link_Attempt what);
    Attempt_Result Attempt(const std::string& request, const Step_Rules& rules,
                           const Link_Attempt& what);
    // Empties Rx_Buffer and starts taking received bytes into it.
    void Begin_Wait();
    // Why a wait must end now, or Done when it may go on.
    Wait_End Interruption(bool polls_stop) const;
    // Empties Rx_Buffer and collects bytes until it holds `length`, or for Reply_Timeout_Ms.
    Wait_End Wait_For_Bytes(std::size_t length, bool polls_stop);
    // Waits for the `owed` valid replies still due to earlier attempts of a request just
    // answered, or until the line has settled (see Owed_Reply_Quiet_Ms): only then can the next
    // request's reply be told from them.
    Wait_End Await_Owed_Replies(std::uint8_t command, std::size_t owed, const Step_Rules& rules);
    void Report_Failure(const char* failure_text);

    Program_Data& data_;
    Serial_Control& port_;
    Window_System& ws_;
    Millisecond_Clock& clock_;
    Link_Events& events_;
    bool abort_ = false;
    bool port_lost_ = false;
    bool awaiting_reply_ = false;
    std::size_t received_ = 0; // bytes received since Rx_Buffer was last emptied
    std::uint32_t request_sent_at_ = 0;
    std::function<void()> port_lost_handler_;
    Link_Statistics stats_;
};
