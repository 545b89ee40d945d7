#include "Desktop_Program.h"

#include "Qt_File_Dialog.h"
#include "Qt_Serial_Control.h"
#include "Qt_Widgets_Window_System.h"
#include "Steady_Clock.h"
#include "frm_Tessaro.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdlib>

int Run_Desktop_Program(const Program_Description& program, int argc, char** argv) {
    QApplication application(argc, argv);
    // Every text of the programs is Italian, so Qt's own dialogs and buttons are too, whatever
    // the desktop's language.
    QTranslator qt_texts;
    if (qt_texts.load(QStringLiteral("qtbase_it"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qt_texts);
    }
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
        window.Open_Configuration(arguments[1].toStdString());
    }
    return QApplication::exec();
}
