#pragma once

#include "Port_Watch.h"
#include "Production_Log.h"
#include "Production_Run.h"
#include "Production_Station.h"
#include "Window_System.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Where a watch's ports and units are shown: the command line prints them; a window can draw
// them as tiles through a Station_Model.
class Watch_Output {
  public:
    virtual ~Watch_Output() = default;
    // A watched port is there and its probes begin; `named` as its records name it.
    virtual void Port_Found(const std::string& named) = 0;
    // It is skipped for now (another program holds it open), and why.
    virtual void Port_Skipped(const std::string& named, const Port_Open_Failure& why) = 0;
    virtual void Port_Gone(const std::string& named) = 0;
    // A unit answered on `port`, or the port could not be opened, which counts as its unit
    // failing. `unit` numbers the appearances from 1.
    virtual void Unit_Started(std::size_t unit, const Port_Entry& port,
                              const std::string& named) = 0;
    virtual void Unit_Changed(const Unit_Event& event) = 0;
    // The unit's record, once, when it has ended, with the totals that count it.
    virtual void Unit_Recorded(std::size_t unit, const Unit_Record& record,
                               const Production_Totals& totals) = 0;
    virtual void Log_Failed(const File_Failure& failure) = 0;
    // The unit has left: it stopped answering, or its port went.
    virtual void Unit_Left(std::size_t unit) = 0;
    virtual void Watch_Ended(const Production_Totals& totals) = 0;
};

// What a watch needs of the machine.
struct Watch_Machine {
    // The ports listed now.
    std::function<std::vector<Port_Entry>()> List_Ports;
    // A closed line to probe one port on.
    std::function<std::unique_ptr<Probe_Line>()> Make_Line;
    // Programs the image into the unit on `port`, on a line and thread of its own; the unit's
    // events come back through Production_Watch::Unit_Changed, Ended last.
    std::function<void(std::size_t unit, const Port_Entry& port)> Start_Unit;
    // Asks every unit still running to end at its next wait, without a reset.
    std::function<void()> Stop_Units;
};

// Programs every unit that appears on the watched ports, each once per appearance, with one
// image, and keeps the records, the CSV log and the running totals, until stopped. Plain and on
// one thread: its driver lists the ports when they may have changed, steps it when Next_Step
// says, hands it the units' events, and ends it with Stop.
class Production_Watch {
  public:
    Production_Watch(const Production_Options& options, std::string image_sha256,
                     Watch_Machine machine, Watch_Output& output, Millisecond_Clock& clock);

    // Lists the ports now: new watched ones are probed at once, gone ones are dropped.
    void Ports_Changed();
    // Does what is due, and what the lines have heard.
    void Step();
    // Milliseconds until the next step is due; none when nothing waits on time.
    std::optional<std::uint32_t> Next_Step() const;
    // An event of a unit's run; Ended records the unit.
    void Unit_Changed(const Unit_Event& event);
    // Ends the probes and asks the running units to stop without a reset.
    void Stop();
    // Stopped, and every unit's record made.
    bool Ended() const { return stopping_ && running_.empty(); }
    // Shows the totals; 0 when every record is written (or there is none), otherwise the highest
    // exit status among them (1 when only the log failed).
    int Finish();

  private:
    struct Slot {
        Port_Watch Watch;
        std::string Named;
        std::uint32_t Found_At = 0;
        std::size_t Unit = 0; // the last unit on the port; 0 before the first
        bool Gone = false;    // the port went during its unit's run: dropped when the run ends
    };
    struct Running {
        Slot* On = nullptr;
        Unit_Record Record;
    };

    void List();
    // True when a port asks for a new listing.
    bool Step_Slots(std::uint32_t now);
    std::size_t Begin_Unit(Slot& slot);
    void Record_Open_Failure(Slot& slot, const Port_Open_Failure& why, std::uint32_t now);
    // Closes the slot's port and tells that its unit and the port went; returns the next slot.
    std::vector<std::unique_ptr<Slot>>::iterator
    Drop(std::vector<std::unique_ptr<Slot>>::iterator slot);

    const Production_Options& options_;
    std::string sha256_;
    Watch_Machine machine_;
    Watch_Output& output_;
    Millisecond_Clock& clock_;
    Station_Records records_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::map<std::size_t, Running> running_;
    std::size_t units_ = 0;
    bool stopping_ = false;
};
