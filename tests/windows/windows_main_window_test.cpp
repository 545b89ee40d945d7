// The main window of both programs: start-up, picture boxes, bitmap import, glyph editors.
#include "Image_Decoder.h"
#include "Qt_File_Dialog.h"
#include "Qt_Lit_Picture.h"
#include "Qt_Widgets_Window_System.h"
#include "Test_Bitmap.h"
#include "Window_Test_Support.h"
#include "mod_Compilatore.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

#include <tuple>

namespace {

const QString Data_Dir = QStringLiteral(DATA_DIR);

QImage Shown(QLabel* box) {
    return box->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}
QImage Picture(const QString& path) {
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

void Click_Cell(QTableWidget* grid, int row, int column) {
    const QRect cell = grid->visualItemRect(grid->item(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

void Expect_Menus(QWidget* window) {
    QCOMPARE(Control<QMenu>(window, "mnu_File")->title(), QStringLiteral("File"));
    QCOMPARE(Control<QMenu>(window, "mnu_Comunicazione")->title(),
             QStringLiteral("&Comunicazione"));
    QCOMPARE(Control<QAction>(window, "smnu_File")->text(), QStringLiteral("Esci"));
    QCOMPARE(Control<QAction>(window, "smnu_Comunicazione")->text(),
             QStringLiteral("&Attiva/Disattiva seriale"));
}

} // namespace

class Main_Window_Test : public QObject {
    Q_OBJECT

  private slots:
    void Vantrel_starts_with_every_default_shown_and_recorded();
    void Quorrin_starts_with_its_one_table();
    void A_missing_default_ends_the_program_before_any_window();
    void Import_accepts_a_fitting_bitmap_into_one_slot_only();
    void Import_refuses_what_does_not_fit_and_ignores_other_buttons();
    void A_box_shows_what_the_unit_will_show();
    void Glyph_clicks_set_bits_that_compile_at_0x8000();
    void The_message_box_is_modal_with_its_icon_and_OK_only();
};

void Main_Window_Test::Vantrel_starts_with_every_default_shown_and_recorded() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    QVERIFY(p.ws.Messages.empty());
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
    QCOMPARE(p.window->windowTitle(), QStringLiteral("Programmatore LCD grafici"));
    Expect_Menus(p.window.get());

    auto* tabs = Control<QTabWidget>(p.window.get(), "SST_Select_Image");
    const QStringList captions{"128x64 (64128A)", "128x64 (64128E)", "240x64 (64240B)",
                               "240x128 (128240A)", "Fonts"};
    QCOMPARE(tabs->count(), captions.size());
    for (int t = 0; t < tabs->count(); ++t) {
        QCOMPARE(tabs->tabText(t), captions[t]);
    }
    QCOMPARE(tabs->currentIndex(), 0);

    const struct {
        const char* code;
        QSize box;
        QString file;
    } models[] = {{"64128A", {130, 66}, "Sfondo_Bianco_128x64.bmp"},
                  {"64128E", {130, 66}, "Sfondo_Bianco_128x64.bmp"},
                  {"64240B", {242, 66}, "Sfondo_Bianco_240x64.bmp"},
                  {"128240A", {242, 130}, "Sfondo_Bianco_240x128.bmp"}};
    for (int m = 0; m < 4; ++m) {
        const QString code = QString::fromLatin1(models[m].code);
        tabs->setCurrentIndex(m);
        auto* frame = p.window->findChild<QGroupBox*>("fra_Select_Image_" + code);
        QCOMPARE(frame->title(), "Selezionare immagini di sfondo per display " + code + ":");
        const QImage expected = Picture(Data_Dir + "/" + models[m].file);
        QLabel* boxes[4];
        for (int k = 0; k < 4; ++k) {
            boxes[k] = Element<QLabel>(frame, "pct_Image_" + code, k);
            auto* label = Element<QLabel>(frame, "lbl_Image_" + code, k);
            QVERIFY(boxes[k] && label);
            QCOMPARE(label->text(), QStringLiteral("Immagine numero %1:").arg(k + 1));
            QCOMPARE(boxes[k]->size(), models[m].box);
            QCOMPARE(Shown(boxes[k]), expected);
            QVERIFY(label->geometry().bottom() < boxes[k]->geometry().top());
            QCOMPARE(label->x(), boxes[k]->x());
            QCOMPARE(
                QString::fromStdString(p.data.Tables[std::size_t(m)].Slots[std::size_t(k)].Path),
                Data_Dir + "/" + models[m].file);
        }
        // Two by two.
        QCOMPARE(boxes[1]->y(), boxes[0]->y());
        QVERIFY(boxes[1]->x() > boxes[0]->geometry().right());
        QCOMPARE(boxes[2]->x(), boxes[0]->x());
        QVERIFY(boxes[2]->y() > boxes[0]->geometry().bottom());
        QCOMPARE(boxes[3]->pos(), QPoint(boxes[1]->x(), boxes[2]->y()));
    }

    tabs->setCurrentIndex(4);
    QCOMPARE(Control<QGroupBox>(p.window.get(), "fra_Font_64128A_64128E")->title(),
             QStringLiteral("Font per display 64128A e 64128E:"));
    auto* fra_5x8 = Control<QGroupBox>(p.window.get(), "fra_5x8");
    auto* fra_10x16 = Control<QGroupBox>(p.window.get(), "fra_10x16");
    QCOMPARE(fra_5x8->title(), QStringLiteral("Font 5x8 pixel:"));
    QCOMPARE(fra_10x16->title(), QStringLiteral("Font 10x16 pixel:"));
    QVERIFY(fra_5x8->geometry().bottom() < fra_10x16->geometry().top());
    for (const auto& [name, rows, columns] :
         {std::tuple{"msh_Font_5x8", 8, 5}, std::tuple{"msh_Font_10x16", 16, 10}}) {
        auto* grid = Control<QTableWidget>(p.window.get(), name);
        QCOMPARE(grid->rowCount(), rows);
        QCOMPARE(grid->columnCount(), columns);
        QVERIFY(!grid->horizontalHeader()->isVisible() && !grid->verticalHeader()->isVisible());
        QCOMPARE(grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                QCOMPARE(grid->columnWidth(c), 10);
                QCOMPARE(grid->rowHeight(r), 10);
                QVERIFY(grid->viewport()->rect().contains(grid->visualItemRect(grid->item(r, c))));
            }
        }
    }
    QVERIFY(p.window->Serial_Window() == nullptr);
    QVERIFY(!p.port.PortOpen());
}

void Main_Window_Test::Quorrin_starts_with_its_one_table() {
    Program_Under_Test p(Quorrin_Program());
    QVERIFY(p.Start());
    QVERIFY(p.ws.Messages.empty());
    QCOMPARE(p.window->windowTitle(), QStringLiteral("Programmatore LCD OLED"));
    Expect_Menus(p.window.get());
    auto* tabs = Control<QTabWidget>(p.window.get(), "SST_Select_Image");
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabText(0), QStringLiteral("128x64 (RGS24128064)"));
    auto* frame = Control<QGroupBox>(p.window.get(), "fra_Select_Image_64128A");
    QCOMPARE(frame->title(),
             QStringLiteral("Selezionare immagini di sfondo per display RGS24128064:"));
    QVERIFY(p.window->findChild<QTableWidget*>() == nullptr);
    QCOMPARE(p.data.Tables[0].Model->Table_Name, std::string("Images_OLED"));
    for (int k = 0; k < 4; ++k) {
        auto* box = Element<QLabel>(frame, "pct_Image_64128", k);
        QCOMPARE(box->size(), QSize(130, 66));
        QCOMPARE(Shown(box), Picture(Data_Dir + "/Sfondo_Bianco_128x64.bmp"));
        QCOMPARE(Element<QLabel>(frame, "lbl_Image_64128A", k)->text(),
                 QStringLiteral("Immagine numero %1:").arg(k + 1));
        QCOMPARE(p.data.Tables[0].Slots[std::size_t(k)].Name,
                 std::string("Sfondo_Bianco_128x64.bmp"));
    }
}

// Every missing default and its message are covered with the start-up fill; here the window.
void Main_Window_Test::A_missing_default_ends_the_program_before_any_window() {
    QTemporaryDir folder;
    for (const char* file : {"Sfondo_Bianco_128x64.bmp", "Sfondo_Bianco_240x64.bmp"}) {
        QVERIFY(QFile::copy(Data_Dir + "/" + file, folder.filePath(file)));
    }
    Program_Under_Test p(Vantrel_Program(), folder.path());
    QVERIFY(!p.Start());
    QVERIFY(p.ws.Ended);
    QCOMPARE(p.ws.Messages.size(), std::size_t(1));
    QCOMPARE(p.ws.Messages[0].Text,
             std::string("File Sfondo_Bianco_240x128.bmp non trovato. Impossibile continuare"));
    QCOMPARE(p.ws.Messages[0].Title, std::string("ERROR"));
    QVERIFY(p.ws.Messages[0].Icon == Message_Icon::Critical);
    QVERIFY(!p.window->isVisible());
}

void Main_Window_Test::Import_accepts_a_fitting_bitmap_into_one_slot_only() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir("Sfondi Nuovi"));
    const QString chosen = folder.filePath("Sfondi Nuovi/Allarme.BMP");
    Write_Bmp(chosen.toStdString(), Test_Bitmap(240, 64, 0));
    const auto before = p.data.Tables;
    p.dialog.Answers.push_back(chosen.toStdString());

    QTest::mousePress(Element<QLabel>(p.window.get(), "pct_Image_64240B", 2), Qt::RightButton);

    QVERIFY(p.ws.Messages.empty());
    QCOMPARE(p.dialog.Calls.size(), std::size_t(1));
    QCOMPARE(p.dialog.Calls[0].first, std::string("Tutti i file |*.*| Messaggio (*.bmp) | *.bmp"));
    QCOMPARE(p.dialog.Calls[0].second, 2);
    QCOMPARE(Qt_Filters(p.dialog.Calls[0].first),
             QStringList({"Tutti i file (*.*)", "Messaggio (*.bmp)"}));
    const Image_Slot& slot = p.data.Tables[2].Slots[2];
    QCOMPARE(QString::fromStdString(slot.Path), chosen);
    QCOMPARE(slot.Name, std::string("Allarme.BMP"));
    QCOMPARE(slot.Width, 240.0);
    QCOMPARE(slot.Height, 64.0);
    const QImage white = Picture(Data_Dir + "/Sfondo_Bianco_240x64.bmp");
    for (std::size_t m = 0; m < 4; ++m) {
        for (std::size_t k = 0; k < 4; ++k) {
            if (m == 2) {
                QCOMPARE(Shown(Element<QLabel>(p.window.get(), "pct_Image_64240B", int(k))),
                         k == 2 ? Picture(chosen) : white);
            }
            if (m != 2 || k != 2) {
                QCOMPARE(p.data.Tables[m].Slots[k].Path, before[m].Slots[k].Path);
            }
        }
    }
}

void Main_Window_Test::Import_refuses_what_does_not_fit_and_ignores_other_buttons() {
    QTemporaryDir folder;
    const auto path = [&](const char* name) { return folder.filePath(name).toStdString(); };
    const auto bmp = [&](const char* name, int width, const Bmp_Form& form = {}) {
        Write_Bmp(path(name), Test_Bitmap(width, 64, 0), form);
        return path(name);
    };
    QVERIFY(QDir(folder.path()).mkdir("bmpfiles"));
    Write_File(path("bmpfiles/readme.txt"), std::string(200, 'x'));
    Write_File(path("short.bmp"), "BM" + std::string(26, '\1'));
    const std::optional<std::string> refused[] = {
        std::nullopt, // the dialog cancelled
        bmp("notes.txt", 128),
        bmp("wide.bmp", 240),
        bmp("four.bmp", 128, {.Bits_Per_Pixel = 4}),
        bmp("eight.bmp", 128, {.Bits_Per_Pixel = 8}),
        bmp("topdown.bmp", 128, {.Top_Down = true}),
        path("short.bmp"),
        path("missing.bmp"),
        path("bmpfiles/readme.txt"),
        bmp("rle.bmp", 128, {.Compression = 1}),
    };
    Program_Under_Test p;
    QVERIFY(p.Start());
    const auto before = p.data.Tables[0].Slots;
    auto* box = Element<QLabel>(p.window.get(), "pct_Image_64128A", 1);
    const QImage shown_before = Shown(box);
    for (const auto& choice : refused) {
        p.ws.Messages.clear();
        p.dialog.Answers = {choice};
        QTest::mousePress(box, Qt::RightButton);
        const bool warned = choice == path("notes.txt");
        QCOMPARE(p.ws.Messages.size(), std::size_t(warned ? 2 : 1));
        if (warned) {
            QCOMPARE(p.ws.Messages[0].Text, std::string("Estensione file non valida!"));
            QCOMPARE(p.ws.Messages[0].Title, std::string("WARNING"));
            QVERIFY(p.ws.Messages[0].Icon == Message_Icon::Exclamation);
        }
        // A file that was looked at gets its reason on a second line.
        const std::string& text = p.ws.Messages.back().Text;
        QCOMPARE(text.substr(0, text.find("\r\n")), std::string("Selezionata immagine non valida"));
        QCOMPARE(text.find("\r\n") != std::string::npos, choice.has_value() && !warned);
        QCOMPARE(p.ws.Messages.back().Title, std::string("ERROR"));
        QVERIFY(p.ws.Messages.back().Icon == Message_Icon::Critical);
        for (std::size_t k = 0; k < 4; ++k) {
            QCOMPARE(p.data.Tables[0].Slots[k].Path, before[k].Path);
            QCOMPARE(p.data.Tables[0].Slots[k].Name, before[k].Name);
        }
        QCOMPARE(Shown(box), shown_before);
    }
    QVERIFY(!QFile::exists(QString::fromStdString(path("missing.bmp"))));

    p.ws.Messages.clear();
    p.dialog.Calls.clear();
    QTest::mousePress(box, Qt::LeftButton);
    QTest::mousePress(box, Qt::MiddleButton);
    QVERIFY(p.dialog.Calls.empty());
    QVERIFY(p.ws.Messages.empty());
}

// The box draws from the compiler's reader: a file with the palette white then black shows as
// any viewer shows it, and equals the preview of the compiled image.
void Main_Window_Test::A_box_shows_what_the_unit_will_show() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    QTemporaryDir folder;
    const QString chosen = folder.filePath("white_first.bmp");
    Write_Bmp(chosen.toStdString(), Test_Bitmap::Random(128, 64, 5), {.White_First = true});
    p.dialog.Answers.push_back(chosen.toStdString());
    auto* box = Element<QLabel>(p.window.get(), "pct_Image_64128E", 3);
    QTest::mousePress(box, Qt::RightButton);
    QVERIFY(p.ws.Messages.empty());
    QCOMPARE(Shown(box), Picture(chosen));

    QVERIFY(Compile_Images(p.data, p.ws));
    const auto previews = Decode_Image(p.data.EEPROM_Image, p.data.Program);
    QCOMPARE(previews[7].Name, std::string("64128E_4"));
    QCOMPARE(Shown(box), Lit_Picture_Image(previews[7]).convertToFormat(QImage::Format_RGB32));
}

void Main_Window_Test::Glyph_clicks_set_bits_that_compile_at_0x8000() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
    Control<QTabWidget>(p.window.get(), "SST_Select_Image")->setCurrentIndex(4);
    auto* small = Control<QTableWidget>(p.window.get(), "msh_Font_5x8");
    auto* large = Control<QTableWidget>(p.window.get(), "msh_Font_10x16");
    const QColor on = small->palette().color(QPalette::WindowText);
    const QColor off = small->palette().color(QPalette::Window);

    Click_Cell(small, 0, 0);
    QCOMPARE(int(p.data.Font_5x8_Columns[0]), 1);
    QCOMPARE(small->item(0, 0)->background().color(), on);
    Click_Cell(small, 0, 0);
    QCOMPARE(int(p.data.Font_5x8_Columns[0]), 0);
    QCOMPARE(small->item(0, 0)->background().color(), off);

    Click_Cell(small, 7, 4);
    for (int r = 0; r < 8; ++r) {
        Click_Cell(small, r, 2);
    }
    Click_Cell(large, 15, 9);
    for (int r = 0; r < 16; ++r) {
        Click_Cell(large, r, 3);
    }
    Click_Cell(large, 0, 0);
    Click_Cell(large, 0, 0);
    QVERIFY((p.data.Font_5x8_Columns == std::array<std::uint8_t, 5>{0, 0, 255, 0, 128}));
    QVERIFY((p.data.Font_10x16_Columns ==
             std::array<double, 10>{0, 0, 0, 65535, 0, 0, 0, 0, 0, 32768}));
    QCOMPARE(large->item(15, 9)->background().color(), on);
    QCOMPARE(small->item(7, 4)->background().color(), on);

    QVERIFY(Compile_Images(p.data, p.ws));
    const std::vector<std::uint8_t> expected{
        0, 0, 255, 0,    128,                   // 5x8 columns
        0, 0, 0,   0xFF, 0,   0, 0, 0, 0, 0,    // 10x16 low bytes
        0, 0, 0,   0xFF, 0,   0, 0, 0, 0, 0x80, // 10x16 high bytes
    };
    QVERIFY(std::equal(expected.begin(), expected.end(), p.data.EEPROM_Image.begin() + 0x8000));
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
    QCOMPARE(QString::fromStdString(ws.Program_Folder()), QCoreApplication::applicationDirPath());
    ws.Busy_Pointer(true);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ws.Busy_Pointer(false);
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

QTEST_MAIN(Main_Window_Test)
#include "windows_main_window_test.moc"
