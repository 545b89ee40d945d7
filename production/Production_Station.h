#pragma once

#include "Port_Entry.h"
#include "Production_Log.h"
#include "Production_Record.h"
#include "Production_Run.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// What `program` takes for several units at once.
struct Production_Options {
    std::vector<std::string> Ports; // --port, each as given
    bool All = false;               // --all: every USB adapter and simulated unit listed
    bool Json = false;              // a JSON record per unit on stdout, then a summary
    std::string Log;                // --log FILE: the same records appended as CSV
    bool Repeat = false;            // rounds until the operator quits
    bool Watch = false;             // every unit as it appears, until stopped
    // Built-in ports (devices) a watch without Ports covers besides the adapters: ticked in a
    // station window.
    std::vector<std::string> Built_In;
    bool Oled = false;
};

// Where a station's rounds are shown; the command line prints them.
class Station_Output {
  public:
    virtual ~Station_Output() = default;
    // A round with nothing to program.
    virtual void No_Units() = 0;
    // A port given that no listed port answers to, or that is gone: why, in English.
    virtual void Port_Refused(const std::string& reason) = 0;
    // A round of `units` ports, refused ones included.
    virtual void Round_Started(std::size_t units, const std::string& image_sha256) = 0;
    // The units about to be programmed, by the port each was given as. Returns the reading end
    // of a pipe that becomes readable when they must stop (Ctrl-C), or -1.
    virtual int Units_Starting(const std::vector<std::string>& ports) = 0;
    virtual void Unit_Changed(const Unit_Event& event) = 0;
    // Every unit of the round has ended.
    virtual void Units_Ended() = 0;
    // A unit's record, once, when it has ended (also for a port refused).
    virtual void Unit_Recorded(const Unit_Record& record) = 0;
    virtual void Log_Failed(const File_Failure& failure) = 0;
    virtual void Round_Ended(const std::vector<Unit_Record>& records,
                             const Production_Totals& totals) = 0;
    virtual void Station_Ended(const Production_Totals& totals) = 0;
};

// What a station needs of the machine: the ports listed now, and a job that programs `image`
// into the unit on a port.
struct Station_Machine {
    std::function<std::vector<Port_Entry>()> List_Ports;
    std::function<std::unique_ptr<Unit_Job>(const Port_Entry& port,
                                            const std::vector<std::uint8_t>& image)>
        Make_Job;
};

// Programs every port of a round at once with one image, each port on its own, and keeps the
// records, the CSV log and the running totals over the rounds.
class Production_Station {
  public:
    Production_Station(const Production_Options& options, const std::vector<std::uint8_t>& image,
                       std::string image_sha256, Station_Machine machine, Station_Output& output);

    // Programs the round's units; false when there is no reason for another round (nothing to
    // program, or a unit was stopped).
    bool Run_Round();
    // 0 when every unit was written, otherwise the highest exit status among the failed ones; a
    // log that could not be written fails a run that otherwise succeeded.
    int Finish();

  private:
    // Stamps, counts, prints and logs the record of a unit that has ended.
    void End(Unit_Record& record);

    const Production_Options& options_;
    const std::vector<std::uint8_t>& image_;
    std::string sha256_;
    Station_Machine machine_;
    Station_Output& output_;
    Station_Records records_;
};

// Rounds until one gives no reason for another or, with --repeat, `next_round_wanted` says no.
int Run_Production_Rounds(Production_Station& station, const Production_Options& options,
                          const std::function<bool()>& next_round_wanted);
