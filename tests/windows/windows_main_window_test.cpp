// The main window of both programs: start-up, picture boxes, bitmap import, glyph editors, the
// menus' keys, and Qt's own texts in Italian.
#include "Image_Decoder.h"
#include "Italian_Desktop.h"
#include "Qt_Lit_Picture.h"
#include "Qt_Widgets_Window_System.h"
#include "Test_Bitmap.h"
#include "Window_Test_Support.h"
#include "mod_Compilatore.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

QImage Shown(QLabel* box) {
    return box->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}
QImage Picture(const std::string& path) {
    return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
}

} // namespace

class Main_Window_Test : public QObject {
    Q_OBJECT

  private slots:
    void Both_programs_start_with_every_default_shown();
    void Import_takes_a_fitting_bitmap_into_its_slot_only_and_refuses_the_rest();
    void A_drag_paints_glyph_cells_the_way_its_first_cell_went();
    void The_message_box_is_modal_with_its_icon_and_OK_only();
    void Every_menu_and_entry_has_its_own_access_key_and_the_file_entries_their_shortcuts();
    // Last: the translations stay installed for the rest of the process.
    void Qt_s_own_texts_dates_and_file_types_read_Italian();
};

void Main_Window_Test::Both_programs_start_with_every_default_shown() {
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
void Main_Window_Test::Import_takes_a_fitting_bitmap_into_its_slot_only_and_refuses_the_rest() {
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

void Main_Window_Test::A_drag_paints_glyph_cells_the_way_its_first_cell_went() {
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
    QCOMPARE(Control<QLabel>(p.window.get(), "lbl_Font_5x8_Values")->text(),
             QStringLiteral("0x01,0x00,0x00,0x00,0x10"));
}

void Main_Window_Test::The_message_box_is_modal_with_its_icon_and_OK_only() {
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
    Every_menu_and_entry_has_its_own_access_key_and_the_file_entries_their_shortcuts() {
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
void Main_Window_Test::Qt_s_own_texts_dates_and_file_types_read_Italian() {
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

QTEST_MAIN(Main_Window_Test)
#include "windows_main_window_test.moc"
