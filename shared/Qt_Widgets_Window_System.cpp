#include "Qt_Widgets_Window_System.h"

#include "Qt_Console_Window_System.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdlib>

void Qt_Widgets_Window_System::Message_Box(const std::string& text, const std::string& title,
                                           Message_Icon icon) {
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon == Message_Icon::Critical ? QMessageBox::Critical : QMessageBox::Warning,
                    QString::fromStdString(title), shown, QMessageBox::Ok);
    // A busy pointer left over from the caller would hide that the box wants a click.
    if (busy_) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    box.exec();
    if (busy_) {
        QApplication::restoreOverrideCursor();
    }
}

void Qt_Widgets_Window_System::Yield(std::uint32_t max_wait_ms) {
    Qt_Yield(wake_, max_wait_ms);
}

std::string Qt_Widgets_Window_System::Program_Folder() {
    return QCoreApplication::applicationDirPath().toStdString();
}

bool Qt_Widgets_Window_System::File_Exists(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).isFile();
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
    ended_ = true;
    QCoreApplication::exit(EXIT_FAILURE);
}
