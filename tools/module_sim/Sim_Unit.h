#pragma once

#include "Sim_Options.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

using Sim_Clock = std::chrono::steady_clock;

inline constexpr std::size_t Sim_EEPROM_Size = 65536;

// What the unit does about one well-formed request.
struct Sim_Answer {
    Sim_Command Command = Sim_Command::Find;
    std::size_t Request_Length = 0;
    Sim_Clock::time_point First_Byte; // arrival of the request's first byte
    std::string Reply;                // empty: the unit stays silent
    bool Block_Written = false;       // the EEPROM write time applies before the reply
    bool Reset = false;
    bool Close_After = false; // the line closes once the reply has left
    int Late_Ms = 0;          // added to the reply's delay
    bool Held = false;        // the late reply is held up on the way: later replies overtake it
    bool Split = false;       // the reply leaves one byte at a time
    std::string Stray;        // bytes after the reply
    int Stray_Gap_Ms = 0;     // 0: in the same write as the reply
};

// The unit's side of the protocol: finds requests in the received byte stream, keeps the EEPROM
// and decides each reply, faults included. Timing is left to the caller.
class Sim_Unit {
  public:
    // A partial request older than this is dropped: the PC sends whole requests and resends
    // only after its own time-out.
    static constexpr std::chrono::milliseconds Idle_Gap{50};

    // `log` (may be null) receives one line per request and per bad request.
    Sim_Unit(const Sim_Options& options, std::vector<std::uint8_t> eeprom, std::ostream* log);

    std::vector<Sim_Answer> Receive(std::string_view bytes, Sim_Clock::time_point now);
    // When a partial request will be dropped, if one is pending.
    std::optional<Sim_Clock::time_point> Idle_Deadline() const;
    void Idle(Sim_Clock::time_point now);

    const std::vector<std::uint8_t>& EEPROM() const { return eeprom_; }

  private:
    Sim_Answer Handle(std::string_view frame, Sim_Clock::time_point first_byte);
    void Drop_Byte(const std::string& reason);
    void Report_Dropped();
    bool Fault_Applies(const std::vector<Sim_Reply_Fault>& faults, Sim_Command command,
                       int count) const;
    // The random fault for one request, if it draws one: its name for the log, and whether
    // the request is lost on the line.
    enum class Random_Fault { None, Lost, Lost_Twice, Held, Bad_Checksum, Short, Split, Stray };
    Random_Fault Draw_Fault(Sim_Command command);

    const Sim_Options& options_;
    std::vector<std::uint8_t> eeprom_;
    std::ostream* log_;
    std::string pending_;
    std::vector<Sim_Clock::time_point> arrival_; // one per byte of pending_
    std::size_t head_ = 0;
    Sim_Clock::time_point last_byte_{};
    std::map<Sim_Command, int> counts_;
    std::map<long, int> block_writes_; // write requests heard per block
    std::mt19937 random_;
    std::set<Sim_Command> lose_next_; // commands whose next request is lost as well
    std::size_t dropped_ = 0;
    std::string drop_reason_;
};
