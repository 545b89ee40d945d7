#include "Qt_Widgets_Window_System.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>

#include <cstdlib>

void Qt_Widgets_Window_System::Message_Box(const std::string& text, const std::string& title,
                                           Message_Icon icon) {
    QMessageBox box(icon == Message_Icon::Critical ? QMessageBox::Critical : QMessageBox::Warning,
                    QString::fromStdString(title),
                    QString::fromStdString(Without_Carriage_Returns(text)), QMessageBox::Ok);
    // A busy pointer left over from the caller would hide that the box wants a click.
    if (busy_) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    box.exec();
    if (busy_) {
        QApplication::restoreOverrideCursor();
    }
}

void Qt_Widgets_Window_System::Busy_Pointer(bool busy) {
    if (busy == busy_) {
        return;
    }
    busy_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void Qt_Widgets_Window_System::End_Program() {
    QCoreApplication::exit(EXIT_FAILURE);
}
