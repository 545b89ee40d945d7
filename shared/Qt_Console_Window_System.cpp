#include "Qt_Console_Window_System.h"

#include <ostream>

Qt_Console_Window_System::Qt_Console_Window_System(std::ostream& messages) : messages_(messages) {}

void Qt_Console_Window_System::Message_Box(const std::string& text, const std::string& title,
                                           Message_Icon) {
    // A terminal wants a bare line feed where the message box breaks its line.
    messages_ << title << ": " << Without_Carriage_Returns(text) << std::endl;
}
