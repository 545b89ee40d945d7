// The conversion dialog: its menu, the live preview, "Salva e usa" and a drop on a picture box.
#include "Test_Bitmap.h"
#include "Window_Test_Support.h"
#include "frm_Converti.h"
#include "mod_Compilatore.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QUrl>

namespace {

// Left half grey 100, right half grey 200, on 128x64: at threshold 128 the left half is lit.
QString Two_Greys(const QTemporaryDir& folder) {
    QImage image(128, 64, QImage::Format_RGB32);
    image.fill(QColor(200, 200, 200));
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            image.setPixel(x, y, qRgb(100, 100, 100));
        }
    }
    const QString path = folder.filePath(QStringLiteral("greys.png"));
    image.save(path);
    return path;
}

// Grey values shown by a preview box, sampled at one display pixel's centre.
int Shown(QWidget* dialog, const char* box, int x, int y, int zoom = 1) {
    const QImage image = Control<QLabel>(dialog, box)->pixmap().toImage();
    return qGray(image.pixel(x * zoom + zoom / 2, y * zoom + zoom / 2));
}

} // namespace

class Convert_Dialog_Test : public QObject {
    Q_OBJECT

  private slots:
    void Preview_follows_every_option();
    void Salva_e_usa_writes_and_assigns_the_slot();
    void A_dropped_picture_opens_the_dialog_on_that_slot();
};

void Convert_Dialog_Test::Preview_follows_every_option() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    QTemporaryDir folder;
    const QString greys = Two_Greys(folder);
    QCOMPARE(Control<QMenu>(p.window.get(), "mnu_Immagini")->title(), QStringLiteral("Immagini"));
    p.dialog.Answers.push_back(greys.toStdString());
    Control<QAction>(p.window.get(), "smnu_Converti")->trigger();
    frm_Converti* dialog = p.window->Converter();
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(!Control(dialog, "cmd_Salva")->isEnabled());
    Click(dialog, "cmd_Sfoglia");
    QCOMPARE(Control<QLineEdit>(dialog, "txt_Sorgente")->text(), greys);
    QVERIFY(Control(dialog, "cmd_Salva")->isEnabled());

    const struct {
        std::function<void()> change;
        int left, right; // grey shown: 0 lit, 255 dark
    } steps[] = {
        {[] {}, 0, 255},
        {[&] { Control<QSpinBox>(dialog, "spn_Soglia")->setValue(100); }, 255, 255},
        {[&] { Control<QCheckBox>(dialog, "chk_Inverti")->setChecked(true); }, 0, 0},
        {[&] { Control<QSpinBox>(dialog, "spn_Soglia")->setValue(128); }, 255, 0},
    };
    for (const auto& step : steps) {
        step.change();
        QCOMPARE(Shown(dialog, "pct_Anteprima", 10, 10), step.left);
        QCOMPARE(Shown(dialog, "pct_Anteprima", 100, 10), step.right);
        QCOMPARE(Shown(dialog, "pct_Anteprima_Ingrandita", 10, 10, 3), step.left);
        QCOMPARE(Shown(dialog, "pct_Anteprima_Ingrandita", 100, 10, 3), step.right);
    }
    // Fitted on 240x128 the 128x64 source grows 1.875 times: the lit right half starts at 120.
    Control<QComboBox>(dialog, "cmb_Modello")->setCurrentIndex(3);
    QCOMPARE(Control(dialog, "pct_Anteprima")->size(), QSize(242, 130));
    QCOMPARE(Control(dialog, "pct_Anteprima_Ingrandita")->size(), QSize(482, 258));
    QCOMPARE(Shown(dialog, "pct_Anteprima", 119, 64), 255);
    QCOMPARE(Shown(dialog, "pct_Anteprima", 120, 64), 0);
}

void Convert_Dialog_Test::Salva_e_usa_writes_and_assigns_the_slot() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    QTemporaryDir folder;
    const QString greys = Two_Greys(folder);
    Control<QAction>(p.window.get(), "smnu_Converti")->trigger();
    frm_Converti* dialog = p.window->Converter();
    QVERIFY(dialog->Load_Source(greys.toStdString()));
    Control<QComboBox>(dialog, "cmb_Modello")->setCurrentIndex(2);
    Control<QComboBox>(dialog, "cmb_Immagine")->setCurrentIndex(1);

    Click(dialog, "cmd_Salva"); // the save dialog cancelled: nothing written
    QCOMPARE(p.dialog.Suggested.back(), folder.filePath("greys_64240B.bmp").toStdString());
    QVERIFY(!QFile::exists(folder.filePath("greys_64240B.bmp")));
    const std::string chosen = folder.filePath("Allarme.bmp").toStdString();
    p.dialog.Save_Answers.push_back(chosen);
    Click(dialog, "cmd_Salva");

    QVERIFY(p.ws.Messages.empty());
    QTRY_VERIFY(p.window->Converter() == nullptr);
    const Image_Slot& slot = p.data.Tables[2].Slots[1];
    QCOMPARE(slot.Path, chosen);
    QCOMPARE(slot.Name, std::string("Allarme.bmp"));
    QCOMPARE(Element<QLabel>(p.window.get(), "pct_Image_64240B", 1)->pixmap().toImage().size(),
             QSize(240, 64));
    // 240x64 fits 128x64 doubled height-wise: 128x64 at x = 56, lit from 56 to 119.
    QVERIFY(Compile_Images(p.data, p.ws));
    std::vector<std::uint8_t> row(30, 0);
    std::fill(row.begin() + 7, row.begin() + 15, 0xFF);
    for (int y = 0; y < 64; ++y) {
        const auto at = p.data.EEPROM_Image.begin() + 0x2000 + 1920 + y * 30;
        QVERIFY(std::equal(row.begin(), row.end(), at));
    }
}

void Convert_Dialog_Test::A_dropped_picture_opens_the_dialog_on_that_slot() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    QTemporaryDir folder;
    Write_File(folder.filePath("notes.txt").toStdString(), std::string("x"));
    const auto drop = [&](const QString& file) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(file)});
        QWidget* box = Element(p.window.get(), "pct_Image_128240A", 3);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(box, &event);
    };

    drop(folder.filePath("notes.txt"));
    QCOMPARE(p.ws.Messages.size(), std::size_t(1));
    QVERIFY(p.window->Converter() == nullptr);

    const QString greys = Two_Greys(folder);
    drop(greys);
    frm_Converti* dialog = p.window->Converter();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(Control<QComboBox>(dialog, "cmb_Modello")->currentIndex(), 3);
    QCOMPARE(Control<QComboBox>(dialog, "cmb_Immagine")->currentIndex(), 3);
    QCOMPARE(Control<QLineEdit>(dialog, "txt_Sorgente")->text(), greys);
}

QTEST_MAIN(Convert_Dialog_Test)
#include "windows_convert_dialog_test.moc"
