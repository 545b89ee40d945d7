#pragma once

#include "Window_System.h"

#include <QTimer>

// The operations every Qt program shares: the event loop as the yield, the application's folder
// and the file system. The console and the windowed programs add their messages and pointer.
class Qt_Window_System : public Window_System {
  public:
    void Yield(std::uint32_t max_wait_ms = 0) override;
    std::string Program_Folder() override;
    bool File_Exists(const std::string& path) override;

  private:
    QTimer wake_;
};

// Handles the pending events once; with max_wait_ms > 0 and nothing pending, sleeps in the event
// loop until an event or the timer `wake` after max_wait_ms.
void Qt_Yield(QTimer& wake, std::uint32_t max_wait_ms);
