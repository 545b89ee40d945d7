// The production station window against simulated units on pseudo-terminals, plugged in and
// out while it watches.
#include "Child_Process.h"
#include "Station_Tile.h"
#include "Station_Window.h"
#include "Window_Test_Support.h"
#include "mod_Compilatore.h"

#include <QCryptographicHash>
#include <QLineEdit>

#include <fstream>

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
    QVERIFY(Read_File(folder / "first.bin") == image);
    QVERIFY(Read_File(folder / "second.bin") == image);
    QCOMPARE(Control<QLabel>(s, "lbl_Totali")->text(),
             QStringLiteral("Programmati: 2    Falliti: 0"));
    QVERIFY(s->findChildren<QLabel*>(QStringLiteral("lbl_Outcome"))[0]->text() ==
            QStringLiteral("programmato"));

    // A unit that leaves stays greyed until Pulisci.
    first.reset();
    QTRY_VERIFY_WITH_TIMEOUT(!s->Model().Tiles()[0].Present, 10000);
    QVERIFY(!s->findChildren<Station_Tile*>()[0]->isEnabled());
    Click(s, "cmd_Pulisci");
    QCOMPARE(s->Model().Tiles().size(), std::size_t(1));

    Simulated_Unit slow{{"--write-time", "40"}};
    QTRY_VERIFY_WITH_TIMEOUT(s->Model().Tiles().size() == 2 &&
                                 s->Model().Tiles()[1].Status.Phase == Unit_Phase::Writing,
                             10000);
    Click(s, "cmd_Ferma");
    QTRY_VERIFY_WITH_TIMEOUT(!s->Running(), 10000);
    QCOMPARE(s->Model().Tiles()[1].Status.Outcome, std::optional(Run_Outcome::Stopped));
    QCOMPARE(Control<QLabel>(s, "lbl_Totali")->text(),
             QStringLiteral("Programmati: 2    Falliti: 1"));
    // One CSV line per unit under the header, as the command line logs them.
    const std::string log = Read_File(folder / "log.csv");
    QCOMPARE(std::count(log.begin(), log.end(), '\n'), 4);
    QVERIFY(log.find(",stopped,") != std::string::npos);
}

QTEST_MAIN(Station_Window_Test)
#include "Station_Window_Test.moc"
