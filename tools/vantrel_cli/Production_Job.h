#pragma once

#include "Port_Entry.h"
#include "Production_Run.h"

#include <QObject>

#include <functional>

#include <cstdint>
#include <mutex>
#include <vector>

// One unit of a production run: on its own thread, its own event loop, serial control, link,
// program data with a copy of the image, clock and window-system operations.
class Production_Job : public Unit_Job {
  public:
    Production_Job(Port_Entry port, const std::vector<std::uint8_t>& image, bool oled);

    Unit_Result Run(Unit_Reporter& reporter) override;
    void Stop() override;

  private:
    Port_Entry port_;
    const std::vector<std::uint8_t>& image_;
    bool oled_;
    std::mutex mutex_;
    bool stop_ = false;
    // The running link's thread takes the stop through its event loop, inside a wait.
    QObject* context_ = nullptr;
    std::function<void()> stop_link_;
};
