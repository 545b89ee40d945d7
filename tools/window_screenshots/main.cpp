// Saves pictures of both programs' windows into a folder: every tab of Vantrel and Quorrin (with
// a box whose file has gone, and typed glyph values refused), the "File", "Immagini" and
// "Modifica" menus, the file dialog, the restore question and the conversion dialog, the serial
// window (Serial_Shots.cpp) and the production station (Station_Shots.cpp), both against
// module-sim. Run by scripts/screenshots under a virtual X server, started in Italian as the
// programs start.
#include "Configuration.h"
#include "Convert_Dialog.h"
#include "Italian_Desktop.h"
#include "Qt_File_Dialog.h"
#include "Restore_Default_Dialog.h"
#include "Screenshot_Support.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <deque>
#include <functional>
#include <iostream>
#include <memory>

namespace {

// A 1-bit background with a frame and a caption, to show a chosen picture at its own size.
QString Sample_Background(const QString& folder, int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter paint(&picture);
    paint.drawRect(0, 0, width - 1, height - 1);
    paint.setFont(QFont(QStringLiteral("Liberation Sans"), 14, QFont::Bold));
    paint.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("ALLARME 1"));
    paint.end();
    const QString path = folder + QStringLiteral("/allarme_%1x%2.bmp").arg(width).arg(height);
    picture.convertToFormat(QImage::Format_Mono).save(path, "BMP");
    return path;
}

void Choose_Background(Program& p, const char* box_array, int slot, const QString& file) {
    p.dialog.Files.push_back(file.toStdString());
    QWidget* box = nullptr;
    for (auto* candidate : p.window->findChildren<QWidget*>(QString::fromLatin1(box_array))) {
        box = candidate->property("index").toInt() == slot ? candidate : box;
    }
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(box, &press);
}

void Draw_Glyphs(Program& p) {
    auto* small = p.window->findChild<Glyph_Grid*>(QStringLiteral("msh_Font_5x8"));
    auto* large = p.window->findChild<Glyph_Grid*>(QStringLiteral("msh_Font_10x16"));
    // A bell in the 5x8 glyph and a frame in the 10x16 one.
    const char* bell[8] = {"..#..", ".###.", ".###.", ".###.", "#####", ".....", "..#..", "....."};
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 5; ++c) {
            if (bell[r][c] == '#') {
                small->Toggle_Cell(r, c);
            }
        }
    }
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 10; ++c) {
            if (r == 0 || r == 15 || c == 0 || c == 9 || r == c + 3) {
                large->Toggle_Cell(r, c);
            }
        }
    }
}

// A colour picture with soft shading, a warning sign and text, as a source to convert.
QString Sample_Photo(const QString& folder) {
    QImage picture(800, 450, QImage::Format_ARGB32);
    QLinearGradient light(0, 0, 800, 0);
    light.setColorAt(0, QColor(255, 255, 255));
    light.setColorAt(1, QColor(150, 170, 200));
    QPainter paint(&picture);
    paint.fillRect(picture.rect(), light);
    paint.setRenderHint(QPainter::Antialiasing);
    paint.setBrush(QColor(230, 190, 40));
    paint.setPen(QPen(Qt::black, 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    paint.drawPolygon(QPolygonF({QPointF(40, 400), QPointF(200, 60), QPointF(360, 400)}));
    paint.setFont(QFont(QStringLiteral("Liberation Sans"), 150, QFont::Bold));
    paint.drawText(QRect(40, 140, 320, 260), Qt::AlignCenter, QStringLiteral("!"));
    paint.setFont(QFont(QStringLiteral("Liberation Sans"), 64, QFont::Bold));
    paint.drawText(QRect(360, 90, 440, 130), Qt::AlignCenter, QStringLiteral("ALLARME"));
    paint.setPen(QColor(20, 40, 110));
    paint.setFont(QFont(QStringLiteral("Liberation Sans"), 44));
    paint.drawText(QRect(360, 240, 440, 110), Qt::AlignCenter, QStringLiteral("Zona 3 aperta"));
    paint.end();
    const QString path = folder + QStringLiteral("/allarme_foto.png");
    picture.save(path);
    return path;
}

// Lets the file watch see a change and the boxes follow it.
void Let_Watch_Settle() {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 600) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

// A chosen background whose file is then removed, and values typed into the 5x8 glyph's field
// that it refuses.
void Break_Things(Program& p, const QString& scratch) {
    const QString gone = scratch + QStringLiteral("/tolto_128x64.bmp");
    QFile::copy(Sample_Background(scratch, 128, 64), gone);
    Choose_Background(p, "pct_Image_64128A", 3, gone);
    QFile::remove(gone);
    Let_Watch_Settle();
    auto* field = p.window->findChild<QLineEdit*>(QStringLiteral("txt_Font_5x8_Values"));
    field->setText(QStringLiteral("0x04,0x1E,300,0x1E,0x04"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(field, &enter);
}

// The restore question, preset as the 240x64 tab would.
bool Save_Restore_Question(Program& p, const QString& folder) {
    Restore_Default_Dialog ask(p.data.Program, 2, 0, p.window.get());
    ask.show();
    const bool saved = Save(&ask, folder, QStringLiteral("vantrel_restore_default"));
    ask.close();
    return saved;
}

// The main window with one of its menus open, as the screen shows them.
bool Save_Menu(Program& p, const QString& folder, const char* menu_name, const QString& file) {
    auto* menu = p.window->findChild<QMenu*>(QString::fromLatin1(menu_name));
    p.window->menuBar()->setActiveAction(menu->menuAction());
    Settle();
    const QRect area = p.window->frameGeometry().united(menu->geometry());
    const QString path = folder + "/" + file + ".png";
    const bool saved = QGuiApplication::primaryScreen()
                           ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                           .save(path);
    menu->hide();
    std::cout << (saved ? "saved " : "could not save ") << path.toStdString() << std::endl;
    return saved;
}

// The conversion dialog on a colour picture for the 240x128 display, then "Salva e usa" and the
// slot that received the result.
bool Save_Conversion(Program& p, const QString& folder, const QString& scratch) {
    p.window->findChild<QAction*>(QStringLiteral("smnu_Converti"))->trigger();
    Convert_Dialog* dialog = p.window->Converter();
    if (!dialog || !dialog->Load_Source(Sample_Photo(scratch).toStdString())) {
        return false;
    }
    dialog->Preset_Slot(3, 3);
    dialog->findChild<QComboBox*>(QStringLiteral("cmb_Retinatura"))->setCurrentIndex(1);
    bool saved = Save(dialog, folder, QStringLiteral("vantrel_convert_dialog"));
    dialog->findChild<QPushButton*>(QStringLiteral("cmd_Salva"))->click();
    Settle();
    if (p.window->Converter()) {
        return false;
    }
    p.window->findChild<QTabWidget*>(QStringLiteral("SST_Select_Image"))->setCurrentIndex(3);
    saved = Save(p.window.get(), folder, QStringLiteral("vantrel_converted_in_slot_4")) && saved;
    return saved;
}

bool Save_Tabs(Program& p, const QString& folder, const QString& prefix) {
    auto* tabs = p.window->findChild<QTabWidget*>(QStringLiteral("SST_Select_Image"));
    bool saved = true;
    for (int t = 0; t < tabs->count(); ++t) {
        tabs->setCurrentIndex(t);
        QString caption = tabs->tabText(t);
        caption.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("_"));
        saved = Save(p.window.get(), folder,
                     QStringLiteral("%1_tab%2_%3").arg(prefix).arg(t).arg(caption)) &&
                saved;
    }
    tabs->setCurrentIndex(0);
    return saved;
}

// The window with a configuration in use and changed since, and its File menu opened.
bool Save_File_Menu(Program& p, const QString& scratch, const QString& folder) {
    const std::string plant = (scratch + QStringLiteral("/impianto.vantrel")).toStdString();
    const File_Failure failure = Write_Configuration_File(plant, Configuration_Of(p.data));
    if (failure.Failed() || !p.window->Open_Configuration(plant)) {
        std::cerr << "could not open a configuration: " << English_Text(failure) << std::endl;
        return false;
    }
    p.window->findChild<Glyph_Grid*>(QStringLiteral("msh_Font_5x8"))->Toggle_Cell(7, 0);
    auto* menu = p.window->findChild<QMenu*>(QStringLiteral("mnu_File"));
    menu->popup(p.window->mapToGlobal(p.window->menuBar()->geometry().bottomLeft()));
    Settle();
    const bool saved = Save(menu, folder, QStringLiteral("vantrel_file_menu"));
    menu->hide();
    return saved;
}

// The programs' own file dialog on a folder holding a folder, a bitmap and a configuration, its
// list in detail so that it shows their types and dates.
bool Save_File_Dialog(const QString& scratch, const QString& folder) {
    const QDir files(scratch + QStringLiteral("/Impianti"));
    files.mkpath(QStringLiteral("Stabilimento nord"));
    Sample_Background(files.path(), 128, 64);
    QFile(scratch + QStringLiteral("/impianto.vantrel")).copy(files.filePath("impianto.vantrel"));
    bool saved = false;
    QTimer::singleShot(500, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            dialog->setViewMode(QFileDialog::Detail);
            dialog->resize(900, 440);
            Settle();
            for (auto* list : dialog->findChildren<QTreeView*>()) {
                list->header()->resizeSections(QHeaderView::ResizeToContents);
            }
            saved = Save(dialog, folder, QStringLiteral("vantrel_file_dialog"));
            dialog->reject();
        }
    });
    // The first open dialog starts in the working folder.
    const QString working = QDir::currentPath();
    QDir::setCurrent(files.path());
    Qt_File_Dialog dialog;
    dialog.Show_Open("Bitmap (*.bmp)|*.bmp|Tutti i file|*.*", 2);
    QDir::setCurrent(working);
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    Choose_Italian_Locale();
    QApplication application(argc, argv);
    Install_Italian_Texts(application);
    // The recent configurations of these pictures stay out of the user's own list.
    QStandardPaths::setTestModeEnabled(true);
    QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Vantrel"))
        .removeRecursively();
    if (argc < 3) {
        std::cerr << "usage: window_screenshots <output folder> <module-sim>" << std::endl;
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(folder);
    QTemporaryDir scratch;
    // The simulated units of these pictures register here, out of sight of any other program.
    qputenv("XDG_RUNTIME_DIR", scratch.path().toLocal8Bit());
    bool saved = true;

    Program vantrel(Vantrel_Program());
    Choose_Background(vantrel, "pct_Image_64128A", 1, Sample_Background(scratch.path(), 128, 64));
    Choose_Background(vantrel, "pct_Image_128240A", 2, Sample_Background(scratch.path(), 240, 128));
    Draw_Glyphs(vantrel);
    saved = Save_File_Menu(vantrel, scratch.path(), folder) && saved;
    saved = Save_File_Dialog(scratch.path(), folder) && saved;
    Break_Things(vantrel, scratch.path());
    saved = Save_Tabs(vantrel, folder, QStringLiteral("vantrel")) && saved;
    // The run below compiles every slot: the removed file comes back.
    QFile::copy(Sample_Background(scratch.path(), 128, 64),
                scratch.path() + QStringLiteral("/tolto_128x64.bmp"));
    saved = Save_Menu(vantrel, folder, "mnu_Immagini", QStringLiteral("vantrel_menu_Immagini")) &&
            saved;
    saved = Save_Menu(vantrel, folder, "mnu_Modifica", QStringLiteral("vantrel_menu_Modifica")) &&
            saved;
    saved = Save_Restore_Question(vantrel, folder) && saved;
    saved = Save_Conversion(vantrel, folder, scratch.path()) && saved;

    Program quorrin(Quorrin_Program());
    Choose_Background(quorrin, "pct_Image_64128", 3, Sample_Background(scratch.path(), 128, 64));
    saved = Save_Tabs(quorrin, folder, QStringLiteral("quorrin")) && saved;
    // Hidden, not closed: closing would ask about the background chosen for the pictures.
    quorrin.window->hide();

    saved = Save_Serial_Window(vantrel, folder, QString::fromLocal8Bit(argv[2])) && saved;
    saved = Save_Station_Window(vantrel, folder, QString::fromLocal8Bit(argv[2])) && saved;
    return saved && vantrel.ws.Messages == 0 ? 0 : 1;
}
