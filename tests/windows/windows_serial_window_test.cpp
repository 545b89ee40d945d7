// The serial window over a scripted serial control: scan, ON/OFF/Exit, the window's life beside
// the main window, the traffic log, and programming runs against an instantly answering unit.
#include "Fake_Window_System.h"
#include "Log_View_Lines.h"
#include "Window_Test_Support.h"
#include "frm_Tessaro.h"

#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextEdit>

#include <memory>

namespace {

const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);

struct Program_Under_Test {
    explicit Program_Under_Test(std::set<int> ports = {1, 2}) : data(Vantrel_Program()) {
        port.Present = std::move(ports);
        ws.Folder = DATA_DIR;
        ws.On_Yield = [this](std::uint32_t) {
            port.Deliver();
            if (During_Run) {
                During_Run();
            }
        };
        window = std::make_unique<frm_Tessaro>(data, ws, dialog, port, clock);
        window->Form_Load();
        window->show();
    }

    frm_RS232* Open_Serial_Window() {
        window->findChild<QAction*>(QStringLiteral("smnu_Comunicazione"))->trigger();
        return window->Serial_Window();
    }

    Program_Data data;
    Fake_Window_System ws;
    Scripted_File_Dialog dialog;
    Fake_Serial_Control port;
    Manual_Clock clock;
    std::unique_ptr<frm_Tessaro> window;
    std::function<void()> During_Run;
};

template <typename T = QWidget> T* Control(QWidget* window, const char* name) {
    return window->findChild<T*>(QString::fromLatin1(name));
}

QString Text_Of(QWidget* window, const char* name) {
    return Control<QLineEdit>(window, name)->text();
}

void Click(QWidget* window, const char* name) {
    QTest::mouseClick(Control<QPushButton>(window, name), Qt::LeftButton);
}

// Enabled state of ON, OFF, the command group, the write button and Exit.
QString States(QWidget* w) {
    QString s;
    for (const char* name : {"cmd_ON", "cmd_OFF", "fra_Comandi", "cmd_Write_RS232", "cmd_Exit"}) {
        s += Control(w, name)->isEnabled() ? '1' : '0';
    }
    return s;
}
const QString Port_Closed = QStringLiteral("10001");
const QString Port_Open = QStringLiteral("01111");
const QString Programming = QStringLiteral("00110");

void Settings_Fields_Unchanged(QWidget* w) {
    QCOMPARE(Text_Of(w, "txt_Baud_Rates"), QStringLiteral("115200"));
    QCOMPARE(Text_Of(w, "txt_Lenght_Byte"), QStringLiteral("8"));
    QCOMPARE(Text_Of(w, "txt_Parity_Bit"), QStringLiteral("Nessuno"));
    QCOMPARE(Text_Of(w, "txt_Stop_Bit"), QStringLiteral("1"));
}

void Delete_Closed_Windows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class Serial_Window_Test : public QObject {
    Q_OBJECT

  private slots:
    void Load_scans_the_ports_and_starts_closed();
    void ON_and_OFF_open_and_close_the_chosen_port();
    void ON_without_a_usable_port_says_so_and_stays_closed();
    void Exit_and_close_box_close_the_port_and_the_next_load_is_fresh();
    void The_menu_entry_twice_gives_one_window();
    void Esci_closes_both_windows();
    void The_log_shows_the_request_in_blue_and_the_reply_in_red();
    void A_run_programs_the_unit_and_gives_the_buttons_back();
    void Closing_a_window_mid_run_aborts_and_closes_after_the_run();
    void A_lost_port_puts_the_window_back_to_port_closed();
    void Closing_a_window_mid_run_aborts_and_closes_after_the_run_data();
};

void Serial_Window_Test::Load_scans_the_ports_and_starts_closed() {
    Program_Under_Test p({1, 2, 5});
    p.port.In_Use = {5};
    frm_RS232* w = p.Open_Serial_Window();
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCOMPARE(w->windowTitle(), QStringLiteral("Comunicazione seriale verso modulo LCD"));
    auto* list = Control<QComboBox>(w, "cmb_RS232");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->itemText(0), QStringLiteral("COM 1"));
    QCOMPARE(list->itemText(1), QStringLiteral("COM 2"));
    QCOMPARE(list->currentIndex(), 0);
    QCOMPARE(list->currentText(), QStringLiteral("COM 1"));
    QVERIFY(list->isEditable());
    QCOMPARE(States(w), Port_Closed);
    QVERIFY(Control(w, "cmd_Stop_RS232")->isEnabled());
    QVERIFY(!p.port.PortOpen());
    QVERIFY((p.port.Opened == std::vector<int>{1, 2}));
    QVERIFY(!p.ws.Busy);
    QVERIFY(p.ws.Messages.empty());

    const struct {
        const char* name;
        const char* caption;
        const char* tooltip;
    } controls[] = {
        {"fra_Select_RS232", "Seleziona porta seriale tra quelle disponibili:", ""},
        {"fra_RS232", "Porte disponibili:", ""},
        {"fra_Speed", "Impostazioni porta seriale:", ""},
        {"fra_Set_Port", "Attiva porta selezionata:", ""},
        {"fra_Comandi", "Lettura/Scrittura modulo LCD alarm:", ""},
        {"cmd_ON", "ON", "Attiva porta seriale selezionata"},
        {"cmd_OFF", "OFF", "Disattiva porta seriale"},
        {"cmd_Write_RS232", "Scrivi modulo LCD", "Scrive modulo LCD gestione allarmi"},
        {"cmd_Stop_RS232", "Stop ", "Abortisce scrittura / lettura modulo LCD gestione allarmi"},
        {"cmd_Exit", "E&xit", ""},
        {"lbl_Baud_Rates", "Baud Rates:", ""},
        {"lbl_Lenght_Byte", "Lunghezza dato in bit:", ""},
        {"lbl_Parity_Bit", "Bit di parità:", ""},
        {"lbl_Stop_Bit", "Bit di stop:", ""},
        {"lbl_Send_Packet", "Pacchetti inviati al PIC:", ""},
        {"lbl_Received_Packet", "Pacchetti ricevuti dal PIC:", ""},
        {"txt_Baud_Rates", "115200", "Velocità trasmissione dati"},
        {"txt_Lenght_Byte", "8", "Lunghezza dato 8 bit"},
        {"txt_Parity_Bit", "Nessuno", "Bit di parità"},
        {"txt_Stop_Bit", "1", "Numero bit di stop"},
        {"txt_Send_Packet", "0", "Numero pacchetti inviati al PIC"},
        {"txt_Received_Packet", "0", "Numero pacchetti ricevuti dal PIC"},
    };
    for (const auto& c : controls) {
        QWidget* control = Control(w, c.name);
        QVERIFY2(control, c.name);
        QString caption;
        if (auto* frame = qobject_cast<QGroupBox*>(control)) {
            caption = frame->title();
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            caption = button->text();
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            caption = label->text();
        } else if (auto* field = qobject_cast<QLineEdit*>(control)) {
            caption = field->text();
            QVERIFY(field->isReadOnly());
            QCOMPARE(field->alignment(), Qt::AlignCenter);
        }
        QCOMPARE(caption, QString::fromUtf8(c.caption));
        QCOMPARE(control->toolTip(), QString::fromUtf8(c.tooltip));
    }
    QCOMPARE(list->toolTip(), QStringLiteral("Selezionare una porta seriale dall'elenco"));
    QVERIFY(!Control(w, "fra_Comandi")->isAncestorOf(Control(w, "cmd_Stop_RS232")));
    QVERIFY(Control(w, "fra_Comandi")->isAncestorOf(Control(w, "cmd_Write_RS232")));

    auto* log = Control<QTextEdit>(w, "rtb_RS232_SPY");
    QCOMPARE(log->font().family(), QStringLiteral("Courier New"));
    QVERIFY(log->font().bold());
    QCOMPARE(log->font().pointSizeF(), 9.75);
    QVERIFY(log->toPlainText().isEmpty());
    auto* progress = Control<QProgressBar>(w, "pgb_RS232");
    QCOMPARE(progress->minimum(), 0);
    QCOMPARE(progress->maximum(), 512);

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // The load step centres the window before its frame exists, so the frame may shift it a
    // few pixels.
    QVERIFY(std::abs(w->frameGeometry().center().x() - screen.center().x()) <= 4);
    QVERIFY(std::abs(w->frameGeometry().center().y() - screen.center().y()) <= 4);
}

void Serial_Window_Test::ON_and_OFF_open_and_close_the_chosen_port() {
    Program_Under_Test p({1, 7, 12});
    frm_RS232* w = p.Open_Serial_Window();
    auto* list = Control<QComboBox>(w, "cmb_RS232");
    for (const auto& [typed, number] : {std::pair{"COM7", 7}, std::pair{"COM 7", 7},
                                        std::pair{"COM12", 12}, std::pair{"COM  12 ", 12}}) {
        list->setEditText(QString::fromLatin1(typed));
        p.port.Settings.clear();
        Click(w, "cmd_ON");
        QVERIFY(p.port.PortOpen());
        QCOMPARE(p.port.Opened.back(), number);
        QVERIFY((p.port.Settings == std::vector<std::string>{"115200,n,8,1"}));
        QVERIFY(!p.port.Settings_While_Closed);
        QCOMPARE(States(w), Port_Open);
        Settings_Fields_Unchanged(w);

        w->Set_Log_Text("0x87; 0x00; 0x78\r\n");
        w->Set_Counter_Text(Link_View::Counter::Sent, "3");
        w->Set_Counter_Text(Link_View::Counter::Received, "2");
        Click(w, "cmd_OFF");
        QVERIFY(!p.port.PortOpen());
        QCOMPARE(w->Log_Text(), std::string());
        QVERIFY(Control<QTextEdit>(w, "rtb_RS232_SPY")->toPlainText().isEmpty());
        QCOMPARE(Text_Of(w, "txt_Send_Packet"), QStringLiteral("3"));
        QCOMPARE(Text_Of(w, "txt_Received_Packet"), QStringLiteral("2"));
        QCOMPARE(States(w), Port_Closed);
        Settings_Fields_Unchanged(w);
    }
    QVERIFY(p.ws.Messages.empty());
}

void Serial_Window_Test::ON_without_a_usable_port_says_so_and_stays_closed() {
    Program_Under_Test p(std::set<int>{});
    frm_RS232* w = p.Open_Serial_Window();
    auto* list = Control<QComboBox>(w, "cmb_RS232");
    QCOMPARE(list->count(), 0);
    QCOMPARE(States(w), Port_Closed);

    for (const char* typed : {"", "COM", "COMx", "COM 0", "COM 99999", "COM 3"}) {
        p.ws.Messages.clear();
        list->setEditText(QString::fromLatin1(typed));
        Click(w, "cmd_ON");
        QCOMPARE(p.ws.Messages.size(), std::size_t(1));
        QCOMPARE(p.ws.Messages[0].Title, std::string("ERROR"));
        QVERIFY(p.ws.Messages[0].Icon == Message_Icon::Critical);
        QVERIFY(!p.port.PortOpen());
        QCOMPARE(States(w), Port_Closed);
    }
    // A port that appears after the scan can still be typed and opened.
    p.port.Present = {3};
    p.ws.Messages.clear();
    Click(w, "cmd_ON");
    QVERIFY(p.ws.Messages.empty());
    QVERIFY(p.port.PortOpen());
    QCOMPARE(States(w), Port_Open);
}

void Serial_Window_Test::Exit_and_close_box_close_the_port_and_the_next_load_is_fresh() {
    Program_Under_Test p;
    for (bool exit_button : {true, false}) {
        QPointer<frm_RS232> w = p.Open_Serial_Window();
        const std::size_t scans_before = p.port.Opened.size();
        Click(w, "cmd_ON");
        QVERIFY(p.port.PortOpen());
        w->Set_Log_Text("0x87; 0x00; 0x78\r\n");
        w->Set_Counter_Text(Link_View::Counter::Sent, "5");
        if (exit_button) {
            Click(w, "cmd_Exit");
        } else {
            w->close();
        }
        QVERIFY(!p.port.PortOpen());
        QVERIFY(p.window->Serial_Window() == nullptr);
        QVERIFY(p.window->isVisible());
        Delete_Closed_Windows();
        QVERIFY(w.isNull());

        frm_RS232* again = p.Open_Serial_Window();
        QVERIFY(p.port.Opened.size() > scans_before + 1);
        QCOMPARE(again->Log_Text(), std::string());
        QCOMPARE(Text_Of(again, "txt_Send_Packet"), QStringLiteral("0"));
        QCOMPARE(Text_Of(again, "txt_Received_Packet"), QStringLiteral("0"));
        QCOMPARE(States(again), Port_Closed);
        again->close();
        Delete_Closed_Windows();
    }
}

void Serial_Window_Test::The_menu_entry_twice_gives_one_window() {
    Program_Under_Test p;
    frm_RS232* first = p.Open_Serial_Window();
    Click(first, "cmd_ON");
    first->Set_Log_Text("0x87; 0x00; 0x78\r\n");
    first->Set_Counter_Text(Link_View::Counter::Sent, "1");
    const std::size_t openings = p.port.Opened.size();

    frm_RS232* second = p.Open_Serial_Window();
    QCOMPARE(second, first);
    QCOMPARE(p.port.Opened.size(), openings);
    QVERIFY(p.port.PortOpen());
    QCOMPARE(second->Log_Text(), std::string("0x87; 0x00; 0x78\r\n"));
    QCOMPARE(Text_Of(second, "txt_Send_Packet"), QStringLiteral("1"));
    int serial_windows = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        serial_windows += qobject_cast<frm_RS232*>(top) && top->isVisible() ? 1 : 0;
    }
    QCOMPARE(serial_windows, 1);
}

void Serial_Window_Test::Esci_closes_both_windows() {
    Program_Under_Test p;
    QPointer<frm_RS232> w = p.Open_Serial_Window();
    Click(w, "cmd_ON");
    p.window->findChild<QAction*>(QStringLiteral("smnu_File"))->trigger();
    QVERIFY(!p.window->isVisible());
    QVERIFY(!p.port.PortOpen());
    QVERIFY(p.window->Serial_Window() == nullptr);
    Delete_Closed_Windows();
    QVERIFY(w.isNull());
}

void Serial_Window_Test::The_log_shows_the_request_in_blue_and_the_reply_in_red() {
    Program_Under_Test p;
    frm_RS232* w = p.Open_Serial_Window();
    auto* log = Control<QTextEdit>(w, "rtb_RS232_SPY");
    RS232_Link& link = p.window->Link();

    link.Log_Sent(std::string("\x87\x00\x78", 3));
    link.Log_Received(std::string("\x87\x04\x41\x42\x43\x44\x6A", 7));
    QCOMPARE(w->Log_Text(), std::string("0x87; 0x00; 0x78\r\n"
                                        "0x87; 0x04; 0x41; 0x42; 0x43; 0x44; 0x6A\r\n"));
    auto lines = Shown_Lines(log);
    QCOMPARE(lines.size(), std::size_t(3));
    QCOMPARE(lines[0].Text, QStringLiteral("0x87; 0x00; 0x78"));
    QCOMPARE(lines[0].Colour, Blue);
    QCOMPARE(lines[1].Text, QStringLiteral("0x87; 0x04; 0x41; 0x42; 0x43; 0x44; 0x6A"));
    QCOMPARE(lines[1].Colour, Red);
    QCOMPARE(lines[2].Text, QString());

    link.Log_Sent(std::string("\x00\x0A\xFF", 3));
    link.Log_Received(std::string());
    QCOMPARE(w->Log_Text(), std::string("0x00; 0x0A; 0xFF\r\n\r\n"));
    lines = Shown_Lines(log);
    QCOMPARE(lines.size(), std::size_t(3));
    QCOMPARE(lines[0].Text, QStringLiteral("0x00; 0x0A; 0xFF"));
    QCOMPARE(lines[0].Colour, Blue);
    QCOMPARE(lines[1].Text, QString());
}

void Serial_Window_Test::A_run_programs_the_unit_and_gives_the_buttons_back() {
    Program_Under_Test p;
    frm_RS232* w = p.Open_Serial_Window();
    Click(w, "cmd_ON");
    QString states_while_writing;
    p.During_Run = [&] {
        if (p.port.Count_Sent(Cmd_Write_EEPROM) == 100 && states_while_writing.isEmpty()) {
            states_while_writing = States(w);
            // A second click while the run waits must not start another run.
            Click(w, "cmd_Write_RS232");
        }
    };
    Click(w, "cmd_Write_RS232");

    QVERIFY(p.ws.Messages.empty());
    QCOMPARE(states_while_writing, Programming);
    QCOMPARE(States(w), Port_Open);
    QVERIFY(p.port.PortOpen());
    QCOMPARE(p.port.Count_Sent(Cmd_Find_Module), 1);
    QCOMPARE(p.port.Count_Sent(Cmd_Write_EEPROM), 512);
    QCOMPARE(p.port.Count_Sent(Cmd_Reset_PIC), 1);
    QCOMPARE(Text_Of(w, "txt_Send_Packet"), QStringLiteral("514"));
    QCOMPARE(Text_Of(w, "txt_Received_Packet"), QStringLiteral("514"));
    QCOMPARE(Control<QProgressBar>(w, "pgb_RS232")->value(), 511);
    QCOMPARE(w->Log_Text(), std::string("0xFE; 0x00; 0x01\r\n"));
    QCOMPARE(Shown_Lines(Control<QTextEdit>(w, "rtb_RS232_SPY"))[0].Colour, Blue);
}

void Serial_Window_Test::Closing_a_window_mid_run_aborts_and_closes_after_the_run_data() {
    QTest::addColumn<bool>("main_window");
    QTest::newRow("serial window") << false;
    QTest::newRow("main window") << true;
}

void Serial_Window_Test::Closing_a_window_mid_run_aborts_and_closes_after_the_run() {
    QFETCH(bool, main_window);
    Program_Under_Test p;
    QPointer<frm_RS232> w = p.Open_Serial_Window();
    Click(w, "cmd_ON");
    bool stayed_during_run = false;
    p.During_Run = [&] {
        if (p.port.Count_Sent(Cmd_Write_EEPROM) == 10 && !stayed_during_run) {
            if (main_window) {
                p.window->close();
            } else {
                w->close();
            }
            stayed_during_run = w && w->isVisible() && p.window->isVisible();
        }
    };
    Click(w, "cmd_Write_RS232");

    QVERIFY(stayed_during_run);
    QVERIFY(p.ws.Messages.empty());
    QCOMPARE(p.port.Count_Sent(Cmd_Write_EEPROM), 10);
    QCOMPARE(p.port.Count_Sent(Cmd_Reset_PIC), 0);
    QVERIFY(!p.port.PortOpen());
    QVERIFY(p.window->Serial_Window() == nullptr);
    QCOMPARE(p.window->isVisible(), !main_window);
    Delete_Closed_Windows();
    QVERIFY(w.isNull());

    if (!main_window) {
        // The link is ready for the next window's run.
        frm_RS232* again = p.Open_Serial_Window();
        Click(again, "cmd_ON");
        p.During_Run = nullptr;
        Click(again, "cmd_Write_RS232");
        QCOMPARE(p.port.Count_Sent(Cmd_Reset_PIC), 1);
    }
}

void Serial_Window_Test::A_lost_port_puts_the_window_back_to_port_closed() {
    Program_Under_Test p;
    frm_RS232* w = p.Open_Serial_Window();
    Click(w, "cmd_ON");
    p.port.Lose_Port();
    QCOMPARE(States(w), Port_Closed);
    QVERIFY(p.ws.Messages.empty());

    Click(w, "cmd_ON");
    p.During_Run = [&] {
        if (p.port.Count_Sent(Cmd_Write_EEPROM) == 10 && p.port.PortOpen()) {
            p.port.Lose_Port();
            QCOMPARE(States(w), Programming);
        }
    };
    Click(w, "cmd_Write_RS232");
    QCOMPARE(p.ws.Messages.size(), std::size_t(1));
    QCOMPARE(p.ws.Messages[0].Title, std::string("ERROR RS232"));
    QCOMPARE(p.port.Count_Sent(Cmd_Reset_PIC), 0);
    QCOMPARE(States(w), Port_Closed);
}

QTEST_MAIN(Serial_Window_Test)
#include "windows_serial_window_test.moc"
