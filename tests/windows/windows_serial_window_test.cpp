// The serial window over a scripted serial control: scan, ON/OFF/Exit, the window's life beside
// the main window, the traffic log, and programming runs against an instantly answering unit.
#include "Window_Test_Support.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>

namespace {

// The program with its serial window open, the port open unless `open` is false.
struct Serial_Window_Under_Test : Program_Under_Test<> {
    explicit Serial_Window_Under_Test(std::set<int> ports = {1, 2}, bool open = true) {
        port.Ports = std::move(ports);
        Start();
        w = Open_Serial_Window();
        if (open) {
            Click(w, "cmd_ON");
        }
    }
    QPointer<frm_RS232> w;
};

QString Text_Of(QWidget* window, const char* name) {
    return Control<QLineEdit>(window, name)->text();
}

void Expect_Settings_Fields(QWidget* w) {
    QCOMPARE(Text_Of(w, "txt_Baud_Rates"), QStringLiteral("115200"));
    QCOMPARE(Text_Of(w, "txt_Lenght_Byte"), QStringLiteral("8"));
    QCOMPARE(Text_Of(w, "txt_Parity_Bit"), QStringLiteral("Nessuno"));
    QCOMPARE(Text_Of(w, "txt_Stop_Bit"), QStringLiteral("1"));
}

void Fill_Log_And_Counters(frm_RS232* w) {
    w->Set_Log_Text("0x87; 0x00; 0x78\r\n");
    w->Set_Counter_Text(Link_View::Counter::Sent, "3");
    w->Set_Counter_Text(Link_View::Counter::Received, "2");
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
    void ON_opens_the_scanned_device_or_says_in_Italian_why_not();
    void Exit_close_box_menu_entry_and_Esci_rule_the_windows_life();
    void Closing_a_window_mid_run_aborts_and_closes_after_the_run();
    void A_lost_port_puts_the_window_back_to_port_closed();
    void The_status_line_says_how_each_run_ended();
};

void Serial_Window_Test::Load_scans_the_ports_and_starts_closed() {
    Serial_Window_Under_Test p({1, 2, 9}, false);
    frm_RS232* w = p.w;
    auto* list = Control<QComboBox>(w, "cmb_RS232");
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->itemText(0), QString::fromUtf8("COM 1 – /dev/ttyFAKE1"));
    QCOMPARE(list->itemText(2), QString::fromUtf8("COM 9 – /dev/ttyFAKE9"));
    QCOMPARE(list->currentText(), list->itemText(0));
    QVERIFY(list->isEditable());
    QCOMPARE(States(w), Port_Closed);
    QVERIFY(Control(w, "cmd_Stop_RS232")->isEnabled());
    QVERIFY(!p.port.PortOpen());
    QVERIFY((p.port.Opened == std::vector<int>{1, 2, 9}));
    QVERIFY(!p.ws.Busy);
    QVERIFY(p.ws.Messages.empty());

    QVERIFY(!Control(w, "fra_Comandi")->isAncestorOf(Control(w, "cmd_Stop_RS232")));
    QVERIFY(Control(w, "fra_Comandi")->isAncestorOf(Control(w, "cmd_Write_RS232")));

    QCOMPARE(Control<QProgressBar>(w, "pgb_RS232")->maximum(), 512);
}

void Serial_Window_Test::ON_and_OFF_open_and_close_the_chosen_port() {
    Serial_Window_Under_Test p({1, 7, 12}, false);
    frm_RS232* w = p.w;
    for (const auto& [typed, number] : {std::pair{"COM7", 7}, std::pair{"COM 7", 7},
                                        std::pair{"COM12", 12}, std::pair{"COM  12 ", 12}}) {
        Control<QComboBox>(w, "cmb_RS232")->setEditText(QString::fromLatin1(typed));
        p.port.Settings.clear();
        Click(w, "cmd_ON");
        QVERIFY(p.port.PortOpen());
        QCOMPARE(p.port.Opened.back(), number);
        QVERIFY((p.port.Settings == std::vector<std::string>{"115200,n,8,1"}));
        QCOMPARE(States(w), Port_Open);
        Expect_Settings_Fields(w);

        Fill_Log_And_Counters(w);
        Click(w, "cmd_OFF");
        QVERIFY(!p.port.PortOpen());
        QCOMPARE(w->Log_Text(), std::string());
        QVERIFY(Control<QTextEdit>(w, "rtb_RS232_SPY")->toPlainText().isEmpty());
        QCOMPARE(Text_Of(w, "txt_Send_Packet"), QStringLiteral("3"));
        QCOMPARE(Text_Of(w, "txt_Received_Packet"), QStringLiteral("2"));
        QCOMPARE(States(w), Port_Closed);
        Expect_Settings_Fields(w);
    }
    QVERIFY(p.ws.Messages.empty());
}

void Serial_Window_Test::ON_without_a_usable_port_says_so_and_stays_closed() {
    Serial_Window_Under_Test p({}, false);
    auto* list = Control<QComboBox>(p.w, "cmb_RS232");
    QCOMPARE(list->count(), 0);
    QCOMPARE(States(p.w), Port_Closed);
    const std::string rescanned =
        "\r\nL'elenco delle porte è stato aggiornato: scegliere di nuovo la porta.";
    for (const auto& [typed, message] :
         {std::pair{"", "Porta seriale non valida: \"\"."},
          std::pair{"COMx", "Porta seriale non valida: \"COMx\"."},
          std::pair{"COM 0", "Porta seriale non valida: \"COM 0\"."},
          std::pair{"COM 32768", "Porta seriale non valida: \"COM 32768\"."},
          std::pair{"COM 3", "La porta COM 3 non è presente."}}) {
        p.ws.Messages.clear();
        list->setEditText(QString::fromLatin1(typed));
        Click(p.w, "cmd_ON");
        QCOMPARE(p.ws.Messages.size(), std::size_t(1));
        QCOMPARE(p.ws.Messages[0].Text.substr(0, p.ws.Messages[0].Text.find('\r')),
                 std::string(message));
        QCOMPARE(p.ws.Messages[0].Title, std::string("ERROR"));
        QVERIFY(p.ws.Messages[0].Icon == Message_Icon::Critical);
        QVERIFY(!p.port.PortOpen());
        QCOMPARE(States(p.w), Port_Closed);
    }
    QCOMPARE(p.ws.Messages[0].Text, "La porta COM 3 non è presente." + rescanned);
    // A port that appears after the scan is offered by the scan that follows a failed ON.
    p.port.Ports = {3};
    list->setEditText(QStringLiteral("COM 3"));
    Click(p.w, "cmd_ON");
    QCOMPARE(list->count(), 1);
    QVERIFY(!p.port.PortOpen());
    Click(p.w, "cmd_ON");
    QVERIFY(p.port.PortOpen());
    QCOMPARE(p.port.Opened.back(), 3);
    QCOMPARE(States(p.w), Port_Open);
}

void Serial_Window_Test::ON_opens_the_scanned_device_or_says_in_Italian_why_not() {
    Serial_Window_Under_Test p({1, 2}, false);
    auto* list = Control<QComboBox>(p.w, "cmb_RS232");
    auto* device = Control<QLabel>(p.w, "lbl_Port_Device");
    const auto expect_refused = [&](const std::string& message) {
        QCOMPARE(p.ws.Messages.size(), std::size_t(1));
        QCOMPARE(p.ws.Messages[0].Text, message);
        QVERIFY(!p.port.PortOpen());
        QCOMPARE(States(p.w), Port_Closed);
        p.ws.Messages.clear();
    };
    p.port.Busy = {1};
    Click(p.w, "cmd_ON");
    expect_refused("Impossibile aprire la porta COM 1 (/dev/ttyFAKE1).\r\n"
                   "La porta è in uso da un altro programma.");
    p.port.Busy.clear();
    p.port.Refuse_Settings = true;
    Click(p.w, "cmd_ON");
    expect_refused("Impossibile impostare la porta COM 1 (/dev/ttyFAKE1) a 115200,n,8,1.\r\n"
                   "La porta non accetta queste impostazioni.");
    p.port.Refuse_Settings = false;

    // Port 1 unplugged, port 5 plugged in: the entry of port 1 opens nothing else.
    p.port.Ports = {2, 5};
    const std::size_t openings = p.port.Opened.size();
    Click(p.w, "cmd_ON");
    expect_refused("La porta COM 1 (/dev/ttyFAKE1) non è più presente.\r\n"
                   "L'elenco delle porte è stato aggiornato: scegliere di nuovo la porta.");
    QCOMPARE(p.port.Opened.size(), openings + 2);
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->itemText(1), QString::fromUtf8("COM 5 – /dev/ttyFAKE5"));

    p.port.Ports = {2, 5, 6};
    Click(p.w, "cmd_Scan_RS232");
    QCOMPARE(list->count(), 3);
    for (int index : {2, 0, 1}) {
        list->setCurrentIndex(index);
        QCOMPARE(device->text(), list->itemData(index).toString());
    }
    Click(p.w, "cmd_ON");
    QCOMPARE(p.port.Opened.back(), 5);
    QVERIFY(!Control(p.w, "cmd_Scan_RS232")->isEnabled());
    Click(p.w, "cmd_OFF");
    QVERIFY(Control(p.w, "cmd_Scan_RS232")->isEnabled());
}

void Serial_Window_Test::Exit_close_box_menu_entry_and_Esci_rule_the_windows_life() {
    Serial_Window_Under_Test p;
    // The menu entry only brings the open window forward.
    Fill_Log_And_Counters(p.w);
    const std::size_t openings = p.port.Opened.size();
    QCOMPARE(p.Open_Serial_Window(), p.w.data());
    QCOMPARE(p.port.Opened.size(), openings);
    QCOMPARE(p.w->Log_Text(), std::string("0x87; 0x00; 0x78\r\n"));
    for (const bool exit_button : {true, false}) {
        exit_button ? Click(p.w, "cmd_Exit") : (void)p.w->close();
        QVERIFY(!p.port.PortOpen());
        QVERIFY(p.window->Serial_Window() == nullptr);
        QVERIFY(p.window->isVisible());
        Delete_Closed_Windows();
        QVERIFY(p.w.isNull());
        // The next load is fresh.
        p.w = p.Open_Serial_Window();
        QCOMPARE(p.w->Log_Text(), std::string());
        QCOMPARE(Text_Of(p.w, "txt_Send_Packet"), QStringLiteral("0"));
        QCOMPARE(States(p.w), Port_Closed);
        Click(p.w, "cmd_ON");
    }
    Control<QAction>(p.window.get(), "smnu_File")->trigger();
    QVERIFY(!p.window->isVisible());
    QVERIFY(!p.port.PortOpen());
    Delete_Closed_Windows();
    QVERIFY(p.w.isNull());
}

void Serial_Window_Test::Closing_a_window_mid_run_aborts_and_closes_after_the_run() {
    for (const bool main_window : {false, true}) {
        Serial_Window_Under_Test p;
        bool stayed_during_run = false;
        p.During_Run = [&] {
            if (p.port.Count(Cmd_Write_EEPROM) == 10 && !stayed_during_run) {
                main_window ? p.window->close() : p.w->close();
                stayed_during_run = p.w && p.w->isVisible() && p.window->isVisible();
            }
        };
        Click(p.w, "cmd_Write_RS232");

        QVERIFY(stayed_during_run);
        QVERIFY(p.ws.Messages.empty());
        QCOMPARE(p.port.Count(Cmd_Write_EEPROM), std::size_t(10));
        QCOMPARE(p.port.Count(Cmd_Reset_PIC), std::size_t(0));
        QVERIFY(!p.port.PortOpen());
        QVERIFY(p.window->Serial_Window() == nullptr);
        QCOMPARE(p.window->isVisible(), !main_window);
        Delete_Closed_Windows();
        QVERIFY(p.w.isNull());
        if (!main_window) {
            // The link is ready for the next window's run.
            p.w = p.Open_Serial_Window();
            Click(p.w, "cmd_ON");
            p.During_Run = nullptr;
            Click(p.w, "cmd_Write_RS232");
            QCOMPARE(p.port.Count(Cmd_Reset_PIC), std::size_t(1));
        }
    }
}

void Serial_Window_Test::A_lost_port_puts_the_window_back_to_port_closed() {
    Serial_Window_Under_Test p;
    p.port.Lose_Port();
    QCOMPARE(States(p.w), Port_Closed);
    QVERIFY(p.ws.Messages.empty());

    Click(p.w, "cmd_ON");
    p.During_Run = [&] {
        if (p.port.Count(Cmd_Write_EEPROM) == 10 && p.port.PortOpen()) {
            p.port.Lose_Port();
            QCOMPARE(States(p.w), Programming);
        }
    };
    Click(p.w, "cmd_Write_RS232");
    QCOMPARE(p.ws.Messages.size(), std::size_t(1));
    QCOMPARE(p.ws.Messages[0].Title, std::string("ERROR RS232"));
    QCOMPARE(p.port.Count(Cmd_Reset_PIC), std::size_t(0));
    QCOMPARE(States(p.w), Port_Closed);
}

void Serial_Window_Test::The_status_line_says_how_each_run_ended() {
    // Replies of the scripted unit: a command that gets no answer waits out its time-outs on the
    // manual clock.
    const auto silent_on = [](std::uint8_t command, unsigned from_block) {
        return [command, from_block](const std::string& request, std::size_t) {
            const bool write = std::uint8_t(request[0]) == Cmd_Write_EEPROM;
            const unsigned block =
                write ? (unsigned(std::uint8_t(request[4])) << 8 | std::uint8_t(request[5])) /
                            Block_Size
                      : 0;
            const bool silent = std::uint8_t(request[0]) == command && block >= from_block;
            return silent ? std::vector<std::string>{} : Answer_All(request, 0);
        };
    };
    const struct {
        const char* name;
        Scripted_Serial_Control::Responder_Function responder;
        std::function<void(Serial_Window_Under_Test&)> at_block_10;
        QString status;
        bool complete;
    } runs[] = {
        {"written", Answer_All, nullptr,
         "^Modulo programmato: 512 blocchi in \\d+,\\d s, 0 ritrasmissioni\\.$", true},
        {"not found", silent_on(Cmd_Find_Module, 0), nullptr,
         "^Modulo non trovato: nulla è stato scritto\\.$", false},
        {"write failed", silent_on(Cmd_Write_EEPROM, 20), nullptr,
         "^Scrittura fallita al blocco 21 di 512\\.$", false},
        {"stopped", Answer_All, [](auto& p) { Click(p.w, "cmd_Stop_RS232"); },
         "^Scrittura fermata al blocco 10 di 512\\.$", false},
        {"port lost", Answer_All, [](auto& p) { p.port.Lose_Port(); },
         "^Porta seriale persa al blocco 10 di 512: scrittura interrotta\\.$", false},
        {"reset refused", silent_on(Cmd_Reset_PIC, 0), nullptr,
         "^Immagine scritta, ma il reset non è stato confermato\\.$", true},
    };
    for (const auto& run : runs) {
        Serial_Window_Under_Test p;
        p.port.Responder = run.responder;
        p.During_Run = [&] {
            p.clock.Advance(1000);
            if (run.at_block_10 && p.port.Count(Cmd_Write_EEPROM) == 10 && p.port.PortOpen() &&
                !p.data.Stop_Request) {
                run.at_block_10(p);
            }
        };
        Click(p.w, "cmd_Write_RS232");
        const QString status = Control<QLabel>(p.w, "lbl_Stato")->text();
        QVERIFY2(QRegularExpression(run.status).match(status).hasMatch(),
                 qPrintable(QString::fromLatin1(run.name) + ": " + status));
        auto* progress = Control<QProgressBar>(p.w, "pgb_RS232");
        QCOMPARE(progress->text() == QStringLiteral("100%"), run.complete);
        if (run.complete) {
            QCOMPARE(progress->value(), 511);
        }
    }
}

QTEST_MAIN(Serial_Window_Test)
#include "windows_serial_window_test.moc"
