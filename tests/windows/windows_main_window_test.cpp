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
#include <QLabel>
#include <QMessageBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

const QString Data_Dir = QStringLiteral(DATA_DIR);

QImage Shown(QLabel* box) {
    return box->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}
QImage Picture(const QString& path) {
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

} // namespace

class Main_Window_Test : public QObject {
    Q_OBJECT

  private slots:
    void Both_programs_start_with_every_default_shown_and_recorded();
    void Import_accepts_a_fitting_bitmap_into_one_slot_only();
    void Import_refuses_what_does_not_fit_and_ignores_other_buttons();
    void A_box_shows_what_the_unit_will_show();
    void The_message_box_is_modal_with_its_icon_and_OK_only();
};

void Main_Window_Test::Both_programs_start_with_every_default_shown_and_recorded() {
    const struct {
        const Program_Description& program;
        std::vector<std::pair<const char*, const char*>> boxes; // name, default file per table
    } programs[] = {
        {Vantrel_Program(),
         {{"pct_Image_64128A", "Sfondo_Bianco_128x64.bmp"},
          {"pct_Image_64128E", "Sfondo_Bianco_128x64.bmp"},
          {"pct_Image_64240B", "Sfondo_Bianco_240x64.bmp"},
          {"pct_Image_128240A", "Sfondo_Bianco_240x128.bmp"}}},
        {Quorrin_Program(), {{"pct_Image_64128", "Sfondo_Bianco_128x64.bmp"}}},
    };
    for (const auto& program : programs) {
        Program_Under_Test p(program.program);
        QVERIFY(p.Start());
        QVERIFY(p.ws.Messages.empty());
        QCOMPARE(Control<QTabWidget>(p.window.get(), "SST_Select_Image")->count(),
                 int(program.boxes.size()) + (program.boxes.size() > 1 ? 1 : 0));
        for (std::size_t m = 0; m < program.boxes.size(); ++m) {
            const QString file = Data_Dir + "/" + program.boxes[m].second;
            for (int k = 0; k < 4; ++k) {
                QCOMPARE(Shown(Element<QLabel>(p.window.get(), program.boxes[m].first, k)),
                         Picture(file));
                QCOMPARE(QString::fromStdString(p.data.Tables[m].Slots[std::size_t(k)].Path), file);
            }
        }
        QVERIFY(p.window->Serial_Window() == nullptr);
        QVERIFY(!p.port.PortOpen());
    }
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
    const auto bmp = [&](const char* name, int width) {
        Write_Bmp(path(name), Test_Bitmap(width, 64, 0));
        return path(name);
    };
    QVERIFY(QDir(folder.path()).mkdir("bmpfiles"));
    Write_File(path("bmpfiles/readme.txt"), std::string(200, 'x'));
    const std::optional<std::string> refused[] = {
        std::nullopt, // the dialog cancelled
        bmp("notes.txt", 128), bmp("wide.bmp", 240),
        path("missing.bmp"),   path("bmpfiles/readme.txt"),
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
