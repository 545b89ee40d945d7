#include "Production_Station.h"

#include "Port_Choice.h"

#include <algorithm>

namespace {

struct Round_Unit {
    std::string Port; // as given
    Port_Entry Entry;
    std::string Failure; // why the port was not found; empty when it was
};

// The ports of one round, looked up in one listing, each device once.
std::vector<Round_Unit> Round_Units(const Production_Options& options,
                                    const std::vector<Port_Entry>& listed) {
    std::vector<Round_Unit> units;
    auto add = [&units](Round_Unit unit) {
        const bool twice = !unit.Entry.Device.empty() &&
                           std::any_of(units.begin(), units.end(), [&unit](const Round_Unit& u) {
                               return u.Entry.Device == unit.Entry.Device;
                           });
        if (!twice) {
            units.push_back(std::move(unit));
        }
    };
    for (const std::string& text : options.Ports) {
        const Port_Choice choice = Choose_Port(text, listed);
        add({text, choice.Port, choice.Status == Port_Choice_Status::Found ? "" : choice.Reason});
    }
    if (options.All) {
        // Built-in ports are programmed only when named: they seldom hold a unit.
        for (const Port_Entry& port : listed) {
            if (port.Has_Usb_Ids || port.Simulated_Pid != 0) {
                add({port.Device, port, ""});
            }
        }
    }
    return units;
}

} // namespace

Production_Station::Production_Station(const Production_Options& options,
                                       const std::vector<std::uint8_t>& image,
                                       std::string image_sha256, Station_Machine machine,
                                       Station_Output& output)
    : options_(options), image_(image), sha256_(std::move(image_sha256)),
      machine_(std::move(machine)), output_(output), records_(options.Log) {}

bool Production_Station::Run_Round() {
    const std::vector<Round_Unit> units = Round_Units(options_, machine_.List_Ports());
    Production_Totals& totals = records_.Totals();
    ++totals.Rounds;
    if (units.empty()) {
        output_.No_Units();
        totals.Exit_Codes.push_back(Exit_Code(Run_Outcome::Module_Not_Found));
        return false;
    }
    output_.Round_Started(units.size(), sha256_);
    std::vector<Unit_Record> records(units.size());
    std::vector<std::unique_ptr<Unit_Job>> jobs;
    std::vector<std::size_t> unit_of_job;
    std::vector<std::string> ports;
    for (std::size_t i = 0; i < units.size(); ++i) {
        records[i].Port = units[i].Port;
        records[i].Device = units[i].Entry.Device;
        if (!units[i].Entry.Serial_Number.empty()) {
            records[i].Serial = units[i].Entry.Serial_Number;
        }
        records[i].Image_Sha256 = sha256_;
        if (units[i].Failure.empty()) {
            jobs.push_back(machine_.Make_Job(units[i].Entry, image_));
            unit_of_job.push_back(i);
            ports.push_back(units[i].Port);
        } else {
            output_.Port_Refused(units[i].Failure);
            records[i].Outcome = Run_Outcome::Module_Not_Found;
            End(records[i]);
        }
    }
    bool stopped = false;
    Run_Units(jobs, output_.Units_Starting(ports), [&](const Unit_Event& event) {
        output_.Unit_Changed(event);
        if (event.What == Unit_Event::Kind::Ended) {
            Unit_Record& record = records[unit_of_job[event.Unit]];
            record.Outcome = event.Result.Outcome;
            record.Blocks = event.Result.Blocks;
            record.Retries = event.Result.Retries;
            record.Seconds = event.Result.Seconds;
            stopped = stopped || record.Outcome == Run_Outcome::Stopped;
            End(record);
        }
    });
    output_.Units_Ended();
    output_.Round_Ended(records, totals);
    return !stopped;
}

int Production_Station::Finish() {
    output_.Station_Ended(records_.Totals());
    return records_.Exit_Status();
}

void Production_Station::End(Unit_Record& record) {
    const File_Failure log_failure = records_.Add(record);
    output_.Unit_Recorded(record);
    if (log_failure.Failed()) {
        output_.Log_Failed(log_failure);
    }
}

int Run_Production_Rounds(Production_Station& station, const Production_Options& options,
                          const std::function<bool()>& next_round_wanted) {
    while (station.Run_Round() && options.Repeat && next_round_wanted()) {
    }
    return station.Finish();
}
