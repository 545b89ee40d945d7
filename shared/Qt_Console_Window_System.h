#pragma once

#include "Window_System.h"

#include <QTimer>

#include <iosfwd>

// Window-system operations for programs without windows: messages go to a text stream (the
// terminal's stderr), the yield runs the Qt event loop of a QCoreApplication.
class Qt_Console_Window_System : public Window_System {
  public:
    explicit Qt_Console_Window_System(std::ostream& messages);

    void Message_Box(const std::string& text, const std::string& title, Message_Icon icon) override;
    void Yield(std::uint32_t max_wait_ms = 0) override;
    std::string Program_Folder() override;
    bool File_Exists(const std::string& path) override;
    void Busy_Pointer(bool) override {}
    void End_Program() override { ended_ = true; }

    bool Ended() const { return ended_; }

  private:
    std::ostream& messages_;
    QTimer wake_;
    bool ended_ = false;
};

// The event-loop yield shared by the console and the windowed programs.
void Qt_Yield(QTimer& wake, std::uint32_t max_wait_ms);
