// The conversion dialog, opened by a picture dropped on a box: "Salva e usa" writes the
// converted bitmap and puts it in that box's slot, the same bytes as vantrel-cli convert writes.
#include "Convert_Dialog.h"
#include "Test_Bitmap.h"
#include "Window_Test_Support.h"

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QUrl>

#include <filesystem>

#include <sys/stat.h>

class Convert_Dialog_Test : public QObject {
    Q_OBJECT

  private slots:
    void A_Dropped_Picture_Is_Converted_Saved_And_Used_In_Its_Slot();
    void A_File_Converted_Again_For_Another_Slot_Shows_In_Both_And_Settings_Are_Kept();
};

void Convert_Dialog_Test::A_Dropped_Picture_Is_Converted_Saved_And_Used_In_Its_Slot() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    QTemporaryDir folder;
    auto* box = Element<QLabel>(p.window.get(), "pct_Image_128240A", 3);
    const auto drop = [&](const QString& file) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(box, &event);
    };
    Write_File(folder.filePath("notes.txt").toStdString(), std::string("x"));
    drop(folder.filePath("notes.txt"));
    QCOMPARE(p.ws.Messages.size(), std::size_t(1));
    QVERIFY(p.window->Converter() == nullptr);

    // Left half grey 100, right half grey 200: at the threshold of 128 the left half is lit.
    QImage greys(128, 64, QImage::Format_RGB32);
    greys.fill(QColor(200, 200, 200));
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            greys.setPixel(x, y, qRgb(100, 100, 100));
        }
    }
    const QString source = folder.filePath(QStringLiteral("greys.png"));
    QVERIFY(greys.save(source));
    drop(source);
    Convert_Dialog* dialog = p.window->Converter();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(Control<QComboBox>(dialog, "cmb_Modello")->currentIndex(), 3);
    QCOMPARE(Control<QComboBox>(dialog, "cmb_Immagine")->currentIndex(), 3);
    QCOMPARE(Control<QLineEdit>(dialog, "txt_Sorgente")->text(), source);

    Click(dialog, "cmd_Salva"); // the save dialog cancelled: nothing written
    QCOMPARE(p.dialog.Suggested.back(), folder.filePath("greys_128240A_4.bmp").toStdString());
    QVERIFY(!QFile::exists(folder.filePath("greys_128240A_4.bmp")));
    QVERIFY(dialog->isVisible());
    // "Salva e usa" onto a pipe is refused with its cause and the pipe left as it was.
    const std::string pipe = folder.filePath("Allarme_pipe.bmp").toStdString();
    QCOMPARE(mkfifo(pipe.c_str(), 0600), 0);
    p.dialog.Answers.push_back(pipe);
    Click(dialog, "cmd_Salva");
    QCOMPARE(p.ws.Messages.size(), std::size_t(2));
    QCOMPARE(p.ws.Messages[1].Text, "Impossibile salvare " + pipe +
                                        ": non è un file normale (è una pipe, un dispositivo o "
                                        "un socket).");
    QVERIFY(dialog->isVisible());
    QVERIFY(std::filesystem::is_fifo(pipe));
    const std::string chosen = folder.filePath("Allarme.bmp").toStdString();
    p.dialog.Answers.push_back(chosen);
    Click(dialog, "cmd_Salva");

    QCOMPARE(p.ws.Messages.size(), std::size_t(2));
    QTRY_VERIFY(p.window->Converter() == nullptr);
    QCOMPARE(p.data.Tables[3].Slots[3].Path, chosen);
    QCOMPARE(p.data.Tables[3].Slots[3].Name, std::string("Allarme.bmp"));
    QCOMPARE(Control<QTabWidget>(p.window.get(), "SST_Select_Image")->currentIndex(), 3);
    // Fitted on 240x128 the source grows 1.875 times: the lit left half ends at 120.
    const QImage shown = box->pixmap().toImage();
    QCOMPARE(shown.size(), QSize(240, 128));
    QVERIFY(shown.pixel(119, 64) != shown.pixel(120, 64));
    QCOMPARE(shown.pixel(0, 64), shown.pixel(119, 64));
    QCOMPARE(shown.pixel(120, 64), shown.pixel(239, 64));

    // SVG text, drawn with the fonts of the font database: the command line, with no display
    // and no platform named, writes the very bytes the dialog wrote.
    const QString svg = folder.filePath(QStringLiteral("testo.svg"));
    Write_File(svg.toStdString(),
               std::string("<svg xmlns='http://www.w3.org/2000/svg' width='200' height='60'>"
                           "<text x='4' y='44' font-family='Liberation Sans' font-size='40'>"
                           "Allarme</text></svg>"));
    drop(svg);
    dialog = p.window->Converter();
    QVERIFY(dialog);
    Control<QComboBox>(dialog, "cmb_Retinatura")->setCurrentIndex(1);
    const QString from_dialog = folder.filePath(QStringLiteral("Testo.bmp"));
    p.dialog.Answers.push_back(from_dialog.toStdString());
    Click(dialog, "cmd_Salva");
    QTRY_VERIFY(p.window->Converter() == nullptr);
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    cli.setProcessEnvironment(environment);
    const QString from_cli = folder.filePath(QStringLiteral("testo_cli.bmp"));
    cli.start(QStringLiteral(VANTREL_CLI),
              {QStringLiteral("convert"), svg, QStringLiteral("--model"), QStringLiteral("128240A"),
               QStringLiteral("--dither"), QStringLiteral("floyd-steinberg"), QStringLiteral("-o"),
               from_cli});
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
    const std::string bitmap = Read_File(from_dialog.toStdString());
    QVERIFY(bitmap.size() == 62 + 32 * 128);
    QVERIFY(Read_File(from_cli.toStdString()) == bitmap);
    const QImage text(from_dialog);
    int lit = 0;
    for (int y = 0; y < text.height(); ++y) {
        for (int x = 0; x < text.width(); ++x) {
            lit += qGray(text.pixel(x, y)) == 0;
        }
    }
    QVERIFY(lit > 500);
}

// A picture converted with Bayer into 64128A slot 2, then without dithering into slot 1 over the
// same file: both boxes show the file as it is now. The dialog opens again as it was left.
void Convert_Dialog_Test::
    A_File_Converted_Again_For_Another_Slot_Shows_In_Both_And_Settings_Are_Kept() {
    Program_Under_Test p;
    QVERIFY(p.Start());
    QTemporaryDir folder;
    QImage grey(128, 64, QImage::Format_RGB32);
    grey.fill(QColor(100, 100, 100));
    const QString source = folder.filePath(QStringLiteral("logo.png"));
    QVERIFY(grey.save(source));
    const std::string target = folder.filePath("logo_64128A_2.bmp").toStdString();
    auto* tabs = Control<QTabWidget>(p.window.get(), "SST_Select_Image");
    const auto convert = [&](int slot, int dither, int threshold) {
        tabs->setCurrentIndex(2);
        Control<QAction>(p.window.get(), "smnu_Converti")->trigger();
        Convert_Dialog* dialog = p.window->Converter();
        p.dialog.Answers = {source.toStdString()};
        Click(dialog, "cmd_Sfoglia");
        Control<QComboBox>(dialog, "cmb_Modello")->setCurrentIndex(0);
        Control<QComboBox>(dialog, "cmb_Immagine")->setCurrentIndex(slot);
        Control<QComboBox>(dialog, "cmb_Retinatura")->setCurrentIndex(dither);
        Control<QSpinBox>(dialog, "spn_Soglia")->setValue(threshold);
        p.dialog.Answers = {target};
        Click(dialog, "cmd_Salva");
        QTRY_VERIFY(p.window->Converter() == nullptr);
        QCOMPARE(tabs->currentIndex(), 0);
    };
    convert(1, 3, 90); // Bayer: grey 100 becomes a pattern
    QCOMPARE(p.dialog.Suggested.back(), target);
    convert(0, 0, 200); // no dithering: grey 100 is all lit
    QCOMPARE(p.dialog.Suggested.back(), folder.filePath("logo_64128A_1.bmp").toStdString());
    QCOMPARE(p.dialog.Start_Folders, (std::vector<std::string>{"", folder.path().toStdString()}));
    const QImage now = QImage(QString::fromStdString(target)).convertToFormat(QImage::Format_RGB32);
    for (int slot : {0, 1}) {
        QCOMPARE(p.data.Tables[0].Slots[std::size_t(slot)].Path, target);
        QCOMPARE(Shown(Element<QLabel>(p.window.get(), "pct_Image_64128A", slot)), now);
    }

    Control<QAction>(p.window.get(), "smnu_Converti")->trigger();
    Convert_Dialog* again = p.window->Converter();
    QCOMPARE(Control<QComboBox>(again, "cmb_Retinatura")->currentIndex(), 0);
    QCOMPARE(Control<QSpinBox>(again, "spn_Soglia")->value(), 200);
    again->close();
    // Each "Salva e usa" is one step.
    Control<QAction>(p.window.get(), "smnu_Annulla")->trigger();
    QCOMPARE(p.data.Tables[0].Slots[0].Path, DATA_DIR "/Sfondo_Bianco_128x64.bmp");
    QCOMPARE(p.data.Tables[0].Slots[1].Path, target);
}

QTEST_MAIN(Convert_Dialog_Test)
#include "Convert_Dialog_Test.moc"
