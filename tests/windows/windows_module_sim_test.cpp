// Programming runs from the serial window through the real serial control, against module-sim
// on a pseudo-terminal.
#include "Child_Process.h"
#include "Window_Test_Support.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QTabWidget>
#include <QTableWidget>

namespace {

// Picks the list entry bound to `device`.
void Choose(QWidget* w, const std::string& device) {
    auto* list = Control<QComboBox>(w, "cmb_RS232");
    list->setCurrentIndex(list->findData(QString::fromStdString(device)));
}

// A simulated unit dumping its EEPROM, and the program with the unit's port open in its serial
// window. During a run the window refreshes its controls on a timer; Look() brings them up to
// date first, as a repaint would.
struct Run_Against_Unit : Program_Under_Test<Qt_Serial_Control> {
    Run_Against_Unit() {
        Start();
        w = Open_Serial_Window();
        Choose(w, unit.Device);
        Device_Shown = Control<QLabel>(w, "lbl_Port_Device")->text().toStdString();
        Click(w, "cmd_ON");
    }
    int Progress() {
        w->Refresh_View();
        return Control<QProgressBar>(w, "pgb_RS232")->value();
    }

    Temp_Folder folder{"window-sim"};
    Simulated_Unit unit{{"--dump", folder / "eeprom.bin"}};
    QPointer<frm_RS232> w;
    std::string Device_Shown;
};

} // namespace

class Module_Sim_Test : public QObject {
    Q_OBJECT

  private slots:
    // The scan opens every listed port for a moment: units of other tests stay out of its way.
    void initTestCase() { ::setenv("XDG_RUNTIME_DIR", registry_.Path().c_str(), 1); }
    void A_run_from_the_window_programs_the_unit();
    void An_entry_opens_its_own_unit_after_others_come_and_go();

  private:
    Temp_Folder registry_{"window-ports"};
};

void Module_Sim_Test::A_run_from_the_window_programs_the_unit() {
    Run_Against_Unit p;
    QCOMPARE(p.Device_Shown, p.unit.Device);
    QVERIFY(p.port.PortOpen());
    Control<Glyph_Grid>(p.window.get(), "msh_Font_5x8")->Toggle_Cell(0, 0);

    std::vector<Shown_Line> detection;
    QString states_while_writing;
    p.During_Run = [&] {
        p.Progress();
        const std::string log = p.w->Log_Text();
        if (detection.empty() && log.rfind("0x87", 0) == 0 &&
            std::count(log.begin(), log.end(), '\n') == 2) {
            detection = Shown_Lines(p.w);
        }
        if (states_while_writing.isEmpty() && p.Progress() > 5) {
            states_while_writing = States(p.w);
            // A second click while the run waits must not start another run.
            Click(p.w, "cmd_Write_RS232");
        }
    };
    Click(p.w, "cmd_Write_RS232");

    QVERIFY(p.ws.Messages.empty());
    QVERIFY(detection.size() >= 2);
    QCOMPARE(detection[0].Text, QStringLiteral("0x87; 0x00; 0x78"));
    QCOMPARE(detection[0].Colour, Blue);
    QVERIFY(detection[1].Text.startsWith(QStringLiteral("0x87; ")));
    QCOMPARE(detection[1].Text.count(';'), 6);
    QCOMPARE(detection[1].Colour, Red);
    QCOMPARE(states_while_writing, Programming);
    QCOMPARE(States(p.w), Port_Open);
    QCOMPARE(Control<QLineEdit>(p.w, "txt_Send_Packet")->text(), QStringLiteral("514"));
    QCOMPARE(Control<QLineEdit>(p.w, "txt_Received_Packet")->text(), QStringLiteral("514"));
    QCOMPARE(p.Progress(), 511);
    QCOMPARE(p.w->Log_Text(), std::string("0xFE; 0x00; 0x01\r\n"));
    QCOMPARE(Shown_Lines(p.w)[0].Colour, Blue);

    QCOMPARE(int(p.data.EEPROM_Image[0x8000]), 1);
    const std::string written = Read_File(p.folder / "eeprom.bin");
    QVERIFY(written == std::string(p.data.EEPROM_Image.begin(), p.data.EEPROM_Image.end()));
}

void Module_Sim_Test::An_entry_opens_its_own_unit_after_others_come_and_go() {
    Program_Under_Test<Qt_Serial_Control> p;
    p.Start();
    std::optional<Simulated_Unit> ending(std::in_place, std::vector<std::string>{});
    Simulated_Unit staying({});
    QPointer<frm_RS232> w = p.Open_Serial_Window();
    auto* list = Control<QComboBox>(w, "cmb_RS232");
    QVERIFY(list->findData(QString::fromStdString(staying.Device)) >= 0);
    Choose(w, ending->Device);
    const std::string gone =
        "La porta " + list->currentText().section(QString::fromUtf8(" – "), 0, 0).toStdString() +
        " (" + ending->Device + ") non è più presente.";

    // The unit ends and a new one starts, often on the pseudo-terminal the first one had.
    ending.reset();
    Simulated_Unit started({});
    Click(w, "cmd_ON");
    QCOMPARE(p.ws.Messages.size(), std::size_t(1));
    QCOMPARE(p.ws.Messages[0].Text.substr(0, gone.size()), gone);
    QVERIFY(!p.port.PortOpen());
    QCOMPARE(States(w), Port_Closed);
    QVERIFY(list->findData(QString::fromStdString(started.Device)) >= 0);
    QCOMPARE(Control<QLabel>(w, "lbl_Port_Device")->text(), list->currentData().toString());

    Choose(w, staying.Device);
    Click(w, "cmd_ON");
    QCOMPARE(p.ws.Messages.size(), std::size_t(1));
    QVERIFY(p.port.PortOpen());
    QCOMPARE(p.port.Device(), staying.Device);
}

QTEST_MAIN(Module_Sim_Test)
#include "windows_module_sim_test.moc"
