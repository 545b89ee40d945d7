// Programming runs from the serial window through the real serial control, against module-sim
// on a pseudo-terminal.
#include "Fake_Window_System.h"
#include "Log_View_Lines.h"
#include "Port_Registry.h"
#include "Qt_Console_Window_System.h"
#include "Qt_Serial_Control.h"
#include "Steady_Clock.h"
#include "Window_Test_Support.h"
#include "frm_Tessaro.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <memory>

namespace {

const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);

template <typename T = QWidget> T* Control(QWidget* window, const char* name) {
    return window->findChild<T*>(QString::fromLatin1(name));
}

void Click(QWidget* window, const char* name) {
    QTest::mouseClick(Control<QPushButton>(window, name), Qt::LeftButton);
}

QString States(QWidget* w) {
    QString s;
    for (const char* name : {"cmd_ON", "cmd_OFF", "fra_Comandi", "cmd_Write_RS232", "cmd_Exit"}) {
        s += Control(w, name)->isEnabled() ? '1' : '0';
    }
    return s;
}

// A simulated unit on a pseudo-terminal; it dumps its EEPROM into `dump` after a reset.
class Simulated_Unit {
  public:
    explicit Simulated_Unit(const QString& dump) {
        process_.start(QStringLiteral(MODULE_SIM), {"--pty", "--dump", dump});
        while (process_.state() != QProcess::NotRunning && !process_.canReadLine()) {
            process_.waitForReadyRead(5000);
        }
        Device = QString::fromLocal8Bit(process_.readLine()).trimmed().toStdString();
    }
    ~Simulated_Unit() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(1000);
        }
    }

    std::string Device;

  private:
    QProcess process_;
};

// During a run the serial window refreshes its controls on a timer; the hooks below bring them up
// to date first, as a repaint would, before they look.
struct Program_Under_Test {
    Program_Under_Test() : data(Vantrel_Program()) {
        ws.Folder = DATA_DIR;
        ws.On_Yield = [this](std::uint32_t max_wait_ms) {
            Qt_Yield(wake, max_wait_ms);
            if (During_Run) {
                During_Run();
            }
        };
        window = std::make_unique<frm_Tessaro>(data, ws, dialog, port, clock);
        window->Form_Load();
        window->show();
    }

    // Opens the serial window, picks the simulated unit's entry and opens its port.
    frm_RS232* Open_Port_Of(const std::string& device) {
        window->findChild<QAction*>(QStringLiteral("smnu_Comunicazione"))->trigger();
        frm_RS232* w = window->Serial_Window();
        int number = 0;
        for (const Port_Entry& entry : List_Ports()) {
            number = entry.Device == device ? entry.Number : number;
        }
        auto* list = Control<QComboBox>(w, "cmb_RS232");
        const int index = list->findText(QStringLiteral("COM %1").arg(number));
        if (number == 0 || index < 0) {
            return nullptr;
        }
        list->setCurrentIndex(index);
        if (Control<QLabel>(w, "lbl_Port_Device")->text().toStdString() != device) {
            return nullptr;
        }
        Click(w, "cmd_ON");
        return port.PortOpen() ? w : nullptr;
    }

    Program_Data data;
    Fake_Window_System ws;
    QTimer wake;
    Scripted_File_Dialog dialog;
    Qt_Serial_Control port;
    Steady_Clock clock;
    std::unique_ptr<frm_Tessaro> window;
    std::function<void()> During_Run;
};

QByteArray Wait_For_Dump(const QString& path) {
    for (int i = 0; i < 100 && !QFile::exists(path); ++i) {
        QTest::qWait(20);
    }
    QFile dump(path);
    dump.open(QIODevice::ReadOnly);
    return dump.readAll();
}

} // namespace

class Module_Sim_Test : public QObject {
    Q_OBJECT

  private slots:
    void A_run_from_the_window_programs_the_unit();
    void Stop_during_the_write_leaves_the_port_open_for_the_next_run();
    void Closing_the_serial_window_mid_run_closes_it_after_the_run();
};

void Module_Sim_Test::A_run_from_the_window_programs_the_unit() {
    QTemporaryDir folder;
    const QString dump = folder.filePath("eeprom.bin");
    Simulated_Unit unit(dump);
    QVERIFY(!unit.Device.empty());
    Program_Under_Test p;
    p.window->findChild<QTabWidget*>("SST_Select_Image")->setCurrentIndex(4);
    auto* glyph = p.window->findChild<QTableWidget*>("msh_Font_5x8");
    QTest::mouseClick(glyph->viewport(), Qt::LeftButton, {},
                      glyph->visualItemRect(glyph->item(0, 0)).center());
    frm_RS232* w = p.Open_Port_Of(unit.Device);
    QVERIFY(w);

    std::vector<Shown_Line> detection;
    QString states_while_writing;
    p.During_Run = [&] {
        w->Refresh_View();
        const std::string log = w->Log_Text();
        if (detection.empty() && log.rfind("0x87", 0) == 0 &&
            std::count(log.begin(), log.end(), '\n') == 2) {
            detection = Shown_Lines(Control<QTextEdit>(w, "rtb_RS232_SPY"));
        }
        if (states_while_writing.isEmpty() && Control<QProgressBar>(w, "pgb_RS232")->value() > 5) {
            states_while_writing = States(w);
        }
    };
    Click(w, "cmd_Write_RS232");

    QVERIFY(p.ws.Messages.empty());
    QVERIFY(detection.size() >= 2);
    QCOMPARE(detection[0].Text, QStringLiteral("0x87; 0x00; 0x78"));
    QCOMPARE(detection[0].Colour, Blue);
    QVERIFY(detection[1].Text.startsWith(QStringLiteral("0x87; ")));
    QCOMPARE(detection[1].Text.count(';'), 6);
    QCOMPARE(detection[1].Colour, Red);
    QCOMPARE(states_while_writing, QStringLiteral("00110"));
    QCOMPARE(States(w), QStringLiteral("01111"));
    QCOMPARE(Control<QLineEdit>(w, "txt_Send_Packet")->text(), QStringLiteral("514"));
    QCOMPARE(Control<QLineEdit>(w, "txt_Received_Packet")->text(), QStringLiteral("514"));
    QCOMPARE(Control<QProgressBar>(w, "pgb_RS232")->value(), 511);
    QCOMPARE(w->Log_Text(), std::string("0xFE; 0x00; 0x01\r\n"));
    QCOMPARE(Shown_Lines(Control<QTextEdit>(w, "rtb_RS232_SPY"))[0].Colour, Blue);

    QCOMPARE(int(p.data.EEPROM_Image[0x8000]), 1);
    const QByteArray written = Wait_For_Dump(dump);
    QVERIFY(written == QByteArray(reinterpret_cast<const char*>(p.data.EEPROM_Image.data()),
                                  qsizetype(p.data.EEPROM_Image.size())));
}

void Module_Sim_Test::Stop_during_the_write_leaves_the_port_open_for_the_next_run() {
    QTemporaryDir folder;
    Simulated_Unit unit(folder.filePath("eeprom.bin"));
    Program_Under_Test p;
    frm_RS232* w = p.Open_Port_Of(unit.Device);
    QVERIFY(w);
    p.During_Run = [&] {
        w->Refresh_View();
        if (Control<QProgressBar>(w, "pgb_RS232")->value() >= 50 && !p.data.Stop_Request) {
            Click(w, "cmd_Stop_RS232");
        }
    };
    Click(w, "cmd_Write_RS232");
    QVERIFY(p.ws.Messages.empty());
    QVERIFY(Control<QProgressBar>(w, "pgb_RS232")->value() < 60);
    QCOMPARE(States(w), QStringLiteral("01111"));
    QVERIFY(w->Log_Text().rfind("0x04; ", 0) == 0);

    p.During_Run = nullptr;
    Click(w, "cmd_Write_RS232");
    QVERIFY(p.ws.Messages.empty());
    QCOMPARE(Control<QProgressBar>(w, "pgb_RS232")->value(), 511);
    QCOMPARE(w->Log_Text(), std::string("0xFE; 0x00; 0x01\r\n"));
}

void Module_Sim_Test::Closing_the_serial_window_mid_run_closes_it_after_the_run() {
    QTemporaryDir folder;
    Simulated_Unit unit(folder.filePath("eeprom.bin"));
    Program_Under_Test p;
    QPointer<frm_RS232> w = p.Open_Port_Of(unit.Device);
    QVERIFY(w);
    bool closed = false;
    p.During_Run = [&] {
        if (w) {
            w->Refresh_View();
        }
        if (!closed && Control<QProgressBar>(w, "pgb_RS232")->value() >= 50) {
            closed = true;
            w->close();
        }
    };
    Click(w, "cmd_Write_RS232");
    QVERIFY(closed);
    QVERIFY(p.ws.Messages.empty());
    QVERIFY(!p.port.PortOpen());
    QVERIFY(p.window->Serial_Window() == nullptr);
    QVERIFY(p.window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(w.isNull());
}

QTEST_MAIN(Module_Sim_Test)
#include "windows_module_sim_test.moc"
