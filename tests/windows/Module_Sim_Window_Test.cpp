// A programming run from the serial window through the real serial control, against module-sim
// on a pseudo-terminal.
#include "Child_Process.h"
#include "Window_Test_Support.h"

#include <QColor>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QTextBlock>
#include <QTextEdit>

namespace {

// What the traffic log shows: each line with the one colour of all its characters (invalid when
// a line mixes colours).
std::vector<std::pair<QString, QColor>> Shown_Lines(frm_RS232* w) {
    // During a run the window refreshes on a timer; this brings it up to date, as a repaint would.
    w->Refresh_View();
    std::vector<std::pair<QString, QColor>> lines;
    const QTextDocument* log = Control<QTextEdit>(w, "rtb_RS232_SPY")->document();
    for (QTextBlock block = log->begin(); block.isValid(); block = block.next()) {
        lines.emplace_back(block.text(), QColor());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QColor colour = it.fragment().charFormat().foreground().color();
            lines.back().second =
                it == block.begin() || colour == lines.back().second ? colour : QColor();
        }
    }
    return lines;
}

} // namespace

class Module_Sim_Window_Test : public QObject {
    Q_OBJECT

  private slots:
    // The scan opens every listed port for a moment: units of other tests stay out of its way.
    void initTestCase() { ::setenv("XDG_RUNTIME_DIR", registry_.Path().c_str(), 1); }
    void A_Run_From_The_Window_Programs_The_Unit();

  private:
    Temp_Folder registry_{"window-ports"};
};

void Module_Sim_Window_Test::A_Run_From_The_Window_Programs_The_Unit() {
    Temp_Folder folder{"window-sim"};
    Simulated_Unit unit{{"--dump", folder / "eeprom.bin"}};
    Program_Under_Test<Qt_Serial_Control> p;
    p.Start();
    QPointer<frm_RS232> w = p.Open_Serial_Window();
    auto* list = Control<QComboBox>(w, "cmb_RS232");
    list->setCurrentIndex(list->findData(QString::fromStdString(unit.Device)));
    Click(w, "cmd_ON");
    QVERIFY(p.port.PortOpen());
    QCOMPARE(States(w), Port_Open);
    // A lit glyph column makes the blocks of the image differ.
    Control<Glyph_Grid>(p.window.get(), "msh_Font_5x8")->Toggle_Cell(0, 0);

    std::vector<std::pair<QString, QColor>> detection;
    QString states_while_writing;
    p.During_Run = [&] {
        const std::string log = w->Log_Text();
        if (detection.empty() && log.rfind("0x87", 0) == 0 &&
            std::count(log.begin(), log.end(), '\n') == 2) {
            detection = Shown_Lines(w);
        }
        if (states_while_writing.isEmpty() && log.rfind("0x04", 0) == 0) {
            states_while_writing = States(w);
            // A second click while the run waits must not start another run.
            Click(w, "cmd_Write_RS232");
        }
    };
    Click(w, "cmd_Write_RS232");

    QVERIFY(p.ws.Messages.empty());
    // The log holds the last request in blue, followed by its reply in red.
    QVERIFY(detection.size() >= 2);
    QCOMPARE(detection[0].first, QStringLiteral("0x87; 0x00; 0x78"));
    QCOMPARE(detection[0].second, QColor(Qt::blue));
    QVERIFY(detection[1].first.startsWith(QStringLiteral("0x87; ")));
    QCOMPARE(detection[1].first.count(';'), 6);
    QCOMPARE(detection[1].second, QColor(Qt::red));
    QCOMPARE(states_while_writing, Programming);
    QCOMPARE(States(w), Port_Open);
    QCOMPARE(Control<QLineEdit>(w, "txt_Send_Packet")->text(), QStringLiteral("514"));
    QCOMPARE(Control<QLineEdit>(w, "txt_Received_Packet")->text(), QStringLiteral("514"));
    QCOMPARE(Control<QProgressBar>(w, "pgb_RS232")->value(), 511);
    // The reset's acknowledgement is not logged.
    QCOMPARE(w->Log_Text(), std::string("0xFE; 0x00; 0x01\r\n"));
    QCOMPARE(Shown_Lines(w)[0].second, QColor(Qt::blue));

    const std::string written = Read_File(folder / "eeprom.bin");
    QVERIFY(written == std::string(p.data.EEPROM_Image.begin(), p.data.EEPROM_Image.end()));
}

QTEST_MAIN(Module_Sim_Window_Test)
#include "Module_Sim_Window_Test.moc"
