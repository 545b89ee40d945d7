#pragma once

#include "Window_System.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Records every message box instead of showing it; a test scripts what happens in a yield.
class Fake_Window_System : public Window_System {
  public:
    struct Message {
        std::string Text;
        std::string Title;
        Message_Icon Icon;
    };

    std::vector<Message> Messages;
    std::string Folder = ".";
    int Yields = 0;
    bool Ended = false;
    bool Busy = false;
    // Runs inside every yield with the wait the caller allowed; a link test delivers bytes,
    // presses Stop or advances a manual clock here.
    std::function<void(std::uint32_t max_wait_ms)> On_Yield;

    void Message_Box(const std::string& text, const std::string& title,
                     Message_Icon icon) override {
        Messages.push_back({text, title, icon});
    }
    void Yield(std::uint32_t max_wait_ms = 0) override {
        ++Yields;
        if (On_Yield) {
            On_Yield(max_wait_ms);
        }
    }
    std::string Program_Folder() override { return Folder; }
    bool File_Exists(const std::string& path) override {
        return std::filesystem::is_regular_file(path);
    }
    void Busy_Pointer(bool busy) override { Busy = busy; }
    void End_Program() override { Ended = true; }
};

// A clock that moves only when the test says so.
class Manual_Clock : public Millisecond_Clock {
  public:
    std::uint32_t Now = 0;
    std::uint32_t timeGetTime() override { return Now; }
    void Advance(std::uint32_t ms) { Now += ms; }
};
