#include "Desktop_Program.h"

#include "Italian_Desktop.h"
#include "Qt_File_Dialog.h"
#include "Qt_Serial_Control.h"
#include "Qt_Widgets_Window_System.h"
#include "Steady_Clock.h"
#include "frm_Tessaro.h"
#include "mod_costanti.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMessageBox>

#include <cstdlib>
#include <exception>
#include <iostream>

namespace {

// No exception may cross Qt's event dispatch: one thrown by an event handler ends that handler
// with a message, and the program goes on with its windows.
class Guarded_Application : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            Report(e.what());
        } catch (...) {
            Report("eccezione sconosciuta");
        }
        return false;
    }

  private:
    static void Report(const std::string& reason) {
        std::cerr << "unexpected error: " << reason << "\n";
        QMessageBox::critical(nullptr, Title_Error,
                              QString::fromStdString("Errore imprevisto: " + reason));
    }
};

int Run(const Program_Description& program, int& argc, char** argv) {
    Choose_Italian_Locale();
    Guarded_Application application(argc, argv);
    Install_Italian_Texts(application);
    // The menu entry and the icon of an installation, so that the desktop shows the program's
    // own; where none is installed the windows keep the desktop's default icon.
    const QString id =
        QStringLiteral("org.example.") + QString::fromStdString(program.Program_Name).toLower();
    QGuiApplication::setDesktopFileName(id);
    QApplication::setWindowIcon(QIcon::fromTheme(id));
    Qt_Widgets_Window_System ws;
    Qt_Serial_Control RS232_Interface;
    Qt_File_Dialog Comm_Open_Save;
    Steady_Clock clock;
    Program_Data data(program);

    frm_Tessaro window(data, ws, Comm_Open_Save, RS232_Interface, clock);
    Comm_Open_Save.Set_Parent(&window);
    if (!window.Form_Load()) {
        return EXIT_FAILURE;
    }
    window.show();
    // A configuration named on the command line opens over the defaults of the start-up fill.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        window.Open_Configuration(QFile::encodeName(arguments[1]).toStdString());
    }
    return QApplication::exec();
}

} // namespace

int Run_Desktop_Program(const Program_Description& program, int argc, char** argv) {
    try {
        return Run(program, argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "unexpected error: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "unexpected error\n";
    }
    return EXIT_FAILURE;
}
