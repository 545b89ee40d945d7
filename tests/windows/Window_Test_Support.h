#pragma once

#include "Fake_Window_System.h"
#include "File_Dialog.h"
#include "Qt_Console_Window_System.h"
#include "Qt_Serial_Control.h"
#include "Scripted_Serial_Control.h"
#include "Steady_Clock.h"
#include "frm_Tessaro.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

// Answers each dialog with the next scripted path, cancelled when they run out; records the path
// each save dialog started from, and the folder each open dialog was asked to start in.
class Scripted_File_Dialog : public File_Dialog {
  public:
    std::deque<std::optional<std::string>> Answers;
    std::vector<std::string> Suggested;
    std::vector<std::string> Start_Folders;

    std::optional<std::string> Show_Save(const std::string&, int,
                                         const std::string& suggested) override {
        Suggested.push_back(suggested);
        return Next();
    }
    std::optional<std::string> Show_Open(const std::string&, int) override { return Next(); }
    std::optional<std::string> Show_Open_In(const std::string&, int,
                                            const std::string& folder) override {
        Start_Folders.push_back(folder);
        return Next();
    }

  private:
    std::optional<std::string> Next() {
        if (Answers.empty()) {
            return std::nullopt;
        }
        auto answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
};

// One program's windows over fakes of the platform: a scripted unit answering at once over a
// manual clock, or (with Qt_Serial_Control) the real port, event loop and clock. During_Run looks
// in from every yield of a run.
template <typename Port = Scripted_Serial_Control> struct Program_Under_Test {
    static constexpr bool Scripted = std::is_same_v<Port, Scripted_Serial_Control>;

    explicit Program_Under_Test(const Program_Description& program = Vantrel_Program())
        : data(program) {
        ws.Folder = DATA_DIR;
        ws.On_Yield = [this](std::uint32_t max_wait_ms) {
            if constexpr (Scripted) {
                port.Deliver_Next();
            } else {
                Qt_Yield(wake, max_wait_ms);
            }
            if (During_Run) {
                During_Run();
            }
        };
        if constexpr (Scripted) {
            port.Responder = Answer_All;
        }
        window = std::make_unique<frm_Tessaro>(data, ws, dialog, port, clock);
    }

    bool Start() {
        const bool loaded = window->Form_Load();
        window->show();
        return loaded;
    }

    frm_RS232* Open_Serial_Window() {
        window->findChild<QAction*>(QStringLiteral("smnu_Comunicazione"))->trigger();
        return window->Serial_Window();
    }

    Program_Data data;
    Fake_Window_System ws;
    Scripted_File_Dialog dialog;
    Port port;
    std::conditional_t<Scripted, Manual_Clock, Steady_Clock> clock;
    QTimer wake;
    std::unique_ptr<frm_Tessaro> window;
    std::function<void()> During_Run;
};

template <typename T = QWidget> T* Control(QObject* window, const char* name) {
    return window->findChild<T*>(QString::fromLatin1(name));
}

// Element `index` of a control array: the controls share the array's name and carry an "index".
template <typename T = QWidget> T* Element(QObject* root, const std::string& name, int index) {
    for (T* control : root->findChildren<T*>(QString::fromStdString(name))) {
        if (control->property("index").toInt() == index) {
            return control;
        }
    }
    return nullptr;
}

// The picture a box shows.
inline QImage Shown(QLabel* box) {
    return box->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

inline void Click(QWidget* window, const char* name) {
    QTest::mouseClick(Control<QPushButton>(window, name), Qt::LeftButton);
}

// Enabled state of ON, OFF, the command group, the write button and Exit.
inline QString States(QWidget* w) {
    QString s;
    for (const char* name : {"cmd_ON", "cmd_OFF", "fra_Comandi", "cmd_Write_RS232", "cmd_Exit"}) {
        s += Control(w, name)->isEnabled() ? '1' : '0';
    }
    return s;
}
inline const QString Port_Closed = QStringLiteral("10001");
inline const QString Port_Open = QStringLiteral("01111");
inline const QString Programming = QStringLiteral("00110");
