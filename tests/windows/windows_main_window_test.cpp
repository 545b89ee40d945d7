// The main window of both programs: start-up, picture boxes, bitmap import, glyph editors.
#include "Fake_Window_System.h"
#include "Qt_File_Dialog.h"
#include "Qt_Widgets_Window_System.h"
#include "Window_Test_Support.h"
#include "frm_Tessaro.h"
#include "mod_Compilatore.h"
#include "mod_Funzioni_Varie.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString Data_Dir = QStringLiteral(DATA_DIR);

struct Program_Under_Test {
    explicit Program_Under_Test(const Program_Description& program,
                                const QString& folder = Data_Dir)
        : data(program) {
        ws.Folder = folder.toStdString();
        window = std::make_unique<frm_Tessaro>(data, ws, dialog, port, clock);
    }

    Program_Data data;
    Fake_Window_System ws;
    Scripted_File_Dialog dialog;
    Fake_Serial_Control port;
    Manual_Clock clock;
    std::unique_ptr<frm_Tessaro> window;
};

QImage Shown(QLabel* box) {
    return box->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}
QImage Picture(const QString& path) {
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

void Right_Click(QWidget* box) {
    QTest::mousePress(box, Qt::RightButton, {}, QPoint(5, 5));
}

void Click_Cell(QTableWidget* grid, int row, int column) {
    const QRect cell = grid->visualItemRect(grid->item(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

} // namespace

class Main_Window_Test : public QObject {
    Q_OBJECT

  private slots:
    void Vantrel_starts_with_every_default_shown_and_recorded();
    void Quorrin_starts_with_its_one_table();
    void A_missing_default_ends_the_program_before_any_window_data();
    void A_missing_default_ends_the_program_before_any_window();
    void Import_accepts_a_fitting_bitmap_into_one_slot_only();
    void Import_refuses_what_does_not_fit_data();
    void Import_refuses_what_does_not_fit();
    void Left_and_middle_clicks_do_nothing();
    void Glyph_clicks_set_bits_that_compile_at_0x8000();
    void The_message_box_is_modal_with_its_icon_and_OK_only();
};

void Main_Window_Test::Vantrel_starts_with_every_default_shown_and_recorded() {
    Program_Under_Test p(Vantrel_Program());
    QVERIFY(p.window->Form_Load());
    QVERIFY(p.ws.Messages.empty());
    QVERIFY(!p.ws.Ended);
    p.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));

    QCOMPARE(p.window->windowTitle(), QStringLiteral("Programmatore LCD grafici"));
    auto* file_menu = p.window->findChild<QMenu*>(QStringLiteral("mnu_File"));
    auto* comm_menu = p.window->findChild<QMenu*>(QStringLiteral("mnu_Comunicazione"));
    QVERIFY(file_menu && comm_menu);
    QCOMPARE(file_menu->title(), QStringLiteral("File"));
    QCOMPARE(comm_menu->title(), QStringLiteral("&Comunicazione"));
    QCOMPARE(p.window->findChild<QAction*>(QStringLiteral("smnu_File"))->text(),
             QStringLiteral("Esci"));
    QCOMPARE(p.window->findChild<QAction*>(QStringLiteral("smnu_Comunicazione"))->text(),
             QStringLiteral("&Attiva/Disattiva seriale"));

    auto* tabs = p.window->findChild<QTabWidget*>(QStringLiteral("SST_Select_Image"));
    QVERIFY(tabs);
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
        QVERIFY(frame);
        QCOMPARE(frame->title(), "Selezionare immagini di sfondo per display " + code + ":");
        QVERIFY(tabs->tabText(m).contains(code));
        const QImage expected = Picture(Data_Dir + "/" + models[m].file);
        for (int k = 0; k < 4; ++k) {
            auto* box = Element<QLabel>(frame, ("pct_Image_" + code).toLatin1(), k);
            auto* label = Element<QLabel>(frame, ("lbl_Image_" + code).toLatin1(), k);
            QVERIFY(box && label);
            QCOMPARE(label->text(), QStringLiteral("Immagine numero %1:").arg(k + 1));
            QCOMPARE(box->size(), models[m].box);
            QCOMPARE(Shown(box), expected);
            QVERIFY(label->geometry().bottom() < box->geometry().top());
            QCOMPARE(label->x(), box->x());
            const Image_Slot& slot = p.data.Tables[std::size_t(m)].Slots[std::size_t(k)];
            QCOMPARE(QString::fromStdString(slot.Name), models[m].file);
            QCOMPARE(QString::fromStdString(slot.Path), Data_Dir + "/" + models[m].file);
            QCOMPARE(slot.Width, double(models[m].box.width() - 2));
            QCOMPARE(slot.Height, double(models[m].box.height() - 2));
        }
        auto* box0 = Element<QLabel>(frame, ("pct_Image_" + code).toLatin1(), 0);
        auto* box1 = Element<QLabel>(frame, ("pct_Image_" + code).toLatin1(), 1);
        auto* box2 = Element<QLabel>(frame, ("pct_Image_" + code).toLatin1(), 2);
        auto* box3 = Element<QLabel>(frame, ("pct_Image_" + code).toLatin1(), 3);
        QCOMPARE(box1->y(), box0->y());
        QVERIFY(box1->x() > box0->geometry().right());
        QCOMPARE(box2->x(), box0->x());
        QVERIFY(box2->y() > box0->geometry().bottom());
        QCOMPARE(box3->x(), box1->x());
        QCOMPARE(box3->y(), box2->y());
    }

    tabs->setCurrentIndex(4);
    QCOMPARE(p.window->findChild<QGroupBox*>("fra_Font_64128A_64128E")->title(),
             QStringLiteral("Font per display 64128A e 64128E:"));
    auto* fra_5x8 = p.window->findChild<QGroupBox*>("fra_5x8");
    auto* fra_10x16 = p.window->findChild<QGroupBox*>("fra_10x16");
    QCOMPARE(fra_5x8->title(), QStringLiteral("Font 5x8 pixel:"));
    QCOMPARE(fra_10x16->title(), QStringLiteral("Font 10x16 pixel:"));
    QVERIFY(fra_5x8->geometry().bottom() < fra_10x16->geometry().top());
    const struct {
        const char* name;
        int rows, columns;
    } grids[] = {{"msh_Font_5x8", 8, 5}, {"msh_Font_10x16", 16, 10}};
    for (const auto& g : grids) {
        auto* grid = p.window->findChild<QTableWidget*>(g.name);
        QVERIFY(grid);
        QCOMPARE(grid->rowCount(), g.rows);
        QCOMPARE(grid->columnCount(), g.columns);
        QVERIFY(!grid->horizontalHeader()->isVisible() && !grid->verticalHeader()->isVisible());
        QCOMPARE(grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        for (int r = 0; r < g.rows; ++r) {
            for (int c = 0; c < g.columns; ++c) {
                const QRect cell = grid->visualItemRect(grid->item(r, c));
                QCOMPARE(grid->columnWidth(c), 10);
                QCOMPARE(grid->rowHeight(r), 10);
                QVERIFY(grid->viewport()->rect().contains(cell));
            }
        }
    }
    QVERIFY(p.window->Serial_Window() == nullptr);
    QVERIFY(!p.port.PortOpen());
}

void Main_Window_Test::Quorrin_starts_with_its_one_table() {
    Program_Under_Test p(Quorrin_Program());
    QVERIFY(p.window->Form_Load());
    QVERIFY(p.ws.Messages.empty());
    QCOMPARE(p.window->windowTitle(), QStringLiteral("Programmatore LCD OLED"));
    auto* tabs = p.window->findChild<QTabWidget*>(QStringLiteral("SST_Select_Image"));
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabText(0), QStringLiteral("128x64 (RGS24128064)"));
    auto* frame = p.window->findChild<QGroupBox*>(QStringLiteral("fra_Select_Image_64128A"));
    QVERIFY(frame);
    QCOMPARE(frame->title(),
             QStringLiteral("Selezionare immagini di sfondo per display RGS24128064:"));
    QVERIFY(p.window->findChild<QTableWidget*>() == nullptr);
    QCOMPARE(p.window->findChild<QAction*>(QStringLiteral("smnu_File"))->text(),
             QStringLiteral("Esci"));
    QCOMPARE(p.window->findChild<QAction*>(QStringLiteral("smnu_Comunicazione"))->text(),
             QStringLiteral("&Attiva/Disattiva seriale"));
    const QImage expected = Picture(Data_Dir + "/Sfondo_Bianco_128x64.bmp");
    QCOMPARE(QString::fromStdString(p.data.Tables[0].Model->Table_Name),
             QStringLiteral("Images_OLED"));
    for (int k = 0; k < 4; ++k) {
        auto* box = Element<QLabel>(frame, "pct_Image_64128", k);
        QVERIFY(box);
        QCOMPARE(box->size(), QSize(130, 66));
        QCOMPARE(Shown(box), expected);
        QCOMPARE(Element<QLabel>(frame, "lbl_Image_64128A", k)->text(),
                 QStringLiteral("Immagine numero %1:").arg(k + 1));
        QCOMPARE(p.data.Tables[0].Slots[std::size_t(k)].Name,
                 std::string("Sfondo_Bianco_128x64.bmp"));
    }
}

void Main_Window_Test::A_missing_default_ends_the_program_before_any_window_data() {
    QTest::addColumn<bool>("vantrel");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("filled_tables");
    QTest::newRow("240x128 missing")
        << true << QStringList{"Sfondo_Bianco_128x64.bmp", "Sfondo_Bianco_240x64.bmp"}
        << "File Sfondo_Bianco_240x128.bmp non trovato. Impossibile continuare" << 3;
    QTest::newRow("all missing") << true << QStringList{}
                                 << "File Sfondo_Bianco_128x64.bmp non trovato. Impossibile "
                                    "continuare"
                                 << 0;
    QTest::newRow("Quorrin's default missing")
        << false << QStringList{"Sfondo_Bianco_240x64.bmp", "Sfondo_Bianco_240x128.bmp"}
        << "File Sfondo_Bianco_128x64.bmp non trovato. Impossibile continuare" << 0;
}

void Main_Window_Test::A_missing_default_ends_the_program_before_any_window() {
    QFETCH(bool, vantrel);
    QFETCH(QStringList, present);
    QFETCH(QString, message);
    QFETCH(int, filled_tables);
    QTemporaryDir folder;
    for (const QString& file : present) {
        QVERIFY(QFile::copy(Data_Dir + "/" + file, folder.filePath(file)));
    }
    Program_Under_Test p(vantrel ? Vantrel_Program() : Quorrin_Program(), folder.path());
    QVERIFY(!p.window->Form_Load());
    QVERIFY(p.ws.Ended);
    QCOMPARE(p.ws.Messages.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(p.ws.Messages[0].Text), message);
    QCOMPARE(p.ws.Messages[0].Title, std::string("ERROR"));
    QVERIFY(p.ws.Messages[0].Icon == Message_Icon::Critical);
    QVERIFY(!p.window->isVisible());
    for (int m = 0; m < filled_tables; ++m) {
        QVERIFY(!p.data.Tables[std::size_t(m)].Slots[3].Path.empty());
    }
}

void Main_Window_Test::Import_accepts_a_fitting_bitmap_into_one_slot_only() {
    Program_Under_Test p(Vantrel_Program());
    QVERIFY(p.window->Form_Load());
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir("Sfondi Nuovi"));
    const QString chosen = folder.filePath("Sfondi Nuovi/Allarme.BMP");
    Write_Bitmap(chosen, 240, 64, 1, 1, 0);
    const auto before = p.data.Tables;
    p.dialog.Answers.push_back(chosen.toStdString());

    Right_Click(Element<QLabel>(p.window.get(), "pct_Image_64240B", 2));

    QVERIFY(p.ws.Messages.empty());
    QCOMPARE(p.dialog.Calls.size(), std::size_t(1));
    QCOMPARE(p.dialog.Calls[0].first, std::string("Tutti i file |*.*| Messaggio (*.bmp) | *.bmp"));
    QCOMPARE(p.dialog.Calls[0].second, 2);
    QCOMPARE(Qt_Filters(p.dialog.Calls[0].first),
             QStringList({"Tutti i file (*.*)", "Messaggio (*.bmp)"}));
    const Image_Slot& slot = p.data.Tables[2].Slots[2];
    QCOMPARE(QString::fromStdString(slot.Path), chosen);
    QCOMPARE(slot.Name, File_Name_Part(chosen.toStdString()));
    QCOMPARE(slot.Width, 240.0);
    QCOMPARE(slot.Height, 64.0);
    QCOMPARE(Shown(Element<QLabel>(p.window.get(), "pct_Image_64240B", 2)), Picture(chosen));
    const QImage white = Picture(Data_Dir + "/Sfondo_Bianco_240x64.bmp");
    for (int k : {0, 1, 3}) {
        QCOMPARE(Shown(Element<QLabel>(p.window.get(), "pct_Image_64240B", k)), white);
        QCOMPARE(p.data.Tables[2].Slots[std::size_t(k)].Path, before[2].Slots[std::size_t(k)].Path);
    }
    for (int m : {0, 1, 3}) {
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(p.data.Tables[std::size_t(m)].Slots[std::size_t(k)].Path,
                     before[std::size_t(m)].Slots[std::size_t(k)].Path);
        }
    }
}

void Main_Window_Test::Import_refuses_what_does_not_fit_data() {
    QTest::addColumn<QString>("file"); // created in a scratch folder unless it starts with '!'
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("compression");
    QTest::addColumn<bool>("warning"); // the name test fails first
    QTest::newRow("dialog cancelled") << QString() << 0 << 0 << 0 << 0 << false;
    QTest::newRow("name without bmp") << "notes.txt" << 128 << 64 << 1 << 0 << true;
    QTest::newRow("240x64 for a 128x64 box") << "wide.bmp" << 240 << 64 << 1 << 0 << false;
    QTest::newRow("4 bits per pixel") << "four.bmp" << 128 << 64 << 4 << 0 << false;
    QTest::newRow("8 bits per pixel") << "eight.bmp" << 128 << 64 << 8 << 0 << false;
    QTest::newRow("top-down") << "topdown.bmp" << 128 << -64 << 1 << 0 << false;
    QTest::newRow("28 bytes") << "!short.bmp" << 0 << 0 << 0 << 0 << false;
    QTest::newRow("no such file") << "!missing.bmp" << 0 << 0 << 0 << 0 << false;
    QTest::newRow("text in a bmp folder") << "!bmpfiles/readme.txt" << 0 << 0 << 0 << 0 << false;
    QTest::newRow("header fits, picture undecodable") << "rle.bmp" << 128 << 64 << 1 << 1 << false;
}

void Main_Window_Test::Import_refuses_what_does_not_fit() {
    QFETCH(QString, file);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bits);
    QFETCH(int, compression);
    QFETCH(bool, warning);
    Program_Under_Test p(Vantrel_Program());
    QVERIFY(p.window->Form_Load());
    QTemporaryDir folder;
    QString path;
    if (file.startsWith('!')) {
        path = folder.filePath(file.mid(1));
        if (file == "!short.bmp") {
            QFile out(path);
            out.open(QIODevice::WriteOnly);
            out.write(QByteArray("BM").append(QByteArray(26, '\1')));
        } else if (file.contains("bmpfiles")) {
            QDir(folder.path()).mkdir("bmpfiles");
            QFile out(path);
            out.open(QIODevice::WriteOnly);
            out.write(QByteArray(200, 'x'));
        }
        p.dialog.Answers.push_back(path.toStdString());
    } else if (!file.isEmpty()) {
        path = folder.filePath(file);
        Write_Bitmap(path, width, height, bits, 1, 0, std::uint32_t(compression));
        p.dialog.Answers.push_back(path.toStdString());
    }
    const auto before = p.data.Tables[0].Slots;
    auto* box = Element<QLabel>(p.window.get(), "pct_Image_64128A", 1);
    const QImage shown_before = Shown(box);

    Right_Click(box);

    std::vector<Fake_Window_System::Message> expected;
    if (warning) {
        expected.push_back({"Estensione file non valida!", "WARNING", Message_Icon::Exclamation});
    }
    expected.push_back({"Selezionata immagine non valida", "ERROR", Message_Icon::Critical});
    QVERIFY(p.ws.Messages.size() >= expected.size());
    const auto& last = p.ws.Messages.back();
    QCOMPARE(last.Text, expected.back().Text);
    QCOMPARE(last.Title, expected.back().Title);
    if (warning) {
        QCOMPARE(p.ws.Messages.size(), std::size_t(2));
        QCOMPARE(p.ws.Messages[0].Text, expected[0].Text);
        QCOMPARE(p.ws.Messages[0].Title, expected[0].Title);
        QVERIFY(p.ws.Messages[0].Icon == Message_Icon::Exclamation);
    }
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(p.data.Tables[0].Slots[std::size_t(k)].Path, before[std::size_t(k)].Path);
        QCOMPARE(p.data.Tables[0].Slots[std::size_t(k)].Name, before[std::size_t(k)].Name);
    }
    QCOMPARE(Shown(box), shown_before);
    if (file == "!missing.bmp") {
        QVERIFY(!QFile::exists(path));
    }
}

void Main_Window_Test::Left_and_middle_clicks_do_nothing() {
    Program_Under_Test p(Vantrel_Program());
    QVERIFY(p.window->Form_Load());
    auto* box = Element<QLabel>(p.window.get(), "pct_Image_128240A", 3);
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mousePress(box, Qt::MiddleButton, {}, QPoint(5, 5));
    QVERIFY(p.dialog.Calls.empty());
    QVERIFY(p.ws.Messages.empty());
}

void Main_Window_Test::Glyph_clicks_set_bits_that_compile_at_0x8000() {
    Program_Under_Test p(Vantrel_Program());
    QVERIFY(p.window->Form_Load());
    p.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
    p.window->findChild<QTabWidget*>("SST_Select_Image")->setCurrentIndex(4);
    auto* small = p.window->findChild<QTableWidget*>("msh_Font_5x8");
    auto* large = p.window->findChild<QTableWidget*>("msh_Font_10x16");
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

    const std::array<std::uint8_t, 5> small_columns{0, 0, 255, 0, 128};
    QVERIFY(p.data.Font_5x8_Columns == small_columns);
    std::array<double, 10> large_columns{};
    large_columns[3] = 65535;
    large_columns[9] = 32768;
    QVERIFY(p.data.Font_10x16_Columns == large_columns);
    QCOMPARE(large->item(15, 9)->background().color(), on);
    QCOMPARE(small->item(7, 4)->background().color(), on);

    QVERIFY(Compile_Images(p.data, p.ws));
    const std::vector<std::uint8_t> glyph_bytes(p.data.EEPROM_Image.begin() + 0x8000,
                                                p.data.EEPROM_Image.begin() + 0x8019);
    const std::vector<std::uint8_t> expected{
        0, 0, 255, 0,    128,                   // 5x8 columns
        0, 0, 0,   0xFF, 0,   0, 0, 0, 0, 0,    // 10x16 low bytes
        0, 0, 0,   0xFF, 0,   0, 0, 0, 0, 0x80, // 10x16 high bytes
    };
    QVERIFY(glyph_bytes == expected);
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
