#pragma once

#include "Qt_Window_System.h"

#include <iosfwd>

// Window-system operations for programs without windows: messages go to a text stream (the
// terminal's stderr), there is no pointer to show busy.
class Qt_Console_Window_System : public Qt_Window_System {
  public:
    explicit Qt_Console_Window_System(std::ostream& messages);

    void Message_Box(const std::string& text, const std::string& title, Message_Icon icon) override;
    void Busy_Pointer(bool) override {}
    // The command line ends through the false result that follows; its exit status says why.
    void End_Program() override {}

  private:
    std::ostream& messages_;
};
