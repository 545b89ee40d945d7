#pragma once

#include "Port_Entry.h"
#include "Probe_Line.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// A watched port without a unit gets a detection request this often; one with a unit that has
// been programmed too, to tell when the unit leaves.
inline constexpr std::uint32_t Probe_Period_Ms = 1000;
// A device that has just appeared may refuse opening while the system sets its permissions.
inline constexpr std::uint32_t Open_Settle_Ms = 2000;
inline constexpr std::uint32_t Open_Retry_Ms = 100;
// Unanswered detection requests in a row after which a programmed unit has left.
inline constexpr int Unanswered_To_Leave = 2;

enum class Port_State {
    Opening,     // the line is being opened: at the port's appearance, after a run
    Probing,     // no unit: a detection request every Probe_Period_Ms
    Programming, // a unit answered; its run is under way, on a line of its own
    Stayed,      // the unit's run has ended; the probes go on until it leaves
    Skipped,     // the port does not open (another program holds it): tried each period
    Failed,      // the port never opened (a failure recorded as a unit): nothing until it goes
    Closed,      // the watch has ended
};

// What a step of a port asks of its watch.
struct Port_Step {
    bool Start_Unit = false;   // a unit answered where there was none: program it
    bool Unit_Left = false;    // the unit stopped answering, or its port went
    bool Relist = false;       // the port went away: the port list may have changed
    Port_Open_Failure Skipped; // the port is skipped for now, and why
    Port_Open_Failure Failed;  // the port could not be opened, and why
};

// One watched port: whether a unit is there, found by the detection request on the port's own
// probe line. Each unit that answers is programmed once per appearance; after its run (written
// or failed) the probes go on, and it has left after Unanswered_To_Leave of them in a row.
class Port_Watch {
  public:
    Port_Watch(Port_Entry port, std::unique_ptr<Probe_Line> line, std::uint32_t now);

    // Does what is due at `now`, and what the line has heard since the last step.
    Port_Step Step(std::uint32_t now);
    // The unit's run has ended: the line opens again for the probes.
    void Unit_Ended(std::uint32_t now);
    // Ends the probes for good.
    void Close();

    // The clock time of the next step; none while a unit is programmed, or the port failed or
    // closed.
    std::optional<std::uint32_t> Due() const;
    Port_State State() const { return state_; }
    // Whether a unit is there: programmed now, or programmed and not yet left; a port that failed
    // to open stands for its unit.
    bool Has_Unit() const { return unit_; }
    const Port_Entry& Port() const { return port_; }
    // A later listing's details of the same port.
    void Update(const Port_Entry& port) { port_ = port; }

  private:
    Port_Step Open(std::uint32_t now);
    void Begin_Opening(std::uint32_t now);

    Port_Entry port_;
    std::unique_ptr<Probe_Line> line_;
    Port_State state_ = Port_State::Opening;
    bool unit_ = false;
    bool ever_opened_ = false;
    std::uint32_t opening_since_ = 0;
    std::uint32_t due_ = 0;
    int unanswered_ = 0;
};
