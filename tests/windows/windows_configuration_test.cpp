// Configurations in the main window: the File menu, the title, the question about unsaved
// changes, refused files; and the glyph editors' presses, drags and values.
#include "Test_Bitmap.h"
#include "Window_Test_Support.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

const QString Caption = QStringLiteral("Programmatore LCD grafici");

void Trigger(QWidget* window, const char* entry) {
    Control<QAction>(window, entry)->trigger();
}

// Answers the next modal question with the button of that text, and records its text;
// `asked` stays false when no question came. Its timer must have run before it goes.
struct Answer {
    explicit Answer(const QString& button) {
        QTimer::singleShot(0, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                return;
            }
            asked = true;
            text = box->text();
            for (QAbstractButton* b : box->buttons()) {
                if (b->text() == button) {
                    b->click();
                }
            }
        });
    }
    bool asked = false;
    QString text;
};

QPoint Cell_Centre(QTableWidget* grid, int row, int column) {
    return grid->visualItemRect(grid->item(row, column)).center();
}

} // namespace

class Configuration_Test : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void Saved_file_opens_and_compiles_like_the_window_and_the_command_line();
    void Unsaved_changes_ask_before_closing_once_a_configuration_is_in_use();
    void Refused_files_leave_the_window_as_it_was();
    void Glyph_presses_drags_and_values();

  private:
    QTemporaryDir folder_;
};

void Configuration_Test::initTestCase() {
    // The list of recent configurations goes to a test location, never the user's own.
    QStandardPaths::setTestModeEnabled(true);
    QSettings(QStringLiteral("Vantrel"), QStringLiteral("Vantrel")).clear();
}

void Configuration_Test::Saved_file_opens_and_compiles_like_the_window_and_the_command_line() {
    QVERIFY(QDir(folder_.path()).mkpath("bitmaps") && QDir(folder_.path()).mkpath("plant"));
    const QString logo = folder_.filePath("bitmaps/logo.bmp");
    Write_Bmp(logo.toStdString(), Test_Bitmap::Random(128, 64, 9));
    const QString plant = folder_.filePath("plant/plant.vantrel");

    Program_Under_Test p;
    QVERIFY(p.Start());
    p.dialog.Answers.push_back(logo.toStdString());
    QTest::mousePress(Element<QLabel>(p.window.get(), "pct_Image_64128E", 1), Qt::RightButton);
    Control<Glyph_Grid>(p.window.get(), "msh_Font_10x16")->Toggle_Cell(15, 9);
    QCOMPARE(p.window->windowTitle(), Caption);

    p.dialog.Save_Answers = {folder_.filePath("plant/plant").toStdString(),
                             folder_.filePath("image.bin").toStdString()};
    Trigger(p.window.get(), "smnu_Save_Configuration_As");
    QCOMPARE(p.window->windowTitle(), Caption + " - plant.vantrel");
    QVERIFY(Read_File(plant.toStdString()).find("\"64128E\": [null, \"../bitmaps/logo.bmp\"") !=
            std::string::npos);
    Trigger(p.window.get(), "smnu_Export_Image");
    const std::string image = Read_File(folder_.filePath("image.bin").toStdString());
    QCOMPARE(image.size(), std::size_t(65536));
    const QString cli_image = folder_.filePath("cli.bin");
    QCOMPARE(std::system(("'" VANTREL_CLI "' compile --config '" + plant + "' -o '" + cli_image +
                          "' >/dev/null")
                             .toLocal8Bit()
                             .constData()),
             0);
    QVERIFY(Read_File(cli_image.toStdString()) == image);

    Control<Glyph_Grid>(p.window.get(), "msh_Font_5x8")->Toggle_Cell(0, 0);
    QCOMPARE(p.window->windowTitle(), Caption + " - plant.vantrel*");
    QVERIFY(p.ws.Messages.empty());

    Program_Under_Test q;
    QVERIFY(q.Start());
    QVERIFY(q.window->Open_Configuration(plant.toStdString()));
    QCOMPARE(q.window->windowTitle(), Caption + " - plant.vantrel");
    QCOMPARE(q.data.Tables[1].Slots[1].Path, logo.toStdString());
    QCOMPARE(q.data.Tables[1].Slots[0].Path, p.data.Tables[1].Slots[0].Path);
    QCOMPARE(q.data.Font_10x16_Columns[9], 32768.0);
    QCOMPARE(Control<QLabel>(q.window.get(), "lbl_Font_10x16_Values")->text(),
             QStringLiteral("0x0000,0x0000,0x0000,0x0000,0x0000,0x0000,0x0000,0x0000,0x0000,"
                            "0x8000"));
    QCOMPARE(Control<QTableWidget>(q.window.get(), "msh_Font_10x16")->item(15, 9)->background(),
             QBrush(q.window->palette().color(QPalette::WindowText)));
    auto* recent = Element<QAction>(q.window.get(), "smnu_Recent", 0);
    QVERIFY(recent);
    QCOMPARE(recent->text(), QStringLiteral("&1 plant.vantrel"));
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
            p.dialog.Save_Answers = {file};
            Trigger(p.window.get(), "smnu_Save_Configuration_As");
        }
        const std::string before = Read_File(file);
        Control<Glyph_Grid>(p.window.get(), "msh_Font_5x8")->Toggle_Cell(7, 4);
        Answer answer(c.button);
        Trigger(p.window.get(), "smnu_File");
        QCoreApplication::processEvents(); // the answer's timer, when no question took it
        QCOMPARE(answer.asked, !c.button.isEmpty());
        if (answer.asked) {
            QCOMPARE(answer.text, QStringLiteral("Salvare le modifiche a prompt.vantrel?"));
        }
        QCOMPARE(p.window->isVisible(), !c.closes);
        QCOMPARE(Read_File(file) != before, c.saved);
    }
}

void Configuration_Test::Refused_files_leave_the_window_as_it_was() {
    const std::string good = folder_.filePath("good.bmp").toStdString();
    Write_Bmp(good, Test_Bitmap::Random(240, 64, 4));
    const std::string head = R"({"format": "vantrel-configuration", "version": 1, )";
    const struct {
        std::string text;
        std::string title;
        std::string says;
        bool taken;
    } cases[] = {
        {"{\"format\": \"vantrel-configuration\",\n  \"version\" 1}", "ERROR",
         "alla riga 2, colonna 13 (byte 48)", false},
        {head + R"("layout": "oled"})", "ERROR", "va aperta con Quorrin", false},
        {head + R"("layout": "graphic", "slots": {"64240B": [")" + good +
             R"(", "missing.bmp", null, null]}, "font5x8": [3, 0, 0, 0, 0]})",
         "WARNING",
         "64240B, Immagine numero 2 (" + folder_.filePath("missing.bmp").toStdString() +
             "): File non trovato.",
         true},
    };
    const std::string file = folder_.filePath("refused.vantrel").toStdString();
    for (const auto& c : cases) {
        Write_File(file, c.text);
        Program_Under_Test p;
        QVERIFY(p.Start());
        const auto tables = p.data.Tables;
        QCOMPARE(p.window->Open_Configuration(file), c.taken);
        QCOMPARE(p.ws.Messages.size(), std::size_t(1));
        QCOMPARE(p.ws.Messages[0].Title, c.title);
        QVERIFY2(p.ws.Messages[0].Text.find(c.says) != std::string::npos,
                 p.ws.Messages[0].Text.c_str());
        QCOMPARE(p.data.Tables[2].Slots[0].Path, c.taken ? good : tables[2].Slots[0].Path);
        QCOMPARE(p.data.Tables[2].Slots[1].Path, tables[2].Slots[1].Path);
        QCOMPARE(int(p.data.Font_5x8_Columns[0]), c.taken ? 3 : 0);
        QCOMPARE(p.window->windowTitle(), c.taken ? Caption + " - refused.vantrel" : Caption);
    }
}

void Configuration_Test::Glyph_presses_drags_and_values() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
    Control<QTabWidget>(p.window.get(), "SST_Select_Image")->setCurrentIndex(4);
    auto* small = Control<Glyph_Grid>(p.window.get(), "msh_Font_5x8");
    auto* values = Control<QLabel>(p.window.get(), "lbl_Font_5x8_Values");
    QCOMPARE(values->text(), QStringLiteral("0x00,0x00,0x00,0x00,0x00"));

    // A double click through the window system: two presses, two toggles.
    QSignalSpy changes(small, &Glyph_Grid::Changed);
    QTest::mouseDClick(p.window->windowHandle(), Qt::LeftButton, {},
                       small->viewport()->mapTo(p.window.get(), Cell_Centre(small, 1, 1)));
    QCOMPARE(changes.count(), 2);
    QCOMPARE(int(p.data.Font_5x8_Columns[1]), 0);

    const auto drag = [&](std::initializer_list<std::pair<int, int>> cells) {
        auto cell = cells.begin();
        QTest::mousePress(small->viewport(), Qt::LeftButton, {},
                          Cell_Centre(small, cell->first, cell->second));
        for (++cell; cell != cells.end(); ++cell) {
            QTest::mouseMove(small->viewport(), Cell_Centre(small, cell->first, cell->second));
        }
        QTest::mouseRelease(small->viewport(), Qt::LeftButton, {},
                            Cell_Centre(small, cell[-1].first, cell[-1].second));
    };
    drag({{0, 0}, {0, 1}, {0, 2}, {1, 2}, {4, 4}});
    QVERIFY((p.data.Font_5x8_Columns == std::array<std::uint8_t, 5>{1, 1, 3, 0, 16}));
    QCOMPARE(values->text(), QStringLiteral("0x01,0x01,0x03,0x00,0x10"));
    // Starting on a lit cell paints off, and an unlit cell on the way stays unlit.
    drag({{0, 2}, {2, 2}, {1, 2}, {0, 1}});
    QVERIFY((p.data.Font_5x8_Columns == std::array<std::uint8_t, 5>{1, 0, 0, 0, 16}));
    QCOMPARE(values->text(), QStringLiteral("0x01,0x00,0x00,0x00,0x10"));

    Control<Glyph_Grid>(p.window.get(), "msh_Font_10x16")->Toggle_Cell(0, 0);
    Click(p.window.get(), "cmd_Clear_Font_5x8");
    QVERIFY((p.data.Font_5x8_Columns == std::array<std::uint8_t, 5>{}));
    QCOMPARE(values->text(), QStringLiteral("0x00,0x00,0x00,0x00,0x00"));
    QCOMPARE(small->item(0, 0)->background().color(), small->palette().color(QPalette::Window));
    QCOMPARE(p.data.Font_10x16_Columns[0], 1.0);
}

QTEST_MAIN(Configuration_Test)
#include "windows_configuration_test.moc"
