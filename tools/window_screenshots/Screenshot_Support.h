#pragma once

// What the picture taker's parts share: a program started as a user starts it, whose messages are
// printed rather than waited on, and the saving of a window's picture.
#include "File_Dialog.h"
#include "Qt_Serial_Control.h"
#include "Qt_Widgets_Window_System.h"
#include "Steady_Clock.h"
#include "frm_Tessaro.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

// The programs' own window system, except that a message is printed and counted instead of
// waiting for a click nobody makes, and that a run can be photographed from inside its waits.
class Unattended_Window_System : public Qt_Widgets_Window_System {
  public:
    int Messages = 0;
    std::function<void()> During_Run;

    void Message_Box(const std::string& text, const std::string& title, Message_Icon) override {
        ++Messages;
        std::cerr << title << ": " << text << std::endl;
    }
    void Yield(std::uint32_t max_wait_ms) override {
        Qt_Widgets_Window_System::Yield(max_wait_ms);
        if (During_Run) {
            During_Run();
        }
    }
};

// Hands out the chosen files in order.
class Chosen_Files : public File_Dialog {
  public:
    std::deque<std::string> Files;
    std::optional<std::string> Show_Save(const std::string&, int,
                                         const std::string& suggested) override {
        return suggested;
    }
    std::optional<std::string> Show_Open(const std::string&, int) override {
        if (Files.empty()) {
            return std::nullopt;
        }
        std::string file = Files.front();
        Files.pop_front();
        return file;
    }
};

struct Program {
    explicit Program(const Program_Description& description) : data(description) {
        window = std::make_unique<frm_Tessaro>(data, ws, dialog, port, clock);
        window->Form_Load();
        window->show();
    }

    Program_Data data;
    Unattended_Window_System ws;
    Chosen_Files dialog;
    Qt_Serial_Control port;
    Steady_Clock clock;
    std::unique_ptr<frm_Tessaro> window;
};

// Lets queued events and repaints through.
void Settle();
// Saves the window's picture as `folder`/`name`.png and says so.
bool Save(QWidget* window, const QString& folder, const QString& name);
// Starts module-sim on a pseudo-terminal with the options; its device, or empty.
QString Start_Unit(QProcess& unit, const QString& module_sim, const QStringList& options = {});
// Spins the event loop until `done` holds or `ms` have passed; whether it holds.
bool Wait_For(const std::function<bool()>& done, int ms);

// The serial window's pictures: its port list, a run with a retry, another port picked, a rescan
// after the chosen unit has gone.
bool Save_Serial_Window(Program& vantrel, const QString& folder, const QString& module_sim);
// The production station with several units: written, failed, one that has left, one writing.
bool Save_Station_Window(Program& vantrel, const QString& folder, const QString& module_sim);
