#pragma once

#include "Window_System.h"

#include <QTimer>

// Window-system operations for the desktop programs: real message boxes, the Qt event loop as
// the yield, the application's cursor as the busy pointer.
class Qt_Widgets_Window_System : public Window_System {
  public:
    void Message_Box(const std::string& text, const std::string& title, Message_Icon icon) override;
    void Yield(std::uint32_t max_wait_ms = 0) override;
    std::string Program_Folder() override;
    bool File_Exists(const std::string& path) override;
    void Busy_Pointer(bool busy) override;
    // Leaves the event loop (or keeps it from running) with a failure status; the caller returns
    // right after, and the program's entry checks Ended() before showing any window.
    void End_Program() override;

    bool Ended() const { return ended_; }

  private:
    QTimer wake_;
    bool busy_ = false;
    bool ended_ = false;
};
