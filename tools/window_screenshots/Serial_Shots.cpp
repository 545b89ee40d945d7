#include "Screenshot_Support.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

bool Save_Serial_Window(Program& vantrel, const QString& folder, const QString& module_sim) {
    bool saved = true;
    // Two units: the second starts after the serial window has scanned, so Aggiorna finds it.
    // The first loses one block's request, so the run shows a retry.
    QProcess sim;
    QProcess second_sim;
    const QString device =
        Start_Unit(sim, module_sim, {QStringLiteral("--lose-block"), QStringLiteral("300")});

    vantrel.window->findChild<QAction*>(QStringLiteral("smnu_Comunicazione"))->trigger();
    frm_RS232* serial = vantrel.window->Serial_Window();
    auto* list = serial->findChild<QComboBox*>(QStringLiteral("cmb_RS232"));
    const QString second_device = Start_Unit(second_sim, module_sim);
    serial->findChild<QPushButton*>(QStringLiteral("cmd_Scan_RS232"))->click();
    if (list->findData(device) < 0 || list->findData(second_device) < 0) {
        std::cerr << "the serial window does not list both simulated units" << std::endl;
        return false;
    }
    list->setCurrentIndex(list->findData(device));
    list->showPopup();
    Settle();
    // The open list is a window of its own: draw it into the picture of the serial window.
    QPixmap with_list = serial->grab();
    QWidget* popup = list->view()->window();
    QPainter(&with_list)
        .drawPixmap(popup->mapToGlobal(QPoint()) - serial->mapToGlobal(QPoint()), popup->grab());
    const QString list_path = folder + QStringLiteral("/serial_0_port_list.png");
    saved = with_list.save(list_path) && saved;
    std::cout << "saved " << list_path.toStdString() << std::endl;
    list->hidePopup();
    saved = Save(serial, folder, QStringLiteral("serial_1_before_run")) && saved;
    serial->findChild<QPushButton*>(QStringLiteral("cmd_ON"))->click();
    saved = Save(serial, folder, QStringLiteral("serial_2_port_open")) && saved;

    auto* progress = serial->findChild<QProgressBar*>(QStringLiteral("pgb_RS232"));
    auto* status = serial->findChild<QLabel*>(QStringLiteral("lbl_Stato"));
    bool during_saved = false;
    bool retry_saved = false;
    vantrel.ws.During_Run = [&] {
        // A run refreshes the window on a timer; bring it up to date before the picture.
        serial->Refresh_View();
        if (!during_saved && progress->value() >= 256) {
            during_saved = true;
            saved = Save(serial, folder, QStringLiteral("serial_3_during_run")) && saved;
        }
        if (!retry_saved && status->text().contains(QStringLiteral("nuovo tentativo"))) {
            retry_saved = true;
            saved = Save(serial, folder, QStringLiteral("serial_4_retry")) && saved;
        }
    };
    serial->findChild<QPushButton*>(QStringLiteral("cmd_Write_RS232"))->click();
    vantrel.ws.During_Run = nullptr;
    saved = saved && during_saved && retry_saved;
    saved = Save(serial, folder, QStringLiteral("serial_5_after_run")) && saved;

    // Another unit picked while the port is open: the label still names the open one.
    list->setCurrentIndex(list->findData(second_device));
    saved = Save(serial, folder, QStringLiteral("serial_6_other_port_picked")) && saved;
    list->setCurrentIndex(list->findData(device));
    serial->findChild<QPushButton*>(QStringLiteral("cmd_OFF"))->click();
    // The chosen unit ends: the rescan chooses nothing rather than the other unit.
    sim.terminate();
    sim.waitForFinished(3000);
    serial->findChild<QPushButton*>(QStringLiteral("cmd_Scan_RS232"))->click();
    saved = Save(serial, folder, QStringLiteral("serial_7_chosen_unit_gone")) && saved;

    // Only the serial window is closed, which closes its port: closing the main window would ask
    // about the configuration's unsaved changes and wait for a click nobody makes.
    serial->close();
    for (QProcess* unit : {&sim, &second_sim}) {
        unit->terminate();
        unit->waitForFinished(3000);
    }
    return saved;
}
