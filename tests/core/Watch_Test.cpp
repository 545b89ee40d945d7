// A production watch on a manual clock: ports plugged and unplugged, units that answer, leave and
// come back, openings refused, the units' runs ended when the test says.
#include "Fake_Window_System.h"
#include "Production_Watch.h"
#include "Station_Model.h"
#include "Temp_Folder.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

namespace {

// The machine around the watch: listed ports, the units behind them, and how their openings go.
struct World {
    Manual_Clock Clock;
    std::map<std::string, long> Listed; // device -> pid of the simulated unit
    std::set<std::string> Answering;
    std::map<std::string, int> Refusals; // openings still refused; -1: every one
    Port_Failure Refusal = Port_Failure::No_Permission;
    std::map<std::string, int> Probes;
    std::set<std::size_t> Running;
    bool Woken = false; // a line heard something: the driver steps the watch at once
    std::vector<std::string> Log;
    long Next_Pid = 100;

    std::vector<Port_Entry> Ports() const {
        std::vector<Port_Entry> ports;
        for (const auto& [device, pid] : Listed) {
            Port_Entry& port = ports.emplace_back();
            port.Device = device;
            port.Simulated_Pid = pid;
            port.Serial_Number = "SN-" + device.substr(5);
        }
        return ports;
    }
};

class Fake_Line : public Probe_Line {
  public:
    explicit Fake_Line(World& world) : world_(world) {}
    Port_Open_Failure Open(const Port_Entry& port) override {
        device_ = port.Device;
        pid_ = port.Simulated_Pid;
        if (int& refusals = world_.Refusals[device_]; refusals != 0) {
            refusals -= refusals > 0 ? 1 : 0;
            return {world_.Refusal,
                    world_.Refusal == Port_Failure::In_Use ? "in use" : "permission denied"};
        }
        open_ = true;
        return {};
    }
    void Close() override { open_ = false; }
    void Probe() override {
        ++world_.Probes[device_];
        probed_ = true;
        world_.Woken = world_.Woken || world_.Answering.count(device_) > 0;
    }
    bool Answered() override {
        return std::exchange(probed_, false) && world_.Answering.count(device_) > 0;
    }
    // A simulated unit that ends closes its pseudo-terminal under the open line.
    bool Lost() const override {
        const auto listed = world_.Listed.find(device_);
        return open_ && (listed == world_.Listed.end() || listed->second != pid_);
    }

  private:
    World& world_;
    std::string device_;
    long pid_ = 0;
    bool open_ = false;
    bool probed_ = false;
};

// Logs what the watch shows, and keeps the model a window would draw.
class Recording_Output : public Watch_Output {
  public:
    explicit Recording_Output(World& world) : world_(world) {}
    Station_Model Model;

    void Port_Found(const std::string& named) override { Say("found " + named); }
    void Port_Skipped(const std::string& named, const Port_Open_Failure& why) override {
        Say("skipped " + named + ": " + why.Reason);
    }
    void Port_Gone(const std::string& named) override { Say("gone " + named); }
    void Unit_Started(std::size_t unit, const Port_Entry& port, const std::string& named) override {
        Model.Unit_Started(unit, port, named);
        Say("start " + std::to_string(unit) + " " + named);
    }
    void Unit_Changed(const Unit_Event& event) override {
        Model.Unit_Changed(event, 0);
        if (event.What == Unit_Event::Kind::Message) {
            const bool opening = event.Open_Failure != Port_Failure::None;
            Say("say " + std::to_string(event.Unit) + (opening ? " (opening) " : " ") + event.Text);
        }
    }
    void Unit_Recorded(std::size_t unit, const Unit_Record& record,
                       const Production_Totals&) override {
        Model.Unit_Recorded(unit, record);
        Say("record " + std::to_string(unit) + " " + record.Port + " " +
            Outcome_Name(record.Outcome));
    }
    void Log_Failed(const File_Failure&) override { Say("log failed"); }
    void Unit_Left(std::size_t unit) override {
        Model.Unit_Left(unit);
        Say("left " + std::to_string(unit));
    }
    void Watch_Ended(const Production_Totals&) override { Say(Totals_Line(Model)); }

  private:
    void Say(const std::string& line) { world_.Log.push_back(line); }
    World& world_;
};

struct Beat {
    std::uint32_t At; // ms
    std::string Action;
    std::vector<std::string> Said;
};

struct Scenario {
    std::string Name;
    std::vector<Beat> Beats;
    int Exit;
};

class Watch_Rig {
  public:
    explicit Watch_Rig(const Production_Options& options)
        : output_(world_),
          watch_(options, "ab12",
                 {[this] { return world_.Ports(); },
                  [this] { return std::make_unique<Fake_Line>(world_); },
                  [this](std::size_t unit, const Port_Entry&) { world_.Running.insert(unit); },
                  [this] { world_.Log.push_back("stop units"); }},
                 output_, world_.Clock) {}

    // Lets time run to `at` as the watch's timer would, then does `action`; what the watch said
    // meanwhile.
    std::vector<std::string> Beat(std::uint32_t at, const std::string& action) {
        world_.Log.clear();
        Run_Until(at);
        world_.Clock.Now = at;
        std::istringstream words(action);
        std::string verb, device, detail;
        words >> verb >> device >> detail;
        device = "/dev/" + device;
        if (verb == "plug" || verb == "plug-mute") {
            world_.Listed[device] = ++world_.Next_Pid;
            Answer(device, verb == "plug");
            watch_.Ports_Changed();
        } else if (verb == "unplug" || verb == "vanish") {
            world_.Listed.erase(device);
            Answer(device, false);
            // A unit killed leaves its registration behind: only its lost line tells.
            if (verb == "unplug") {
                watch_.Ports_Changed();
            } else {
                world_.Woken = true;
            }
        } else if (verb == "mute" || verb == "answer") {
            Answer(device, verb == "answer");
        } else if (verb == "refuse" || verb == "busy") {
            world_.Refusals[device] = std::stoi(detail);
            world_.Refusal = verb == "busy" ? Port_Failure::In_Use : Port_Failure::No_Permission;
        } else if (verb == "count") {
            world_.Log.push_back("probes " + device + " " + std::to_string(world_.Probes[device]));
        } else if (verb == "end") {
            End(std::stoul(device.substr(5)), detail);
        } else if (verb == "stop") {
            watch_.Stop();
        }
        Run_Until(at);
        return world_.Log;
    }

    int Finish() { return watch_.Finish(); }
    bool Ended() const { return watch_.Ended(); }
    const std::vector<std::string>& Log() const { return world_.Log; }
    const Station_Model& Model() const { return output_.Model; }

  private:
    void Answer(const std::string& device, bool answers) {
        if (answers) {
            world_.Answering.insert(device);
        } else {
            world_.Answering.erase(device);
        }
    }

    // Steps the watch when a line wakes it and whenever it is due, up to `at`.
    void Run_Until(std::uint32_t at) {
        for (int steps = 0; steps < 1000; ++steps) {
            if (world_.Woken) {
                world_.Woken = false;
                watch_.Step();
                continue;
            }
            const auto next = watch_.Next_Step();
            if (!next || world_.Clock.Now + *next > at) {
                return;
            }
            world_.Clock.Now += *next;
            watch_.Step();
        }
        ADD_FAILURE() << "the watch never waits";
    }

    void End(std::size_t unit, const std::string& outcome) {
        ASSERT_TRUE(world_.Running.erase(unit)) << "unit " << unit << " is not running";
        const std::map<std::string, Run_Outcome> outcomes{
            {"written", Run_Outcome::Written},
            {"write_failed", Run_Outcome::Write_Failed},
            {"stopped", Run_Outcome::Stopped}};
        Unit_Event ended;
        ended.Unit = unit;
        ended.What = Unit_Event::Kind::Ended;
        ended.Result = {outcomes.at(outcome), 512, 0, 1.5};
        watch_.Unit_Changed(ended);
    }

    World world_;
    Recording_Output output_;
    Production_Watch watch_;
};

} // namespace

TEST(Watch, Units_Are_Programmed_Once_Per_Appearance) {
    // clang-format off
    const std::vector<Scenario> scenarios{
        {"one after another; the failed one stays failed while it answers", {
            {0, "plug a", {"found /dev/a", "start 1 /dev/a"}},
            {500, "end 1 written", {"record 1 /dev/a written"}},
            {3000, "plug b", {"found /dev/b", "start 2 /dev/b"}},
            {3100, "end 2 write_failed", {"record 2 /dev/b write_failed"}},
            {9000, "unplug a", {"left 1", "gone /dev/a"}},
            {9000, "unplug b", {"left 2", "gone /dev/b"}}}, 4},
        {"together; one leaves mid-run, the other unharmed", {
            {0, "plug a", {"found /dev/a", "start 1 /dev/a"}},
            {0, "plug b", {"found /dev/b", "start 2 /dev/b"}},
            {200, "unplug a", {}},
            {300, "end 1 write_failed", {"record 1 /dev/a write_failed", "left 1", "gone /dev/a"}},
            {800, "end 2 written", {"record 2 /dev/b written"}},
            {5000, "count b", {"probes /dev/b 6"}}}, 4},
        {"a unit that comes back, and one swapped at the far end of a cable", {
            {0, "plug a", {"found /dev/a", "start 1 /dev/a"}},
            {400, "end 1 written", {"record 1 /dev/a written"}},
            {1000, "vanish a", {"left 1", "gone /dev/a"}},
            {1500, "plug a", {"found /dev/a", "start 2 /dev/a"}},
            {1900, "end 2 written", {"record 2 /dev/a written"}},
            // The probes at 4900 and 5900 go unanswered: the unit has left with the second.
            {3900, "mute a", {}},
            {5899, "", {}},
            {5900, "", {"left 2"}},
            {6000, "answer a", {}},
            {6900, "", {"start 3 /dev/a"}},
            {7200, "end 3 written", {"record 3 /dev/a written"}}}, 0},
        {"one that never answers: a detection request each second, nothing else", {
            {0, "plug-mute c", {"found /dev/c"}},
            {5000, "count c", {"probes /dev/c 6"}}}, 0},
        {"a new device refuses opening for a moment, another for good", {
            {0, "refuse a 5", {}},
            {0, "plug a", {"found /dev/a"}},
            {499, "count a", {"probes /dev/a 0"}},
            {500, "", {"start 1 /dev/a"}},
            {600, "end 1 written", {"record 1 /dev/a written"}},
            {600, "refuse b -1", {}},
            {1000, "plug b", {"found /dev/b"}},
            {2999, "", {}},
            {3000, "", {"start 2 /dev/b", "say 2 (opening) cannot open the port: permission denied",
                        "record 2 /dev/b not_found"}},
            {9000, "unplug b", {"left 2", "gone /dev/b"}}}, 3},
        {"a port held by another program is skipped, then programmed when released", {
            {0, "busy a -1", {}},
            {0, "plug a", {"found /dev/a"}},
            {2000, "", {"skipped /dev/a: in use"}},
            {4000, "busy a 0", {}},
            {5000, "", {"start 1 /dev/a"}},
            {5200, "end 1 written", {"record 1 /dev/a written"}}}, 0},
        {"Ctrl-C stops the running units; they count as stopped", {
            {0, "plug a", {"found /dev/a", "start 1 /dev/a"}},
            {0, "plug b", {"found /dev/b", "start 2 /dev/b"}},
            {300, "end 1 written", {"record 1 /dev/a written"}},
            {400, "stop", {"stop units"}},
            {9000, "count a", {"probes /dev/a 2"}},
            {9000, "end 2 stopped", {"record 2 /dev/b stopped"}}}, 5},
    };
    // clang-format on
    for (const Scenario& s : scenarios) {
        const Production_Options options;
        Watch_Rig rig(options);
        for (const Beat& beat : s.Beats) {
            EXPECT_EQ(rig.Beat(beat.At, beat.Action), beat.Said)
                << s.Name << ", at " << beat.At << " ms: " << beat.Action;
        }
        rig.Beat(s.Beats.back().At, "stop");
        EXPECT_TRUE(rig.Ended()) << s.Name;
        EXPECT_EQ(rig.Finish(), s.Exit) << s.Name;
        const int written = std::count_if(s.Beats.begin(), s.Beats.end(), [](const Beat& b) {
            return b.Action.find(" written") != std::string::npos;
        });
        EXPECT_EQ(rig.Log().back(), "Total: " + std::to_string(written) + " programmed, " +
                                        std::to_string(rig.Model().Tiles().size() - written) +
                                        " failed")
            << s.Name;
    }
}

// The records name the port as the --port text did, and go to the CSV log as a round's do; a log
// that cannot be written fails a watch whose units were all written.
TEST(Watch, Records_Name_The_Port_As_Given_And_Go_To_The_Log) {
    Temp_Folder folder("watch_log");
    for (const bool writable : {true, false}) {
        Production_Options options;
        options.Ports = {"serial=SN-b"};
        options.Log = writable ? folder / "log.csv" : folder.Path().string();
        Watch_Rig rig(options);
        EXPECT_EQ(rig.Beat(0, "plug a"), std::vector<std::string>{});
        EXPECT_EQ(rig.Beat(0, "plug b"),
                  (std::vector<std::string>{"found serial=SN-b", "start 1 serial=SN-b"}));
        std::vector<std::string> recorded{"record 1 serial=SN-b written"};
        if (!writable) {
            recorded.push_back("log failed");
        }
        EXPECT_EQ(rig.Beat(100, "end 1 written"), recorded);
        rig.Beat(100, "stop");
        EXPECT_EQ(rig.Finish(), writable ? 0 : 1);
    }
    const std::string log = Read_File(folder / "log.csv");
    EXPECT_EQ(log.substr(log.find('\n') + 1).substr(20),
              ",serial=SN-b,/dev/b,SN-b,written,0,512,0,1.500,ab12\n")
        << log;
}
