#include "Desktop_Program.h"

#include "Qt_File_Dialog.h"
#include "Qt_Serial_Control.h"
#include "Qt_Widgets_Window_System.h"
#include "Steady_Clock.h"
#include "frm_Tessaro.h"

#include <QApplication>

#include <cstdlib>

int Run_Desktop_Program(const Program_Description& program, int argc, char** argv) {
    QApplication application(argc, argv);
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
    return QApplication::exec();
}
