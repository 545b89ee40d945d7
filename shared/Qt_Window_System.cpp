#include "Qt_Window_System.h"

#include "Atomic_File.h"

#include <QCoreApplication>
#include <QFile>

void Qt_Yield(QTimer& wake, std::uint32_t max_wait_ms) {
    if (max_wait_ms == 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // The single-shot timer bounds the blocking wait: the dispatcher sleeps in the system's
    // poll until a serial notifier, a window event or this timer wakes it. A coarse timer may
    // fire up to 5% late, which would stretch every time-out.
    wake.setTimerType(Qt::PreciseTimer);
    wake.setSingleShot(true);
    wake.start(static_cast<int>(max_wait_ms));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    wake.stop();
}

void Qt_Window_System::Yield(std::uint32_t max_wait_ms) {
    Qt_Yield(wake_, max_wait_ms);
}

std::string Qt_Window_System::Program_Folder() {
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}

bool Qt_Window_System::File_Exists(const std::string& path) {
    // Asked of the bytes themselves: a name in any encoding is found as it is.
    return !Check_Input_File(path).Failed();
}
