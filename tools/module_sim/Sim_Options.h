#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The three requests a display unit answers.
enum class Sim_Command { Find, Write, Reset };

// A fault on the replies to one command: on all of them (Nth = 0) or only on the Nth request.
struct Sim_Reply_Fault {
    Sim_Command Command = Sim_Command::Find;
    int Nth = 0;
};

// Bytes that follow the reply to the Nth request of a command: in the same write (Gap_Ms 0) or
// that many milliseconds later.
struct Sim_Stray {
    Sim_Command Command = Sim_Command::Write;
    int Nth = 1;
    std::string Bytes;
    int Gap_Ms = 0;
};

// Faults drawn at random for a share of all requests, from a seed, so a run can be replayed.
struct Sim_Random_Faults {
    unsigned Seed = 0;
    int Percent = 0;
};

struct Sim_Options {
    bool Pty = false;
    std::string Port;
    std::string Load_File;
    std::string Dump_File;
    bool Verbose = false;

    std::set<Sim_Command> Mute;
    std::map<Sim_Command, int> Answer_From;
    std::set<long> Never_Ack_Blocks;
    std::vector<Sim_Reply_Fault> Bad_Checksum;
    std::vector<Sim_Reply_Fault> Wrong_Echo;
    int Burst = 0; // bytes per burst, 0 = whole replies
    int Burst_Pause_Ms = 5;
    int Delay_Ms = 0;
    bool Line_Rate = false;
    int Write_Time_Ms = 0;
    std::optional<long> Close_After_Block;
    std::map<long, int> Late_Ack_Ms; // block -> delay of its first acknowledgement
    std::set<long> Lose_Blocks;      // blocks whose first write request is lost on the line
    // block -> delay of its first acknowledgement, which later replies overtake
    std::map<long, int> Held_Ack_Ms;
    std::vector<Sim_Stray> Strays;
    std::optional<Sim_Random_Faults> Random_Faults;
};

struct Sim_Parse_Result {
    std::optional<Sim_Options> Options; // empty: Error says why, or help was asked for
    bool Help = false;
    std::string Error;
};

Sim_Parse_Result Parse_Sim_Options(const std::vector<std::string>& arguments);
std::string Sim_Usage();
std::string Command_Name(Sim_Command command);
