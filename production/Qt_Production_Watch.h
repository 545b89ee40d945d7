#pragma once

#include "Production_Watch.h"
#include "Steady_Clock.h"
#include "Unit_Threads.h"

#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// A production watch on the calling thread's Qt event loop. File-system notifications on /dev
// and on the simulated units' registration folder (or the folder it will be made in) say when
// the ports may have changed, with a slow poll behind them; a timer steps the watch; probe lines
// over Qt serial controls hear the units, and each unit is programmed by a Qt_Unit_Job on a
// thread of its own. Nothing runs between notifications but the probes of watched ports.
class Qt_Production_Watch {
  public:
    Qt_Production_Watch(const Production_Options& options, const std::vector<std::uint8_t>& image,
                        std::string image_sha256, Watch_Output& output);
    Qt_Production_Watch(const Qt_Production_Watch&) = delete;
    Qt_Production_Watch& operator=(const Qt_Production_Watch&) = delete;

    // Lists the ports and starts watching; `ended` is called once, when the watch has stopped and
    // every unit's record is made. False when no unit could run (the system refused a pipe).
    bool Start(std::function<void()> ended);
    // Ends the probes and stops the running units without a reset.
    void Stop();
    // See Production_Watch::Finish.
    int Finish() { return watch_.Finish(); }

  private:
    void Watch_Folders();
    // Lists the ports again: the system's devices only when `devices`, the simulated units'
    // registrations always.
    void Ports_Changed(bool devices);
    void Take_Events();
    // Sets the step timer from what the watch waits for, or tells that it has ended.
    void Rearm();

    const Production_Options& options_;
    const std::vector<std::uint8_t>& image_;
    Steady_Clock clock_;
    // The jobs outlive their threads: declared before them.
    std::map<std::size_t, std::unique_ptr<Unit_Job>> jobs_;
    Unit_Threads threads_;
    // The system's serial devices at their last listing.
    std::vector<Port_Entry> devices_;
    QTimer step_;
    QTimer registrations_poll_;
    QTimer devices_poll_;
    QTimer settle_;
    std::size_t settled_ = 0; // listings after a change of /dev so far
    QFileSystemWatcher folders_;
    std::unique_ptr<QSocketNotifier> events_;
    std::function<void()> ended_;
    // Last: its probe lines call the step timer until they are gone.
    Production_Watch watch_;
};
