// The production station window against simulated units on pseudo-terminals, plugged in and
// out while it watches.
#include "Child_Process.h"
#include "Station_Tile.h"
#include "Station_Window.h"
#include "Window_Test_Support.h"
#include "mod_Compilatore.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <csignal>
#include <fstream>

// Answers the next question with `button`, keeping its text in `asked`.
void Answer_Next(QMessageBox::StandardButton button, QString& asked) {
    QTimer::singleShot(0, [button, &asked] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked = box->text();
            box->button(button)->click();
        }
    });
}

class Station_Window_Test : public QObject {
    Q_OBJECT

  private slots:
    // The units of this test register where no other test's units are.
    void initTestCase() { ::setenv("XDG_RUNTIME_DIR", registry_.Path().c_str(), 1); }
    void Units_Plugged_In_Are_Programmed_And_Ferma_Stops_The_Rest();

  private:
    Temp_Folder registry_{"station-ports"};
};

void Station_Window_Test::Units_Plugged_In_Are_Programmed_And_Ferma_Stops_The_Rest() {
    Temp_Folder folder{"station-sim"};
    Program_Under_Test<Qt_Serial_Control> p;
    p.Start();
    p.window->findChild<QAction*>(QStringLiteral("smnu_Stazione"))->trigger();
    QPointer<Station_Window> s = p.window->Station();
    QVERIFY(s && s->isVisible());

    // An image file must be a whole EEPROM image.
    const std::string short_file = folder / "short.bin";
    std::ofstream(short_file) << "abc";
    QVERIFY(!s->Use_Image_File(short_file));
    QCOMPARE(p.ws.Messages.size(), std::size_t(1));

    Program_Data expected(p.data);
    QVERIFY(Compile_Images(expected, p.ws));
    const std::string image(expected.EEPROM_Image.begin(), expected.EEPROM_Image.end());
    Control<QLineEdit>(s, "txt_Registro")->setText(QString::fromStdString(folder / "log.csv"));

    auto first =
        std::make_unique<Simulated_Unit>(std::vector<std::string>{"--dump", folder / "first.bin"});
    // The serial window holds one unit's port: the station skips it until it is released.
    Simulated_Unit held{{"--dump", folder / "held.bin"}};
    QPointer<frm_RS232> w = p.Open_Serial_Window();
    auto* list = Control<QComboBox>(w, "cmb_RS232");
    list->setCurrentIndex(list->findData(QString::fromStdString(held.Device)));
    Click(w, "cmd_ON");
    QVERIFY(p.port.PortOpen());
    Click(s, "cmd_Avvia");
    QVERIFY(s->Running());
    const QByteArray sha256 =
        QCryptographicHash::hash(QByteArray::fromStdString(image), QCryptographicHash::Sha256);
    QVERIFY(Control<QLabel>(s, "lbl_Immagine")->text().contains(sha256.toHex().left(16)));
    // Later changes in the main window wait for the next start.
    Control<Glyph_Grid>(p.window.get(), "msh_Font_5x8")->Toggle_Cell(0, 0);
    Simulated_Unit second{{"--dump", folder / "second.bin"}};
    QTRY_COMPARE_WITH_TIMEOUT(s->Model().Programmed(), 2, 30000);
    QCOMPARE(s->findChildren<Station_Tile*>().size(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(Control<QLabel>(s, "lbl_Stato")->text(),
                              QString::fromStdString(held.Device +
                                                     " saltata per ora: La porta è in uso da un "
                                                     "altro programma. Sarà riprovata."),
                              10000);
    Click(w, "cmd_OFF");
    QTRY_COMPARE_WITH_TIMEOUT(s->Model().Programmed(), 3, 30000);
    QVERIFY(Read_File(folder / "held.bin") == image);
    // Nor does the serial window list a port the station holds.
    w->close();
    QTRY_VERIFY(w.isNull() || !w->isVisible());
    list = Control<QComboBox>(p.Open_Serial_Window(), "cmb_RS232");
    QCOMPARE(list->findData(QString::fromStdString(held.Device)), -1);
    QVERIFY(list->count() > 0);
    p.window->Serial_Window()->close();
    QVERIFY(Read_File(folder / "first.bin") == image);
    QVERIFY(Read_File(folder / "second.bin") == image);
    QCOMPARE(Control<QLabel>(s, "lbl_Totali")->text(),
             QStringLiteral("Programmati: 3    Falliti: 0"));
    QVERIFY(s->findChildren<QLabel*>(QStringLiteral("lbl_Outcome"))[0]->text() ==
            QStringLiteral("programmato"));

    // A unit that leaves stays greyed until Pulisci.
    first.reset();
    QTRY_VERIFY_WITH_TIMEOUT(!s->Model().Tiles()[0].Present, 10000);
    QVERIFY(!s->findChildren<Station_Tile*>()[0]->isEnabled());
    Click(s, "cmd_Pulisci");
    QCOMPARE(s->Model().Tiles().size(), std::size_t(2));

    Simulated_Unit slow{{"--write-time", "40"}};
    QTRY_VERIFY_WITH_TIMEOUT(s->Model().Tiles().size() == 3 &&
                                 s->Model().Tiles()[2].Status.Phase == Unit_Phase::Writing,
                             10000);
    Click(s, "cmd_Ferma");
    QTRY_VERIFY_WITH_TIMEOUT(!s->Running(), 10000);
    QCOMPARE(s->Model().Tiles()[2].Status.Outcome, std::optional(Run_Outcome::Stopped));
    QCOMPARE(Control<QLabel>(s, "lbl_Totali")->text(),
             QStringLiteral("Programmati: 3    Falliti: 1"));
    // One CSV line per unit under the header, as the command line logs them.
    const std::string log = Read_File(folder / "log.csv");
    QCOMPARE(std::count(log.begin(), log.end(), '\n'), 5);
    QVERIFY(log.find(",stopped,") != std::string::npos);
    const auto outcomes = s->findChildren<QLabel*>(QStringLiteral("lbl_Outcome"));
    QVERIFY(outcomes[0]->styleSheet().contains(QStringLiteral("#1b7f1b")));
    QVERIFY(outcomes[2]->styleSheet().contains(QStringLiteral("#c06000")));

    // The watch's reasons are the command line's English; the window tells them in Italian.
    Watch_Output& watch = *s;
    Port_Entry refused;
    refused.Device = "/dev/ttyUSB7";
    watch.Unit_Started(100, refused, refused.Device);
    Unit_Event opening;
    opening.Unit = 100;
    opening.What = Unit_Event::Kind::Message;
    opening.Text = "cannot open the port: /dev/ttyUSB7: in use by another program";
    opening.Open_Failure = Port_Failure::In_Use;
    watch.Unit_Changed(opening);
    QCOMPARE(s->Model().Tiles().back().Reason,
             std::string("Impossibile aprire la porta. La porta è in uso da un altro programma."));
    watch.Log_Failed({File_Cause::Disk_Full, File_Use::Write, "/x/log.csv"});
    const QString unwritten = Control<QLabel>(s, "lbl_Stato")->text();
    QVERIFY2(unwritten.startsWith(
                 QStringLiteral("Registro CSV non scritto: Impossibile salvare /x/log.csv: ")) &&
                 !unwritten.contains(QStringLiteral("space")),
             qPrintable(unwritten));

    // Closing while a unit runs asks first; "No" keeps the station running.
    for (Simulated_Unit* unit : {&second, &held, &slow}) {
        unit->Process.Stop(SIGTERM);
    }
    Simulated_Unit last{{"--write-time", "40"}};
    Click(s, "cmd_Avvia");
    QTRY_VERIFY_WITH_TIMEOUT(s->Model().Tiles().size() == 1 &&
                                 s->Model().Tiles()[0].Status.Phase == Unit_Phase::Writing,
                             10000);
    QString asked;
    Answer_Next(QMessageBox::No, asked);
    s->close();
    QCOMPARE(asked, QStringLiteral("Fermare la stazione?"));
    // The unit writes on.
    const int blocks = s->Model().Tiles()[0].Status.Blocks;
    QTRY_VERIFY_WITH_TIMEOUT(s && s->Model().Tiles()[0].Status.Blocks > blocks + 10, 10000);
    QVERIFY(s->isVisible() && s->Running());
    asked.clear();
    Answer_Next(QMessageBox::Yes, asked);
    s->close();
    QCOMPARE(asked, QStringLiteral("Fermare la stazione?"));
    QTRY_VERIFY_WITH_TIMEOUT(s.isNull(), 10000);
    const std::string closed_log = Read_File(folder / "log.csv");
    QCOMPARE(std::count(closed_log.begin(), closed_log.end(), '\n'), 6);
    QCOMPARE(closed_log.rfind(",stopped,") > log.size(), true);
}

QTEST_MAIN(Station_Window_Test)
#include "Station_Window_Test.moc"
