#pragma once

#include <cstdint>
#include <string>

enum class Message_Icon { Critical, Exclamation };

// The window-system operations the core relies on. The programs provide them over Qt, the command
// line over the terminal, and the tests with recording fakes.
class Window_System {
  public:
    virtual ~Window_System() = default;

    // Modal; returns when the user has closed it. "\r\n" in the text starts a new line.
    virtual void Message_Box(const std::string& text, const std::string& title,
                             Message_Icon icon) = 0;

    // Handles the pending events once. When none is pending and max_wait_ms > 0, blocks until
    // the next event arrives or max_wait_ms have passed, whichever is first; never spins.
    virtual void Yield(std::uint32_t max_wait_ms = 0) = 0;

    // The folder of the running program, without a trailing separator.
    virtual std::string Program_Folder() = 0;
    virtual bool File_Exists(const std::string& path) = 0;

    virtual void Busy_Pointer(bool busy) = 0;

    // Ends the program without running any window's unload step. Callers return right after it,
    // so that a fake can record the end and let the test go on.
    virtual void End_Program() = 0;
};

// The free-running 32-bit millisecond clock; it wraps after about 49.7 days.
class Millisecond_Clock {
  public:
    virtual ~Millisecond_Clock() = default;
    virtual std::uint32_t timeGetTime() = 0;
};

// Text of a path after its last separator ('/' or '\\').
std::string File_Name_Part(const std::string& path);

// The text with its carriage returns dropped, for displays that break lines at a line feed.
std::string Without_Carriage_Returns(const std::string& text);
