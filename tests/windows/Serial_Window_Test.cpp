// The serial window over a scripted serial control: the port choice, ON/OFF, the window's end
// beside the main window, and programming runs against an instantly answering unit.
#include "Window_Test_Support.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextEdit>

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

} // namespace

class Serial_Window_Test : public QObject {
    Q_OBJECT

  private slots:
    void ON_Opens_The_Chosen_Port_Or_Says_In_Italian_Why_Not();
    void The_Label_Names_The_Open_Port_And_Rescans_Keep_The_Chosen_Unit();
    void Every_Run_Ends_With_Its_Status_Buttons_And_Reset();
    void Exit_And_Closing_Mid_Run_End_The_Window_After_The_Run();
};

void Serial_Window_Test::ON_Opens_The_Chosen_Port_Or_Says_In_Italian_Why_Not() {
    Serial_Window_Under_Test p({1, 2, 7}, false);
    auto* list = Control<QComboBox>(p.w, "cmb_RS232");
    QCOMPARE(list->itemText(0), QString::fromUtf8("COM 1 – /dev/ttyFAKE1"));
    QCOMPARE(States(p.w), Port_Closed);
    const std::string rescanned =
        "\r\nL'elenco delle porte è stato aggiornato: scegliere di nuovo la porta.";
    // A typed text, or the first entry after a change of the ports (typed is null); the label
    // under the list once ON has done.
    const struct {
        const char* typed;
        std::function<void()> change;
        int opens;
        std::string says;
        const char* label;
    } cases[] = {
        {"COM7", nullptr, 7, "", "Porta aperta: /dev/ttyFAKE7"},
        // Cut to 16 bits 65543 would be port 7.
        {"COM 65543", nullptr, 0, "Porta seriale non valida: \"COM 65543\".", ""},
        {"COM 3", nullptr, 0, "La porta COM 3 non è presente." + rescanned, "/dev/ttyFAKE1"},
        {nullptr, [&] { p.port.Busy = {1}; }, 0,
         "Impossibile aprire la porta COM 1 (/dev/ttyFAKE1).\r\n"
         "La porta è in uso da un altro programma.",
         "/dev/ttyFAKE1"},
        // Found by a scan all the same, so that ON can say why it does not open.
        {nullptr,
         [&] {
             p.port.Refuse_Settings = true;
             Click(p.w, "cmd_Scan_RS232");
         },
         0,
         "Impossibile impostare la porta COM 1 (/dev/ttyFAKE1) a 115200,n,8,1.\r\n"
         "La porta non accetta queste impostazioni.",
         "/dev/ttyFAKE1"},
        // Port 1 unplugged, port 5 plugged in: the entry of port 1 opens nothing else, and the
        // rescan chooses nothing in its place.
        {nullptr,
         [&] {
             p.port.Ports = {2, 5};
         },
         0, "La porta COM 1 (/dev/ttyFAKE1) non è più presente." + rescanned,
         "La porta /dev/ttyFAKE1 non è più disponibile"},
        {nullptr, [] {}, 2, "", "Porta aperta: /dev/ttyFAKE2"},
    };
    for (const auto& c : cases) {
        p.ws.Messages.clear();
        p.port.Busy.clear();
        p.port.Refuse_Settings = false;
        if (c.typed) {
            list->setEditText(QString::fromLatin1(c.typed));
        } else {
            c.change();
            list->setCurrentIndex(0);
        }
        Click(p.w, "cmd_ON");
        QCOMPARE(p.port.PortOpen(), c.opens != 0);
        QCOMPARE(Control<QLabel>(p.w, "lbl_Port_Device")->text(), QString::fromUtf8(c.label));
        if (c.opens) {
            QVERIFY(p.ws.Messages.empty());
            QCOMPARE(p.port.Opened.back(), c.opens);
            QCOMPARE(p.port.Settings.back(), std::string("115200,n,8,1"));
            QCOMPARE(States(p.w), Port_Open);
            Click(p.w, "cmd_OFF");
            QVERIFY(!p.port.PortOpen());
        } else {
            QCOMPARE(p.ws.Messages.size(), std::size_t(1));
            QCOMPARE(p.ws.Messages[0].Text, c.says);
        }
        QCOMPARE(States(p.w), Port_Closed);
    }
    QCOMPARE(list->itemText(1), QString::fromUtf8("COM 5 – /dev/ttyFAKE5"));

    // A port lost outside a run closes the window's port without a word.
    Click(p.w, "cmd_ON");
    p.port.Lose_Port();
    QCOMPARE(States(p.w), Port_Closed);
    QVERIFY(p.ws.Messages.empty());
}

void Serial_Window_Test::The_Label_Names_The_Open_Port_And_Rescans_Keep_The_Chosen_Unit() {
    Serial_Window_Under_Test p({1, 2, 4}, false);
    auto* list = Control<QComboBox>(p.w, "cmb_RS232");
    const auto pick = [&](int index) {
        return [&p, list, index] { list->setCurrentIndex(index); };
    };
    const auto open_at = [&](int index) {
        return [&p, list, index] {
            list->setCurrentIndex(index);
            Click(p.w, "cmd_ON");
        };
    };
    const auto rescan_with = [&](std::set<int> ports) {
        return [&p, ports] {
            p.port.Ports = ports;
            Click(p.w, "cmd_Scan_RS232");
        };
    };
    const QString open_2 = QStringLiteral("Porta aperta: /dev/ttyFAKE2");
    const QString written_on_2 =
        QStringLiteral("^Modulo programmato su /dev/ttyFAKE2: 512 blocchi in \\d+,\\d s");
    // After each step: the label, the list's text, the device open (0 for none) and the status.
    const struct {
        const char* step;
        std::function<void()> act;
        QString label, text;
        int open;
        QString status;
    } steps[] = {
        {"COM 2 opened", open_at(1), open_2, "COM 2 – /dev/ttyFAKE2", 2, "^$"},
        {"COM 1 picked while open", pick(0), open_2 + " – la scelta vale dopo OFF e ON",
         "COM 1 – /dev/ttyFAKE1", 2, "^$"},
        {"a run writes the open port", [&] { Click(p.w, "cmd_Write_RS232"); },
         open_2 + " – la scelta vale dopo OFF e ON", "COM 1 – /dev/ttyFAKE1", 2, written_on_2},
        {"COM 2 picked again", pick(1), open_2, "COM 2 – /dev/ttyFAKE2", 2, written_on_2},
        {"OFF", [&] { Click(p.w, "cmd_OFF"); }, "/dev/ttyFAKE2", "COM 2 – /dev/ttyFAKE2", 0,
         written_on_2},
        {"port 1 gone, the rest renumbered",
         [&] {
             p.port.Numbered_In_Order = true;
             rescan_with({2, 4})();
         },
         "/dev/ttyFAKE2", "COM 1 – /dev/ttyFAKE2", 0, written_on_2},
        {"the chosen unit gone", rescan_with({1, 4}),
         "La porta /dev/ttyFAKE2 non è più disponibile", "", 0, written_on_2},
        {"ON with nothing chosen", [&] { Click(p.w, "cmd_ON"); },
         "La porta /dev/ttyFAKE2 non è più disponibile", "", 0, written_on_2},
        {"rescanned while it is still gone", rescan_with({1, 3, 4}),
         "La porta /dev/ttyFAKE2 non è più disponibile", "", 0, written_on_2},
        {"the chosen unit back", rescan_with({1, 2, 4}), "/dev/ttyFAKE2", "COM 2 – /dev/ttyFAKE2",
         0, written_on_2},
        {"another one chosen and opened", open_at(2), "Porta aperta: /dev/ttyFAKE4",
         "COM 3 – /dev/ttyFAKE4", 4, written_on_2},
    };
    for (const auto& s : steps) {
        s.act();
        QVERIFY2(p.ws.Messages.empty(), s.step);
        QCOMPARE(Control<QLabel>(p.w, "lbl_Port_Device")->text(), s.label);
        QCOMPARE(list->currentText(), s.text);
        QCOMPARE(p.port.PortOpen() ? p.port.Opened.back() : 0, s.open);
        const QString status = Control<QLabel>(p.w, "lbl_Stato")->text();
        QVERIFY2(QRegularExpression(s.status).match(status).hasMatch(), s.step);
        QCOMPARE(States(p.w), s.open ? Port_Open : Port_Closed);
    }
    QCOMPARE(list->currentIndex(), 2);
}

void Serial_Window_Test::Every_Run_Ends_With_Its_Status_Buttons_And_Reset() {
    // A command that gets no answer waits out its time-outs on the manual clock.
    // `shows`: status lines seen during the run, in this order, the last one the last seen,
    // separated by " | ".
    const QString again = QStringLiteral(": nuovo tentativo %1 di 3");
    const struct {
        Scripted_Serial_Control::Responder_Function responder;
        std::function<void(Serial_Window_Under_Test&)> at_block_10;
        QString status;
        std::size_t messages, resets;
        QString after;
        QString shows;
    } runs[] = {
        {Answer_All, nullptr,
         "^Modulo programmato su /dev/ttyFAKE1: 512 blocchi in \\d+,\\d s, 0 ritrasmissioni\\.$", 0,
         1, Port_Open,
         "Ricerca del modulo… | Blocco 1 di 512 | Blocco 512 di 512 | Reset del modulo…"},
        {Silent_On(Cmd_Find_Module), nullptr,
         "^Modulo non trovato su /dev/ttyFAKE1: nulla è stato scritto\\.$", 1, 0, Port_Open,
         "Ricerca del modulo… | Ricerca del modulo" + again.arg(2) + " | Ricerca del modulo" +
             again.arg(3)},
        {Silent_On(Cmd_Write_EEPROM, 20), nullptr,
         "^Scrittura su /dev/ttyFAKE1 fallita al blocco 21 di 512\\.$", 1, 1, Port_Open,
         "Blocco 20 di 512 | Blocco 21 di 512 | Blocco 21" + again.arg(2) + " | Blocco 21" +
             again.arg(3) + " | Reset del modulo…"},
        // The block the status line names when Stop is clicked is the one the end names.
        {Answer_All, [](auto& p) { Click(p.w, "cmd_Stop_RS232"); },
         "^Scrittura su /dev/ttyFAKE1 fermata al blocco 10 di 512\\.$", 0, 0, Port_Open,
         "Ricerca del modulo… | Blocco 10 di 512"},
        {Answer_All, [](auto& p) { p.port.Lose_Port(); },
         "^Porta seriale /dev/ttyFAKE1 persa al blocco 10 di 512: scrittura interrotta\\.$", 1, 0,
         Port_Closed, "Blocco 10 di 512"},
        {Silent_On(Cmd_Reset_PIC), nullptr,
         "^Immagine scritta su /dev/ttyFAKE1, ma il reset non è stato confermato\\.$", 1, 3,
         Port_Open,
         "Blocco 512 di 512 | Reset del modulo… | Reset del modulo" + again.arg(2) +
             " | Reset del modulo" + again.arg(3)},
    };
    for (const auto& run : runs) {
        Serial_Window_Under_Test p;
        p.port.Responder = run.responder;
        QString during;
        QStringList shown;
        p.During_Run = [&] {
            p.clock.Advance(1000);
            p.w->Refresh_View();
            const QString line = Control<QLabel>(p.w, "lbl_Stato")->text();
            if (shown.isEmpty() || shown.back() != line) {
                shown.push_back(line);
            }
            if (during.isEmpty() && p.port.Count(Cmd_Write_EEPROM) == 10) {
                during = States(p.w);
                if (run.at_block_10) {
                    run.at_block_10(p);
                }
            }
        };
        Click(p.w, "cmd_Write_RS232");
        const QString status = Control<QLabel>(p.w, "lbl_Stato")->text();
        QVERIFY2(QRegularExpression(run.status).match(status).hasMatch(), qPrintable(status));
        QCOMPARE(p.ws.Messages.size(), run.messages);
        const QStringList shows = run.shows.split(QStringLiteral(" | "));
        QCOMPARE(shown.back(), shows.back());
        qsizetype next = 0;
        for (const QString& line : shown) {
            next += next < shows.size() && line == shows[next];
        }
        QVERIFY2(next == shows.size(), qPrintable(shown.join(QStringLiteral(" | "))));
        QCOMPARE(p.port.Count(Cmd_Reset_PIC), run.resets);
        const std::size_t writes = p.port.Count(Cmd_Write_EEPROM);
        QCOMPARE(during, writes < 10 ? QString() : Programming);
        QCOMPARE(States(p.w), run.after);
        if (run.messages == 0 && run.resets == 1) {
            // The log holds the reset request alone, in blue: its acknowledgement is not logged.
            p.w->Refresh_View();
            const QTextBlock line =
                Control<QTextEdit>(p.w, "rtb_RS232_SPY")->document()->firstBlock();
            QCOMPARE(line.text(), QStringLiteral("0xFE; 0x00; 0x01"));
            QCOMPARE(line.begin().fragment().charFormat().foreground().color(), QColor(Qt::blue));
        }
        // The bar reads complete once every block is acknowledged, its value the last block's.
        QCOMPARE(Control<QProgressBar>(p.w, "pgb_RS232")->text() == QStringLiteral("100%"),
                 writes == 512);
    }
}

void Serial_Window_Test::Exit_And_Closing_Mid_Run_End_The_Window_After_The_Run() {
    enum class Way { Exit, Close_Box_Mid_Run, Main_Window_Mid_Run };
    for (const Way way : {Way::Exit, Way::Close_Box_Mid_Run, Way::Main_Window_Mid_Run}) {
        Serial_Window_Under_Test p;
        bool stayed_during_run = false;
        p.During_Run = [&] {
            if (p.port.Count(Cmd_Write_EEPROM) == 10 && !stayed_during_run) {
                way == Way::Main_Window_Mid_Run ? p.window->close() : p.w->close();
                stayed_during_run = p.w && p.w->isVisible() && p.window->isVisible();
            }
        };
        Click(p.w, way == Way::Exit ? "cmd_Exit" : "cmd_Write_RS232");

        QCOMPARE(stayed_during_run, way != Way::Exit);
        QVERIFY(p.ws.Messages.empty());
        QCOMPARE(p.port.Count(Cmd_Write_EEPROM), std::size_t(way == Way::Exit ? 0 : 10));
        QCOMPARE(p.port.Count(Cmd_Reset_PIC), std::size_t(0));
        QVERIFY(!p.port.PortOpen());
        QVERIFY(p.window->Serial_Window() == nullptr);
        QCOMPARE(p.window->isVisible(), way != Way::Main_Window_Mid_Run);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(p.w.isNull());
    }
}

QTEST_MAIN(Serial_Window_Test)
#include "Serial_Window_Test.moc"
