#pragma once

#include "Qt_Window_System.h"

// Window-system operations for the desktop programs: real message boxes, the application's
// cursor as the busy pointer.
class Qt_Widgets_Window_System : public Qt_Window_System {
  public:
    void Message_Box(const std::string& text, const std::string& title, Message_Icon icon) override;
    void Busy_Pointer(bool busy) override;
    // Leaves a running event loop with a failure status; at start-up, before the loop runs, the
    // load step's false result is what keeps the program from going on.
    void End_Program() override;

  private:
    bool busy_ = false;
};
