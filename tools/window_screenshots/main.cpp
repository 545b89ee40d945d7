// Saves pictures of both programs' windows into a folder: every tab of Vantrel and Quorrin, and
// the serial window before, during and after a programming run against module-sim. Run by
// scripts/screenshots under a virtual X server.
#include "Configuration.h"
#include "File_Dialog.h"
#include "Port_Registry.h"
#include "Qt_Serial_Control.h"
#include "Qt_Widgets_Window_System.h"
#include "Steady_Clock.h"
#include "frm_Tessaro.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>
#include <functional>
#include <iostream>
#include <memory>

namespace {

// The programs' own window system, except that a message is printed and counted instead of
// waiting for a click nobody makes, and that a run can be photographed from inside its waits.
class Unattended_Window_System : public Qt_Widgets_Window_System {
  public:
    int Messages = 0;
    std::function<void()> During_Run;

    void Message_Box(const std::string& text, const std::string& title, Message_Icon) override {
        ++Messages;
        std::cerr << title << ": " << text << std::endl;
    }
    void Yield(std::uint32_t max_wait_ms) override {
        Qt_Widgets_Window_System::Yield(max_wait_ms);
        if (During_Run) {
            During_Run();
        }
    }
};

// Hands out the chosen files in order.
class Chosen_Files : public File_Dialog {
  public:
    std::deque<std::string> Files;
    std::optional<std::string> Show_Open(const std::string&, int) override {
        if (Files.empty()) {
            return std::nullopt;
        }
        std::string file = Files.front();
        Files.pop_front();
        return file;
    }
};

struct Program {
    explicit Program(const Program_Description& description) : data(description) {
        window = std::make_unique<frm_Tessaro>(data, ws, dialog, port, clock);
        window->Form_Load();
        window->show();
    }

    Program_Data data;
    Unattended_Window_System ws;
    Chosen_Files dialog;
    Qt_Serial_Control port;
    Steady_Clock clock;
    std::unique_ptr<frm_Tessaro> window;
};

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
}

bool Save(QWidget* window, const QString& folder, const QString& name) {
    Settle();
    const QString path = folder + "/" + name + ".png";
    const bool saved = window->grab().save(path);
    std::cout << (saved ? "saved " : "could not save ") << path.toStdString() << std::endl;
    return saved;
}

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
    std::string error;
    if (!Write_Configuration_File(plant, Configuration_Of(p.data, p.ws.Program_Folder()), error) ||
        !p.window->Open_Configuration(plant)) {
        std::cerr << "could not open a configuration: " << error << std::endl;
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

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The recent configurations of these pictures stay out of the user's own list.
    QStandardPaths::setTestModeEnabled(true);
    QSettings(QStringLiteral("Vantrel"), QStringLiteral("Vantrel")).clear();
    if (argc < 3) {
        std::cerr << "usage: window_screenshots <output folder> <module-sim>" << std::endl;
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    QTemporaryDir scratch;
    bool saved = true;

    Program vantrel(Vantrel_Program());
    Choose_Background(vantrel, "pct_Image_64128A", 1, Sample_Background(scratch.path(), 128, 64));
    Choose_Background(vantrel, "pct_Image_128240A", 2, Sample_Background(scratch.path(), 240, 128));
    Draw_Glyphs(vantrel);
    saved = Save_File_Menu(vantrel, scratch.path(), folder) && saved;
    saved = Save_Tabs(vantrel, folder, QStringLiteral("vantrel")) && saved;

    Program quorrin(Quorrin_Program());
    Choose_Background(quorrin, "pct_Image_64128", 3, Sample_Background(scratch.path(), 128, 64));
    saved = Save_Tabs(quorrin, folder, QStringLiteral("quorrin")) && saved;
    quorrin.window->close();

    QProcess sim;
    sim.start(QString::fromLocal8Bit(argv[2]), {QStringLiteral("--pty")});
    while (sim.state() != QProcess::NotRunning && !sim.canReadLine()) {
        sim.waitForReadyRead(5000);
    }
    const std::string device = QString::fromLocal8Bit(sim.readLine()).trimmed().toStdString();
    int number = 0;
    for (const Port_Entry& entry : List_Ports()) {
        number = entry.Device == device ? entry.Number : number;
    }
    if (number == 0) {
        std::cerr << "module-sim did not show up in the port list" << std::endl;
        return 1;
    }

    vantrel.window->findChild<QAction*>(QStringLiteral("smnu_Comunicazione"))->trigger();
    frm_RS232* serial = vantrel.window->Serial_Window();
    auto* list = serial->findChild<QComboBox*>(QStringLiteral("cmb_RS232"));
    list->setCurrentIndex(list->findText(QStringLiteral("COM %1").arg(number)));
    saved = Save(serial, folder, QStringLiteral("serial_1_before_run")) && saved;
    serial->findChild<QPushButton*>(QStringLiteral("cmd_ON"))->click();
    saved = Save(serial, folder, QStringLiteral("serial_2_port_open")) && saved;

    auto* progress = serial->findChild<QProgressBar*>(QStringLiteral("pgb_RS232"));
    bool during_saved = false;
    vantrel.ws.During_Run = [&] {
        // A run refreshes the window on a timer; bring it up to date before the picture.
        serial->Refresh_View();
        if (!during_saved && progress->value() >= 256) {
            during_saved = true;
            saved = Save(serial, folder, QStringLiteral("serial_3_during_run")) && saved;
        }
    };
    serial->findChild<QPushButton*>(QStringLiteral("cmd_Write_RS232"))->click();
    vantrel.ws.During_Run = nullptr;
    saved = saved && during_saved;
    saved = Save(serial, folder, QStringLiteral("serial_4_after_run")) && saved;

    serial->close();
    vantrel.window->close();
    sim.terminate();
    sim.waitForFinished(3000);
    return saved && vantrel.ws.Messages == 0 ? 0 : 1;
}
