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
#include <QTemporaryDir>

namespace {

const QString Caption = QStringLiteral("Programmatore LCD grafici");

void Trigger(QWidget* window, const char* entry) {
    Control<QAction>(window, entry)->trigger();
}

} // namespace

class Configuration_Test : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void A_saved_configuration_opens_as_it_was_saved();
    void Unsaved_changes_ask_before_closing_once_a_configuration_is_in_use();
    void A_malformed_or_too_large_file_leaves_the_window_as_it_was();

  private:
    QTemporaryDir folder_;
};

void Configuration_Test::initTestCase() {
    // The list of recent configurations goes to a test location, never the user's own.
    QStandardPaths::setTestModeEnabled(true);
    QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Vantrel"))
        .removeRecursively();
}

void Configuration_Test::A_saved_configuration_opens_as_it_was_saved() {
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

void Configuration_Test::Unsaved_changes_ask_before_closing_once_a_configuration_is_in_use() {
    const struct {
        QString button; // "" before any configuration is in use: no question
        bool closes;
        bool saved;
    } cases[] = {
        {"", true, false},
        {"Annulla", false, false},
        {"Non salvare", true, false},
        {"Salva", true, true},
    };
    const std::string file = folder_.filePath("prompt.vantrel").toStdString();
    for (const auto& c : cases) {
        Program_Under_Test p;
        QVERIFY(p.Start());
        if (!c.button.isEmpty()) {
            p.dialog.Answers = {file};
            Trigger(p.window.get(), "smnu_Save_Configuration_As");
        }
        const std::string before = Read_File(file);
        Control<Glyph_Grid>(p.window.get(), "msh_Font_5x8")->Toggle_Cell(7, 4);
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
        QCOMPARE(asked, c.button.isEmpty()
                            ? QString()
                            : QStringLiteral("Salvare le modifiche a prompt.vantrel?"));
        QCOMPARE(p.window->isVisible(), !c.closes);
        QCOMPARE(Read_File(file) != before, c.saved);
    }
}

void Configuration_Test::A_malformed_or_too_large_file_leaves_the_window_as_it_was() {
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

QTEST_MAIN(Configuration_Test)
#include "windows_configuration_test.moc"
