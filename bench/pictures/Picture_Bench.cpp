// Converts a 4000x3000 JPEG to a 240x128 bitmap with Floyd-Steinberg: in this process, through
// vantrel-cli, and (when it is installed) through ImageMagick's convert with the same geometry
// and dithering, runs interleaved; prints the medians and the ratio vantrel-cli / ImageMagick.
// Then the conversion dialog's refresh for one option change on the decoded source.
#include "Convert_Dialog.h"
#include "Fake_Window_System.h"
#include "Mono_Bitmap_File.h"
#include "Picture_Tone.h"
#include "Qt_Picture_File.h"
#include "Temp_Folder.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QRadialGradient>
#include <QSpinBox>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int Rounds = 7;

class No_Dialog : public File_Dialog {
  public:
    std::optional<std::string> Show_Open(const std::string&, int) override { return {}; }
    std::optional<std::string> Show_Save(const std::string&, int, const std::string&) override {
        return {};
    }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Milliseconds(const std::function<bool()>& work) {
    QElapsedTimer timer;
    timer.start();
    if (!work()) {
        std::fprintf(stderr, "a conversion failed\n");
        std::exit(1);
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

// A photograph-like picture: soft gradients, shapes, text and fine detail that JPEG keeps.
bool Write_Source(const QString& path) {
    QImage image(4000, 3000, QImage::Format_RGB32);
    QPainter paint(&image);
    QRadialGradient sky(QPointF(1200, 900), 3000);
    sky.setColorAt(0, QColor(250, 230, 180));
    sky.setColorAt(1, QColor(30, 60, 120));
    paint.fillRect(image.rect(), sky);
    for (int i = 0; i < 60; ++i) {
        paint.setBrush(QColor::fromHsv((i * 37) % 360, 160, 80 + (i * 53) % 170));
        paint.drawEllipse(QPointF((i * 613) % 4000, (i * 389) % 3000), 40 + i * 7, 30 + i * 5);
    }
    paint.setPen(Qt::black);
    for (int x = 0; x < 4000; x += 9) {
        paint.drawLine(x, 2400, x + 300, 3000);
    }
    paint.setFont(QFont(QStringLiteral("Liberation Sans"), 300, QFont::Bold));
    paint.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("ALLARME"));
    paint.end();
    return image.save(path, "JPEG", 90);
}

// The first ImageMagick found, with the words that start its command line.
QStringList Image_Magick() {
    for (const auto& [name, words] :
         {std::pair{"convert-im6.q16", QStringList()}, std::pair{"magick", QStringList()},
          std::pair{"convert", QStringList()}}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty()) {
            return QStringList{program} + words;
        }
    }
    return {};
}

bool Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    Temp_Folder folder("picture_bench");
    const QString jpeg = QString::fromStdString(folder / "photo.jpg");
    if (!Write_Source(jpeg)) {
        std::fprintf(stderr, "cannot write the source JPEG\n");
        return 1;
    }
    const Conversion_Options options{Scale_Mode::Fit, Default_Threshold,
                                     Dither_Method::Floyd_Steinberg, false};
    const QString cli = QStringLiteral(VANTREL_CLI_PATH);
    const QStringList magick = Image_Magick();

    std::vector<double> in_process, through_cli, through_magick;
    for (int round = 0; round < Rounds; ++round) {
        in_process.push_back(Milliseconds([&] {
            const Picture_Read_Result source = Read_Picture_File(jpeg.toStdString());
            return source.Failure == Picture_Read_Failure::None &&
                   !Write_File_Atomically(
                        folder / "in_process.bmp",
                        Mono_Bitmap_Bytes(Convert_Picture(source.Luma, 240, 128, options)))
                        .Failed();
        }));
        through_cli.push_back(Milliseconds([&] {
            return Run(cli, {"convert", jpeg, "--model", "128240A", "--dither", "floyd-steinberg",
                             "-o", QString::fromStdString(folder / "cli.bmp")});
        }));
        if (!magick.isEmpty()) {
            through_magick.push_back(Milliseconds([&] {
                return Run(
                    magick.front(),
                    magick.mid(1) +
                        QStringList{jpeg, "-resize", "240x128", "-background", "white", "-gravity",
                                    "center", "-extent", "240x128", "-colorspace", "Gray",
                                    "-dither", "FloydSteinberg", "-monochrome",
                                    "BMP3:" + QString::fromStdString(folder / "magick.bmp")});
            }));
        }
    }
    std::printf("4000x3000 JPEG to 240x128, Floyd-Steinberg, median of %d runs\n", Rounds);
    std::printf("in this process (decode, convert, write): %.1f ms\n", Median(in_process));
    std::printf("vantrel-cli convert:                       %.1f ms\n", Median(through_cli));
    if (magick.isEmpty()) {
        std::printf("ImageMagick not installed: no ratio\n");
    } else {
        std::printf("ImageMagick (%s):      %.1f ms\n", qPrintable(magick.front()),
                    Median(through_magick));
        std::printf("ratio vantrel-cli / ImageMagick: %.2f (target <= 1)\n",
                    Median(through_cli) / Median(through_magick));
    }

    Fake_Window_System ws;
    No_Dialog dialog;
    No_Picture_Boxes boxes;
    Program_Data data(Vantrel_Program());
    Conversion_Memory memory;
    Convert_Dialog window(data, ws, dialog, boxes, memory);
    window.show();
    if (!window.Load_Source(jpeg.toStdString())) {
        std::fprintf(stderr, "the dialog did not take the source\n");
        return 1;
    }
    auto* scale = window.findChild<QComboBox*>(QStringLiteral("cmb_Adattamento"));
    auto* model = window.findChild<QComboBox*>(QStringLiteral("cmb_Modello"));
    auto* threshold = window.findChild<QSpinBox*>(QStringLiteral("spn_Soglia"));
    model->setCurrentIndex(3);
    std::vector<double> geometry, tone;
    for (int round = 0; round < 3 * Rounds; ++round) {
        geometry.push_back(Milliseconds([&] {
            scale->setCurrentIndex((scale->currentIndex() + 1) % scale->count());
            return true;
        }));
        tone.push_back(Milliseconds([&] {
            threshold->setValue(round % 2 ? 128 : 100);
            return true;
        }));
    }
    std::printf("dialog refresh on 240x128, median of %d changes (target <= 30 ms):\n", 3 * Rounds);
    std::printf("  fitting changed (geometry and tone): %.2f ms\n", Median(geometry));
    std::printf("  threshold changed (tone only):       %.2f ms\n", Median(tone));
    return 0;
}
