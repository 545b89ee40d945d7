// Configurations in the main window: saving and opening them, the title, the question about
// unsaved changes and a refused file.
#include "Test_Bitmap.h"
#include "Window_Test_Support.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>

namespace {

const QString Caption = QStringLiteral("Programmatore LCD grafici");

void Trigger(QWidget* window, const char* entry) {
    Control<QAction>(window, entry)->trigger();
}

} // namespace

class Configuration_Window_Test : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void A_Saved_Configuration_Opens_As_It_Was_Saved();
    void Leaving_Asks_Whenever_The_State_Differs_From_What_Was_Last_Opened_Or_Saved();
    void A_Configuration_With_Files_Gone_Is_Loaded_In_Part_Saved_Whole_And_Never_Exported();
    void The_Recent_List_Tells_One_Name_In_Two_Folders_Apart_And_Drops_A_File_Gone();
    void A_Malformed_Or_Too_Large_File_Leaves_The_Window_As_It_Was();

  private:
    QTemporaryDir folder_;
};

void Configuration_Window_Test::initTestCase() {
    // The list of recent configurations goes to a test location, never the user's own.
    QStandardPaths::setTestModeEnabled(true);
    QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Vantrel"))
        .removeRecursively();
}

void Configuration_Window_Test::A_Saved_Configuration_Opens_As_It_Was_Saved() {
    QVERIFY(QDir(folder_.path()).mkpath("bitmaps") && QDir(folder_.path()).mkpath("plant"));
    const std::string logo = folder_.filePath("bitmaps/logo.bmp").toStdString();
    Write_Bmp(logo, Test_Bitmap::Random(128, 64, 9));
    const std::string plant = folder_.filePath("plant/plant.vantrel").toStdString();

    Program_Under_Test p;
    QVERIFY(p.Start());
    p.dialog.Answers = {logo, folder_.filePath("plant/plant").toStdString()};
    QTest::mousePress(Element<QLabel>(p.window.get(), "pct_Image_64128E", 1), Qt::RightButton);
    Control<Glyph_Grid>(p.window.get(), "msh_Font_10x16")->Toggle_Cell(15, 9);
    QCOMPARE(p.window->windowTitle(), Caption);
    Trigger(p.window.get(), "smnu_Save_Configuration_As");
    QCOMPARE(p.window->windowTitle(), Caption + " - plant.vantrel");
    // A bitmap is kept relative to the configuration's folder.
    QVERIFY(Read_File(plant).find("\"64128E\": [null, \"../bitmaps/logo.bmp\"") !=
            std::string::npos);
    Control<Glyph_Grid>(p.window.get(), "msh_Font_5x8")->Toggle_Cell(0, 0);
    QCOMPARE(p.window->windowTitle(), Caption + " - plant.vantrel*");
    QVERIFY(p.ws.Messages.empty());

    Program_Under_Test q;
    QVERIFY(q.Start());
    QVERIFY(q.window->Open_Configuration(plant));
    QCOMPARE(q.window->windowTitle(), Caption + " - plant.vantrel");
    QCOMPARE(q.data.Tables[1].Slots[1].Path, logo);
    QCOMPARE(q.data.Tables[1].Slots[0].Path, p.data.Tables[1].Slots[0].Path);
    QCOMPARE(q.data.Font_10x16_Columns[9], 32768.0);
    QCOMPARE(Control<QLineEdit>(q.window.get(), "txt_Font_10x16_Values")->text().section(',', 9),
             QStringLiteral("0x8000"));
    QCOMPARE(Element<QAction>(q.window.get(), "smnu_Recent", 0)->text(),
             QStringLiteral("&1 plant.vantrel"));
    QVERIFY(q.ws.Messages.empty());
}

void Configuration_Window_Test::
    Leaving_Asks_Whenever_The_State_Differs_From_What_Was_Last_Opened_Or_Saved() {
    const struct {
        bool configured; // saved as a configuration before the edits
        int toggles;     // presses on one glyph cell: two put it back
        QString button;  // "" when no question may come
        bool closes;
        bool saved;
    } cases[] = {
        {false, 0, "", true, false},    {false, 1, "Non salvare", true, false},
        {true, 2, "", true, false},     {true, 1, "Annulla", false, false},
        {true, 1, "Salva", true, true},
    };
    const std::string file = folder_.filePath("prompt.vantrel").toStdString();
    for (const auto& c : cases) {
        Program_Under_Test p;
        QVERIFY(p.Start());
        if (c.configured) {
            p.dialog.Answers = {file};
            Trigger(p.window.get(), "smnu_Save_Configuration_As");
        }
        const std::string before = Read_File(file);
        for (int i = 0; i < c.toggles; ++i) {
            Control<Glyph_Grid>(p.window.get(), "msh_Font_5x8")->Toggle_Cell(7, 4);
        }
        // Answers the question with the button of the case's text.
        QString asked;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked = box->text();
                for (QAbstractButton* b : box->buttons()) {
                    if (b->text() == c.button) {
                        b->click();
                    }
                }
            }
        });
        Trigger(p.window.get(), "smnu_File");
        QCoreApplication::processEvents(); // the answer's timer, when no question took it
        QCOMPARE(asked, c.button.isEmpty() ? QString()
                        : c.configured ? QStringLiteral("Salvare le modifiche a prompt.vantrel?")
                                       : QStringLiteral("Salvare le modifiche?"));
        QCOMPARE(p.window->isVisible(), !c.closes);
        QCOMPARE(Read_File(file) != before, c.saved);
    }
}

void Configuration_Window_Test::
    A_Configuration_With_Files_Gone_Is_Loaded_In_Part_Saved_Whole_And_Never_Exported() {
    const QDir site(folder_.filePath(QStringLiteral("site")));
    QVERIFY(site.mkpath(QStringLiteral("moved")));
    const std::string file = site.filePath(QStringLiteral("parte.vantrel")).toStdString();
    Write_Bmp(site.filePath(QStringLiteral("wide.bmp")).toStdString(), Test_Bitmap(240, 64, 1));
    Write_File(file, std::string(R"({"format": "vantrel-configuration", "version": 1,
        "layout": "graphic", "slots": {"64128A": [null, "non_esiste.bmp", null, null],
        "64128E": [null, null, "../nowhere/foto.bmp", "wide.bmp"]}})"));
    Program_Under_Test p;
    QVERIFY(p.Start());
    QVERIFY(p.window->Open_Configuration(file));
    QCOMPARE(p.window->windowTitle(), Caption + " - parte.vantrel (caricata in parte)");
    QCOMPARE(p.ws.Messages.size(), std::size_t(1));
    // One slot a line.
    const std::string said = p.ws.Messages[0].Text;
    QCOMPARE(std::count(said.begin(), said.end(), '\n'), 3L);
    QVERIFY(said.find("\r\n64128E, Immagine numero 3 (") != std::string::npos);

    // Saved into another folder, every reference stays, rebased.
    p.dialog.Answers = {site.filePath(QStringLiteral("moved/parte.vantrel")).toStdString()};
    Trigger(p.window.get(), "smnu_Save_Configuration_As");
    const std::string saved = Read_File(site.filePath("moved/parte.vantrel").toStdString());
    QVERIFY2(saved.find(R"("64128A": [null, "../non_esiste.bmp", null, null])") !=
                     std::string::npos &&
                 saved.find(R"("64128E": [null, null, "../../nowhere/foto.bmp", "../wide.bmp"])") !=
                     std::string::npos,
             saved.c_str());
    QCOMPARE(p.window->windowTitle(), Caption + " - parte.vantrel (caricata in parte)");

    // The export refuses the first slot it cannot read, naming it; nothing is written.
    p.ws.Messages.clear();
    const std::string image = folder_.filePath(QStringLiteral("parte.bin")).toStdString();
    p.dialog.Answers = {image};
    Trigger(p.window.get(), "smnu_Export_Image");
    QCOMPARE(p.ws.Messages.size(), std::size_t(1));
    QCOMPARE(p.ws.Messages[0].Text, std::string("File non_esiste.bmp non trovato.\r\nImpossibile "
                                                "continuare!!\r\n64128A, Immagine numero 2"));
    QVERIFY(!QFile::exists(QString::fromStdString(image)));

    // With the slots chosen again the title drops the mark, and the export says where it wrote.
    const std::string logo = site.filePath(QStringLiteral("logo.bmp")).toStdString();
    Write_Bmp(logo, Test_Bitmap::Random(128, 64, 5));
    for (const auto& [box, slot] :
         {std::pair{"pct_Image_64128A", 1}, {"pct_Image_64128E", 2}, {"pct_Image_64128E", 3}}) {
        p.dialog.Answers = {logo};
        QTest::mousePress(Element<QLabel>(p.window.get(), box, slot), Qt::RightButton);
    }
    QCOMPARE(p.window->windowTitle(), Caption + " - parte.vantrel*");
    p.ws.Messages.clear();
    p.dialog.Answers = {image};
    Trigger(p.window.get(), "smnu_Export_Image");
    QVERIFY(p.ws.Messages.empty());
    QCOMPARE(Read_File(image).size(), std::size_t(65536));
    QCOMPARE(p.window->statusBar()->currentMessage(),
             QStringLiteral("Immagine EEPROM scritta in ") + QString::fromStdString(image));
}

void Configuration_Window_Test::
    The_Recent_List_Tells_One_Name_In_Two_Folders_Apart_And_Drops_A_File_Gone() {
    const QDir site(folder_.filePath(QStringLiteral("recent")));
    QVERIFY(site.mkpath(QStringLiteral("a")) && site.mkpath(QStringLiteral("b")));
    const QString a = site.filePath(QStringLiteral("a/impianto.vantrel"));
    const QString b = site.filePath(QStringLiteral("b/impianto.vantrel"));
    const QString other = site.filePath(QStringLiteral("altro.vantrel"));
    Program_Under_Test p;
    QVERIFY(p.Start());
    for (const QString& file : {a, b, other}) {
        p.dialog.Answers = {file.toStdString()};
        Trigger(p.window.get(), "smnu_Save_Configuration_As");
    }
    const auto entry = [&](int i) { return Element<QAction>(p.window.get(), "smnu_Recent", i); };
    QCOMPARE(entry(0)->text(), QStringLiteral("&1 altro.vantrel"));
    QCOMPARE(entry(1)->text(), QStringLiteral("&2 impianto.vantrel (%1)").arg(site.filePath("b")));
    QCOMPARE(entry(2)->text(), QStringLiteral("&3 impianto.vantrel (%1)").arg(site.filePath("a")));
    QCOMPARE(entry(2)->toolTip(), a);

    QVERIFY(QFile::remove(b));
    entry(1)->trigger();
    QCOMPARE(p.ws.Messages.size(), std::size_t(1));
    QCOMPARE(p.ws.Messages[0].Text, "La configurazione " + b.toStdString() +
                                        " non esiste più: è stata tolta dall'elenco.");
    QCOMPARE(p.window->windowTitle(), Caption + " - altro.vantrel");
    QCOMPARE(entry(1)->text(), QStringLiteral("&2 impianto.vantrel"));
    QCOMPARE(entry(1)->toolTip(), a);
}

void Configuration_Window_Test::A_Malformed_Or_Too_Large_File_Leaves_The_Window_As_It_Was() {
    const std::string file = folder_.filePath("refused.vantrel").toStdString();
    const std::pair<std::string, std::string> cases[] = {
        {"{\"format\": \"vantrel-configuration\",\n  \"version\" 1}",
         "alla riga 2, colonna 13 (byte 48)"},
        {std::string(1048577, ' '), "Il file è di 1048577 byte; se ne leggono al massimo 1048576."},
    };
    for (const auto& [content, said] : cases) {
        Write_File(file, content);
        Program_Under_Test p;
        QVERIFY(p.Start());
        const auto tables = p.data.Tables;
        QVERIFY(!p.window->Open_Configuration(file));
        QCOMPARE(p.ws.Messages.size(), std::size_t(1));
        QCOMPARE(p.ws.Messages[0].Title, std::string("ERROR"));
        QVERIFY2(p.ws.Messages[0].Text.find(said) != std::string::npos,
                 p.ws.Messages[0].Text.c_str());
        QCOMPARE(p.data.Tables[2].Slots[0].Path, tables[2].Slots[0].Path);
        QCOMPARE(p.window->windowTitle(), Caption);
    }
}

QTEST_MAIN(Configuration_Window_Test)
#include "Configuration_Window_Test.moc"
