// The main window of both programs: start-up, picture boxes, bitmap import, glyph editors, the
// menus' keys, and Qt's own texts in Italian.
#include "Image_Decoder.h"
#include "Italian_Desktop.h"
#include "Picture_Box.h"
#include "Qt_Lit_Picture.h"
#include "Qt_Widgets_Window_System.h"
#include "Test_Bitmap.h"
#include "Window_Test_Support.h"
#include "mod_Compilatore.h"

#include <QApplication>
#include <QComboBox>
#include <QFileIconProvider>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

QImage Picture(const std::string& path) {
    return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
}

// The box as the screen shows it: picture, border and the mark of a refused file.
bool Marked_Red(QWidget* box) {
    const QImage drawn = box->grab().toImage();
    const QColor corner = drawn.pixelColor(drawn.width() - 3, 2);
    return corner.red() > 150 && corner.green() < 60 && corner.blue() < 60;
}

QString Tip(const std::string& first_lines) {
    return QString::fromStdString(first_lines + "\nClic destro: scegli una bitmap");
}

void Type_Into(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

} // namespace

class Main_Window_Test : public QObject {
    Q_OBJECT

  private slots:
    void Both_Programs_Start_With_Every_Default_Shown();
    void Import_Takes_A_Fitting_Bitmap_Into_Its_Slot_Only_And_Refuses_The_Rest();
    void A_Drag_Paints_Glyph_Cells_The_Way_Its_First_Cell_Went();
    void The_Message_Box_Is_Modal_With_Its_Icon_And_OK_Only();
    void Typed_Glyph_Values_Move_The_Grid_Or_Are_Refused_Beside_It();
    void Undo_And_Redo_Walk_Back_And_Forth_Over_Glyph_Edits_And_Slot_Assignments();
    void A_Slot_File_Changed_Elsewhere_Shows_In_Every_Box_Using_It();
    void Restoring_A_Default_Asks_Model_And_Slot();
    void Every_Menu_And_Entry_Has_Its_Own_Access_Key_And_The_File_Entries_Their_Shortcuts();
    // Last: the translations stay installed for the rest of the process.
    void Qt_S_Own_Texts_Dates_And_File_Types_Read_Italian();
};

void Main_Window_Test::Both_Programs_Start_With_Every_Default_Shown() {
    for (const Program_Description* program : {&Vantrel_Program(), &Quorrin_Program()}) {
        Program_Under_Test p(*program);
        QVERIFY(p.Start());
        QVERIFY(p.ws.Messages.empty());
        QCOMPARE(p.data.Tables.size(), std::size_t(program == &Vantrel_Program() ? 4 : 1));
        for (const Image_Table& table : p.data.Tables) {
            for (int k = 0; k < 4; ++k) {
                const std::string& path = table.Slots[std::size_t(k)].Path;
                QCOMPARE(path, DATA_DIR "/" + table.Model->Default_File);
                QCOMPARE(Shown(Element<QLabel>(p.window.get(), table.Model->Picture_Box_Array, k)),
                         Picture(path));
            }
        }
    }
}

// The box draws from the compiler's reader: a file with the palette white then black shows as
// any viewer shows it, and equals the preview of the compiled image.
void Main_Window_Test::Import_Takes_A_Fitting_Bitmap_Into_Its_Slot_Only_And_Refuses_The_Rest() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    QTemporaryDir folder;
    const auto path = [&](const char* name) { return folder.filePath(name).toStdString(); };
    Write_Bmp(path("notes.txt"), Test_Bitmap(128, 64, 0));
    Write_Bmp(path("wide.bmp"), Test_Bitmap(240, 64, 0));
    Write_Bmp(path("Allarme.BMP"), Test_Bitmap::Random(128, 64, 5), {.White_First = true});
    const auto before = p.data.Tables;
    auto* box = Element<QLabel>(p.window.get(), "pct_Image_64128E", 3);
    const QImage shown_before = Shown(box);
    for (const std::optional<std::string>& refused :
         {std::optional<std::string>(), std::optional(path("notes.txt")),
          std::optional(path("wide.bmp")), std::optional(path("missing.bmp"))}) {
        p.ws.Messages.clear();
        p.dialog.Answers = {refused};
        QTest::mousePress(box, Qt::RightButton);
        const bool warned = refused == path("notes.txt");
        QCOMPARE(p.ws.Messages.size(), std::size_t(warned ? 2 : 1));
        QVERIFY(!warned || p.ws.Messages[0].Text == "Estensione file non valida!");
        // A file that was looked at gets its reason on a second line.
        const std::string& text = p.ws.Messages.back().Text;
        QCOMPARE(text.substr(0, text.find("\r\n")), std::string("Selezionata immagine non valida"));
        QCOMPARE(text.find("\r\n") != std::string::npos, refused.has_value() && !warned);
        QCOMPARE(p.data.Tables[1].Slots[3].Path, before[1].Slots[3].Path);
        QCOMPARE(Shown(box), shown_before);
    }

    p.ws.Messages.clear();
    p.dialog.Answers = {path("Allarme.BMP")};
    QTest::mousePress(box, Qt::RightButton);
    QVERIFY(p.ws.Messages.empty());
    QCOMPARE(p.data.Tables[1].Slots[3].Name, std::string("Allarme.BMP"));
    for (std::size_t m = 0; m < 4; ++m) {
        for (std::size_t k = 0; k < 4; ++k) {
            QCOMPARE(p.data.Tables[m].Slots[k].Path,
                     m == 1 && k == 3 ? path("Allarme.BMP") : before[m].Slots[k].Path);
        }
    }
    QCOMPARE(Shown(box), Picture(path("Allarme.BMP")));
    QVERIFY(Compile_Images(p.data, p.ws));
    const Lit_Picture preview = Decode_Image(p.data.EEPROM_Image, p.data.Program)[7];
    QCOMPARE(preview.Name, std::string("64128E_4"));
    QCOMPARE(Shown(box), Lit_Picture_Image(preview).convertToFormat(QImage::Format_RGB32));
}

void Main_Window_Test::A_Drag_Paints_Glyph_Cells_The_Way_Its_First_Cell_Went() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    auto* grid = Control<Glyph_Grid>(p.window.get(), "msh_Font_5x8");
    Control<QTabWidget>(p.window.get(), "SST_Select_Image")->setCurrentIndex(4); // the glyph tab
    const auto drag = [&](std::vector<std::pair<int, int>> cells) {
        const auto at = [&](std::size_t n) {
            return grid->visualItemRect(grid->item(cells[n].first, cells[n].second)).center();
        };
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, at(0));
        for (std::size_t n = 1; n < cells.size(); ++n) {
            QTest::mouseMove(grid->viewport(), at(n));
        }
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at(cells.size() - 1));
    };
    drag({{0, 0}, {0, 1}, {0, 2}, {1, 2}, {4, 4}});
    QVERIFY((p.data.Font_5x8_Columns == std::array<std::uint8_t, 5>{1, 1, 3, 0, 16}));
    // Starting on a lit cell paints off, and an unlit cell on the way stays unlit.
    drag({{0, 2}, {2, 2}, {1, 2}, {0, 1}});
    QVERIFY((p.data.Font_5x8_Columns == std::array<std::uint8_t, 5>{1, 0, 0, 0, 16}));
    QCOMPARE(Control<QLineEdit>(p.window.get(), "txt_Font_5x8_Values")->text(),
             QStringLiteral("0x01,0x00,0x00,0x00,0x10"));
}

void Main_Window_Test::The_Message_Box_Is_Modal_With_Its_Icon_And_OK_Only() {
    Qt_Widgets_Window_System ws;
    for (const auto icon : {Message_Icon::Critical, Message_Icon::Exclamation}) {
        QString title, text;
        QMessageBox::Icon shown_icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            shown_icon = box->icon();
            buttons = box->standardButtons();
            box->button(QMessageBox::Ok)->click();
        });
        ws.Message_Box("Comunicazione seriale interrotta.\r\nScrittura EEPROM I2C fallita!",
                       "ERROR RS232", icon);
        QCOMPARE(title, QStringLiteral("ERROR RS232"));
        QCOMPARE(text, QStringLiteral(
                           "Comunicazione seriale interrotta.\nScrittura EEPROM I2C fallita!"));
        QCOMPARE(shown_icon,
                 icon == Message_Icon::Critical ? QMessageBox::Critical : QMessageBox::Warning);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
}

void Main_Window_Test::
    Every_Menu_And_Entry_Has_Its_Own_Access_Key_And_The_File_Entries_Their_Shortcuts() {
    for (const Program_Description* program : {&Vantrel_Program(), &Quorrin_Program()}) {
        Program_Under_Test p(*program);
        QVERIFY(p.Start());
        QMenuBar* bar = p.window->menuBar();
        QList<QList<QAction*>> menus{bar->actions()};
        for (QAction* entry : bar->actions()) {
            menus << entry->menu()->actions();
        }
        for (const QList<QAction*>& entries : menus) {
            QSet<QChar> keys;
            for (const QAction* entry : entries) {
                if (entry->isSeparator()) {
                    continue;
                }
                const qsizetype amp = entry->text().indexOf(QLatin1Char('&'));
                QVERIFY2(amp >= 0 && amp + 1 < entry->text().size(), qPrintable(entry->text()));
                const QChar key = entry->text()[amp + 1].toLower();
                QVERIFY2(!keys.contains(key), qPrintable(entry->text()));
                keys.insert(key);
            }
        }
        QCOMPARE(p.window->findChild<QAction*>(QStringLiteral("smnu_File"))->text(),
                 QStringLiteral("&Esci"));

        p.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
        // Every dialog the keys open is cancelled; the exit comes last.
        const struct {
            const char* Entry;
            QKeyCombination Key;
        } rows[] = {
            {"smnu_Open_Configuration", Qt::CTRL | Qt::Key_O},
            {"smnu_Save_Configuration", Qt::CTRL | Qt::Key_S},
            {"smnu_Save_Configuration_As", Qt::CTRL | Qt::SHIFT | Qt::Key_S},
            {"smnu_Export_Image", Qt::CTRL | Qt::Key_E},
            {"smnu_File", Qt::CTRL | Qt::Key_Q},
        };
        for (const auto& row : rows) {
            auto* entry = p.window->findChild<QAction*>(QString::fromLatin1(row.Entry));
            QSignalSpy triggered(entry, &QAction::triggered);
            QTest::keyClick(p.window.get(), row.Key.key(), row.Key.keyboardModifiers());
            QVERIFY2(triggered.count() == 1, row.Entry);
        }
        QVERIFY(!p.window->isVisible());
    }
}

// What the file dialog shows: Qt's own texts, the folder's type, dates and file types.
void Main_Window_Test::Qt_S_Own_Texts_Dates_And_File_Types_Read_Italian() {
    Install_Italian_Texts(*qApp);
    const struct {
        const char* Context;
        const char* Source;
        const char* Italian;
    } rows[] = {
        {"QFileDialog", "Look in:", "Cerca in:"},
        {"QFileSystemModel", "Date Modified", "Data di modifica"},
        {"QPlatformTheme", "Cancel", "Annulla"},
    };
    for (const auto& row : rows) {
        QCOMPARE(QCoreApplication::translate(row.Context, row.Source),
                 QString::fromUtf8(row.Italian));
    }
    QTemporaryDir folder;
    QCOMPARE(QFileIconProvider().type(QFileInfo(folder.path())), QStringLiteral("Cartella"));
    QCOMPARE(QMimeDatabase().mimeTypeForName(QStringLiteral("image/bmp")).comment(),
             QStringLiteral("Immagine Windows BMP"));
    QCOMPARE(QLocale().toString(QDate(2024, 3, 5), QStringLiteral("d MMMM dddd")),
             QStringLiteral("5 marzo martedì"));
}

void Main_Window_Test::Typed_Glyph_Values_Move_The_Grid_Or_Are_Refused_Beside_It() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    Control<QTabWidget>(p.window.get(), "SST_Select_Image")->setCurrentIndex(4);
    const std::string range_5x8 = "; ogni valore va da 0 a 255, in decimale o esadecimale con 0x.";
    const std::string range_10x16 =
        "; ogni valore va da 0 a 65535, in decimale o esadecimale con 0x.";
    const struct {
        bool small;
        QString typed;
        std::vector<std::uint32_t> columns; // empty: refused
        std::string reason;
    } rows[] = {
        {true, " 0 ,0x1F,255, 0X80,7", {0, 31, 255, 128, 7}, ""},
        {true, "256,0,0,0,0", {}, "Valore non valido: \"256\"" + range_5x8},
        {true, "-1,0,0,0,0", {}, "Valore non valido: \"-1\"" + range_5x8},
        {true, "0x,0,0,0,0", {}, "Valore non valido: \"0x\"" + range_5x8},
        {true, "1,2,,4,5", {}, "Valore non valido: \"\"" + range_5x8},
        {true, "1f,0,0,0,0", {}, "Valore non valido: \"1f\"" + range_5x8},
        {true, "1,2,3,4", {}, "Servono 5 valori separati da virgole, non 4."},
        {true, "1,2,3,4,5,6", {}, "Servono 5 valori separati da virgole, non 6."},
        {false,
         "65535,0xffff,0,1,2,3,4,5,6,0x8000",
         {65535, 65535, 0, 1, 2, 3, 4, 5, 6, 32768},
         ""},
        {false, "65536,0,0,0,0,0,0,0,0,0", {}, "Valore non valido: \"65536\"" + range_10x16},
    };
    for (const auto& row : rows) {
        const char* suffix = row.small ? "Font_5x8" : "Font_10x16";
        auto* field = Control<QLineEdit>(p.window.get(), row.small ? "txt_Font_5x8_Values"
                                                                   : "txt_Font_10x16_Values");
        auto* refused = Control<QLabel>(p.window.get(), row.small ? "lbl_Font_5x8_Refused"
                                                                  : "lbl_Font_10x16_Refused");
        auto* grid =
            Control<Glyph_Grid>(p.window.get(), row.small ? "msh_Font_5x8" : "msh_Font_10x16");
        const auto before_5x8 = p.data.Font_5x8_Columns;
        const auto before_10x16 = p.data.Font_10x16_Columns;
        Type_Into(field, row.typed);
        QVERIFY2(refused->isVisible() == row.columns.empty(), suffix);
        if (row.columns.empty()) {
            QCOMPARE(refused->text().toStdString(), row.reason);
            QCOMPARE(field->text(), row.typed);
            QVERIFY(p.data.Font_5x8_Columns == before_5x8);
            QVERIFY(p.data.Font_10x16_Columns == before_10x16);
            continue;
        }
        for (int c = 0; c < grid->columnCount(); ++c) {
            const std::uint32_t value =
                row.small ? p.data.Font_5x8_Columns[std::size_t(c)]
                          : std::uint32_t(p.data.Font_10x16_Columns[std::size_t(c)]);
            QCOMPARE(value, row.columns[std::size_t(c)]);
            for (int r = 0; r < grid->rowCount(); ++r) {
                const bool lit = grid->item(r, c)->background().color() ==
                                 grid->palette().color(QPalette::WindowText);
                QCOMPARE(lit, bool((value >> r) & 1));
            }
        }
        // The other glyph is untouched, and the field shows the values as written back.
        QVERIFY(row.small ? p.data.Font_10x16_Columns == before_10x16
                          : p.data.Font_5x8_Columns == before_5x8);
        QCOMPARE(field->text(), QString::fromStdString(Glyph_Values_Text(
                                    p.data, row.small ? Glyph::Font_5x8 : Glyph::Font_10x16)));
    }
}

// Each edit is one step; undoing stops at the start, and a new edit drops what was undone.
void Main_Window_Test::Undo_And_Redo_Walk_Back_And_Forth_Over_Glyph_Edits_And_Slot_Assignments() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    QTemporaryDir folder;
    const std::string logo = folder.filePath("logo.bmp").toStdString();
    Write_Bmp(logo, Test_Bitmap::Random(128, 64, 9));
    auto* annulla = Control<QAction>(p.window.get(), "smnu_Annulla");
    auto* ripeti = Control<QAction>(p.window.get(), "smnu_Ripeti");
    QCOMPARE(annulla->shortcuts(), QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Z"))});
    QCOMPARE(ripeti->shortcuts(), (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                                                       QKeySequence(QStringLiteral("Ctrl+Y"))}));
    auto* grid = Control<Glyph_Grid>(p.window.get(), "msh_Font_5x8");
    auto* box = Element<QLabel>(p.window.get(), "pct_Image_64128A", 2);
    const std::string default_path = p.data.Tables[0].Slots[2].Path;
    const QImage default_shown = Shown(box);
    const auto state = [&] {
        return std::to_string(p.data.Font_5x8_Columns[0]) + " " +
               std::to_string(int(p.data.Font_10x16_Columns[9])) + " " +
               (p.data.Tables[0].Slots[2].Path == logo ? "logo" : "default");
    };

    QVERIFY(!annulla->isEnabled() && !ripeti->isEnabled());
    annulla->trigger(); // nothing to undo
    QCOMPARE(state(), std::string("0 0 default"));
    grid->Toggle_Cell(0, 0);
    p.dialog.Answers = {logo};
    QTest::mousePress(box, Qt::RightButton);
    QTest::mousePress(box, Qt::LeftButton); // no step
    Type_Into(Control<QLineEdit>(p.window.get(), "txt_Font_10x16_Values"),
              QStringLiteral("0,0,0,0,0,0,0,0,0,0x8000"));
    QCOMPARE(state(), std::string("1 32768 logo"));

    const struct {
        QAction* entry;
        std::string after;
        bool can_undo, can_redo;
    } steps[] = {
        {annulla, "1 0 logo", true, true},     {annulla, "1 0 default", true, true},
        {annulla, "0 0 default", false, true}, {annulla, "0 0 default", false, true},
        {ripeti, "1 0 default", true, true},   {ripeti, "1 0 logo", true, true},
        {annulla, "1 0 default", true, true},
    };
    for (const auto& step : steps) {
        step.entry->trigger();
        QCOMPARE(state(), step.after);
        QCOMPARE(annulla->isEnabled(), step.can_undo);
        QCOMPARE(ripeti->isEnabled(), step.can_redo);
        QCOMPARE(Shown(box), step.after.ends_with("logo") ? Picture(logo) : default_shown);
        QCOMPARE(grid->item(0, 0)->background().color() ==
                     grid->palette().color(QPalette::WindowText),
                 step.after.starts_with('1'));
        QCOMPARE(Control<QLineEdit>(p.window.get(), "txt_Font_5x8_Values")->text(),
                 QString::fromStdString(Glyph_Values_Text(p.data, Glyph::Font_5x8)));
    }
    QCOMPARE(p.data.Tables[0].Slots[2].Path, default_path);
    // A new edit after an undo: the undone steps are gone.
    grid->Toggle_Cell(1, 0);
    QVERIFY(!ripeti->isEnabled());
    ripeti->trigger();
    QCOMPARE(state(), std::string("3 0 default"));
    annulla->trigger();
    QCOMPARE(state(), std::string("1 0 default"));
}

// Another program writes, breaks, removes and puts back a file two slots use.
void Main_Window_Test::A_Slot_File_Changed_Elsewhere_Shows_In_Every_Box_Using_It() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    QTemporaryDir folder;
    const std::string logo = folder.filePath("logo.bmp").toStdString();
    const std::string scratch = folder.filePath("scratch.tmp").toStdString();
    Write_Bmp(logo, Test_Bitmap::Random(128, 64, 1));
    auto* first = Element<Picture_Box>(p.window.get(), "pct_Image_64128A", 1);
    auto* second = Element<Picture_Box>(p.window.get(), "pct_Image_64128E", 0);
    auto* untouched = Element<Picture_Box>(p.window.get(), "pct_Image_64128A", 0);
    for (Picture_Box* box : {first, second}) {
        p.dialog.Answers = {logo};
        QTest::mousePress(box, Qt::RightButton);
    }
    const QImage default_shown = Shown(untouched);
    QCOMPARE(untouched->toolTip(), Tip("Sfondo predefinito"));
    QVERIFY(!Marked_Red(untouched));
    QVERIFY(!Marked_Red(first));

    const struct {
        const char* what;
        std::function<void()> act;
        bool refused;
        std::string tip;
    } rows[] = {
        {"rewritten in place", [&] { Write_Bmp(logo, Test_Bitmap::Random(128, 64, 2)); }, false,
         logo},
        {"renamed over",
         [&] {
             Write_Bmp(scratch, Test_Bitmap::Random(128, 64, 3));
             QFile::remove(QString::fromStdString(logo));
             QFile::rename(QString::fromStdString(scratch), QString::fromStdString(logo));
         },
         false, logo},
        {"another size", [&] { Write_Bmp(logo, Test_Bitmap(240, 64, 0)); }, true,
         logo + "\nIl file è una bitmap 240x64 a 1 bit; serve una bitmap 128x64 a 1 bit."},
        {"removed", [&] { QFile::remove(QString::fromStdString(logo)); }, true,
         "File non trovato: " + logo},
        {"back again", [&] { Write_Bmp(logo, Test_Bitmap::Random(128, 64, 4)); }, false, logo},
    };
    for (const auto& row : rows) {
        row.act();
        for (Picture_Box* box : {first, second}) {
            QTRY_COMPARE_WITH_TIMEOUT(box->toolTip(), Tip(row.tip), 1000);
            QTRY_COMPARE_WITH_TIMEOUT(Shown(box), row.refused ? default_shown : Picture(logo),
                                      1000);
            QVERIFY2(Marked_Red(box) == row.refused, row.what);
        }
        QCOMPARE(p.data.Tables[0].Slots[1].Path, logo);
        QCOMPARE(p.data.Tables[1].Slots[0].Path, logo);
        // The compiler still refuses the slot the box shows with its default.
        p.ws.Messages.clear();
        QCOMPARE(Compile_Images(p.data, p.ws), !row.refused);
        QVERIFY2(p.ws.Messages.empty() == !row.refused, row.what);
        QVERIFY(!row.refused ||
                p.ws.Messages[0].Text == std::string(row.tip.starts_with("File non trovato")
                                                         ? "File logo.bmp non trovato."
                                                         : "File logo.bmp non valido.") +
                                             "\r\nImpossibile continuare!!\r\n64128A, "
                                             "Immagine numero 2");
    }
    QVERIFY(!Marked_Red(untouched));
}

void Main_Window_Test::Restoring_A_Default_Asks_Model_And_Slot() {
    for (const bool confirmed : {false, true}) {
        Program_Under_Test p;
        QVERIFY(p.Start());
        QTemporaryDir folder;
        const std::string logo = folder.filePath("logo.bmp").toStdString();
        Write_Bmp(logo, Test_Bitmap::Random(240, 64, 6));
        auto* box = Element<Picture_Box>(p.window.get(), "pct_Image_64240B", 3);
        const QImage default_shown = Shown(box);
        const Image_Slot default_slot = p.data.Tables[2].Slots[3];
        p.dialog.Answers = {logo};
        QTest::mousePress(box, Qt::RightButton);
        auto* tabs = Control<QTabWidget>(p.window.get(), "SST_Select_Image");
        int preset_model = -1, preset_slot = -1;
        QTimer::singleShot(0, [&] {
            auto* ask = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(ask);
            QCOMPARE(ask->windowTitle(), QStringLiteral("Ripristina sfondo predefinito"));
            preset_model = Control<QComboBox>(ask, "cmb_Modello")->currentIndex();
            preset_slot = Control<QComboBox>(ask, "cmb_Immagine")->currentIndex();
            Control<QComboBox>(ask, "cmb_Immagine")->setCurrentIndex(3);
            Click(ask, confirmed ? "cmd_Ripristina" : "cmd_Annulla");
        });
        tabs->setCurrentIndex(2);
        Control<QAction>(p.window.get(), "smnu_Ripristina")->trigger();
        QCOMPARE(preset_model, 2);
        QCOMPARE(preset_slot, 0);
        QCOMPARE(p.data.Tables[2].Slots[3] == default_slot, confirmed);
        QCOMPARE(Shown(box), confirmed ? default_shown : Picture(logo));
        QCOMPARE(box->toolTip(), Tip(confirmed ? "Sfondo predefinito" : logo));
        // The restore is one step.
        Control<QAction>(p.window.get(), "smnu_Annulla")->trigger();
        QCOMPARE(p.data.Tables[2].Slots[3].Path, confirmed ? logo : default_slot.Path);
    }
}

QTEST_MAIN(Main_Window_Test)
#include "Main_Window_Test.moc"
