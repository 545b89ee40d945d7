#pragma once

#include "Port_Entry.h"
#include "Production_Run.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

// One unit of a production run on a thread of its own: a Qt event loop for the serial control's
// notifiers and the session's yields, with its own serial control, program data holding a copy
// of the image, session and clock.
class Qt_Unit_Job : public Unit_Job {
  public:
    Qt_Unit_Job(Port_Entry port, const std::vector<std::uint8_t>& image, bool oled);

    Unit_Result Run(Unit_Reporter& reporter) override;
    void Stop() override;

  private:
    Port_Entry port_;
    const std::vector<std::uint8_t>& image_;
    bool oled_;
    std::mutex mutex_;
    bool stop_ = false;
    // The running session's thread takes the stop through its event loop, inside a wait.
    QObject* context_ = nullptr;
    std::function<void()> stop_session_;
};
