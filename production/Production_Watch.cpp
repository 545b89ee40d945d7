#include "Production_Watch.h"

#include "Watch_Ports.h"

#include <algorithm>

Production_Watch::Production_Watch(const Production_Options& options, std::string image_sha256,
                                   Watch_Machine machine, Watch_Output& output,
                                   Millisecond_Clock& clock)
    : options_(options), sha256_(std::move(image_sha256)), machine_(std::move(machine)),
      output_(output), clock_(clock), records_(options.Log) {
    // A watch is one round, however many units it sees.
    records_.Totals().Rounds = 1;
}

void Production_Watch::Ports_Changed() {
    if (stopping_) {
        return;
    }
    List();
    Step();
}

void Production_Watch::Step() {
    if (stopping_) {
        return;
    }
    const std::uint32_t now = clock_.timeGetTime();
    // A port that asks again right after the listing waits for its next step.
    if (Step_Slots(now)) {
        List();
        Step_Slots(now);
    }
}

std::optional<std::uint32_t> Production_Watch::Next_Step() const {
    if (stopping_) {
        return std::nullopt;
    }
    const std::uint32_t now = clock_.timeGetTime();
    std::optional<std::uint32_t> next;
    for (const auto& slot : slots_) {
        if (const auto due = slot->Watch.Due()) {
            const auto left = static_cast<std::int32_t>(*due - now);
            const std::uint32_t wait = left > 0 ? static_cast<std::uint32_t>(left) : 0;
            next = next ? std::min(*next, wait) : wait;
        }
    }
    return next;
}

void Production_Watch::List() {
    const std::vector<Watched_Port> watched =
        Watched_Ports(options_.Ports, machine_.List_Ports(), options_.Built_In);
    const std::uint32_t now = clock_.timeGetTime();
    for (auto slot = slots_.begin(); slot != slots_.end();) {
        if ((*slot)->Gone) {
            ++slot;
            continue;
        }
        const auto same = std::find_if(watched.begin(), watched.end(), [&](const Watched_Port& w) {
            return Same_Port(w.Port, (*slot)->Watch.Port());
        });
        if (same != watched.end()) {
            (*slot)->Watch.Update(same->Port);
            ++slot;
        } else if ((*slot)->Watch.State() == Port_State::Programming) {
            // Its run ends soon, the port lost; the record comes first.
            (*slot)->Gone = true;
            ++slot;
        } else {
            slot = Drop(slot);
        }
    }
    for (const Watched_Port& port : watched) {
        const bool known = std::any_of(slots_.begin(), slots_.end(), [&](const auto& slot) {
            return !slot->Gone && Same_Port(slot->Watch.Port(), port.Port);
        });
        if (!known) {
            slots_.push_back(std::make_unique<Slot>(
                Slot{Port_Watch(port.Port, machine_.Make_Line(), now), port.Named, now}));
            output_.Port_Found(port.Named);
        }
    }
}

bool Production_Watch::Step_Slots(std::uint32_t now) {
    bool relist = false;
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        Slot& slot = *slots_[i];
        const Port_Step step = slot.Watch.Step(now);
        relist = relist || step.Relist;
        if (step.Unit_Left) {
            output_.Unit_Left(slot.Unit);
        }
        if (step.Skipped.Failed()) {
            output_.Port_Skipped(slot.Named, step.Skipped);
        }
        if (step.Start_Unit) {
            const std::size_t unit = Begin_Unit(slot);
            machine_.Start_Unit(unit, slot.Watch.Port());
        }
        if (step.Failed.Failed()) {
            Record_Open_Failure(slot, step.Failed, now);
        }
    }
    return relist;
}

std::size_t Production_Watch::Begin_Unit(Slot& slot) {
    slot.Unit = ++units_;
    Running& running = running_[slot.Unit];
    running.On = &slot;
    const Port_Entry& port = slot.Watch.Port();
    running.Record.Port = slot.Named;
    running.Record.Device = port.Device;
    if (!port.Serial_Number.empty()) {
        running.Record.Serial = port.Serial_Number;
    }
    running.Record.Image_Sha256 = sha256_;
    output_.Unit_Started(slot.Unit, port, slot.Named);
    return slot.Unit;
}

// A port that does not open is a unit that failed, as in a round: the same events and record.
void Production_Watch::Record_Open_Failure(Slot& slot, const Port_Open_Failure& why,
                                           std::uint32_t now) {
    const std::size_t unit = Begin_Unit(slot);
    Unit_Event message;
    message.Unit = unit;
    message.What = Unit_Event::Kind::Message;
    message.Text = "cannot open the port: " + why.Reason;
    message.Open_Failure = why.Cause;
    Unit_Changed(message);
    Unit_Event ended;
    ended.Unit = unit;
    ended.What = Unit_Event::Kind::Ended;
    ended.Phase = Unit_Phase::Ended;
    ended.Result = {Run_Outcome::Module_Not_Found, 0, 0, (now - slot.Found_At) / 1000.0};
    Unit_Changed(ended);
}

void Production_Watch::Unit_Changed(const Unit_Event& event) {
    const auto found = running_.find(event.Unit);
    if (found == running_.end()) {
        return;
    }
    output_.Unit_Changed(event);
    if (event.What != Unit_Event::Kind::Ended) {
        return;
    }
    Slot& slot = *found->second.On;
    Unit_Record record = std::move(found->second.Record);
    running_.erase(found);
    record.Outcome = event.Result.Outcome;
    record.Blocks = event.Result.Blocks;
    record.Retries = event.Result.Retries;
    record.Seconds = event.Result.Seconds;
    const File_Failure log_failure = records_.Add(record);
    output_.Unit_Recorded(event.Unit, record, records_.Totals());
    if (log_failure.Failed()) {
        output_.Log_Failed(log_failure);
    }
    if (slot.Gone) {
        Drop(std::find_if(slots_.begin(), slots_.end(),
                          [&slot](const auto& s) { return s.get() == &slot; }));
    } else if (!stopping_ && slot.Watch.State() == Port_State::Programming) {
        slot.Watch.Unit_Ended(clock_.timeGetTime());
    }
}

std::vector<std::unique_ptr<Production_Watch::Slot>>::iterator
Production_Watch::Drop(std::vector<std::unique_ptr<Slot>>::iterator slot) {
    (*slot)->Watch.Close();
    if ((*slot)->Watch.Has_Unit()) {
        output_.Unit_Left((*slot)->Unit);
    }
    output_.Port_Gone((*slot)->Named);
    return slots_.erase(slot);
}

void Production_Watch::Stop() {
    if (stopping_) {
        return;
    }
    stopping_ = true;
    for (const auto& slot : slots_) {
        slot->Watch.Close();
    }
    machine_.Stop_Units();
}

int Production_Watch::Finish() {
    output_.Watch_Ended(records_.Totals());
    return records_.Exit_Status();
}
