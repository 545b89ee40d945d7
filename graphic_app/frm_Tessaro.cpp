#include "frm_Tessaro.h"

#include "Picture_Box.h"
#include "Qt_Lit_Picture.h"
#include "Start_Up.h"
#include "frm_Converti.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Controls of an array share their name and tell their place by the "index" property.
void Name_Element(QObject* control, const std::string& array, int index) {
    control->setObjectName(Q(array));
    control->setProperty("index", index);
}

QGroupBox* Frame(const char* name, const char* caption) {
    auto* frame = new QGroupBox(QString::fromUtf8(caption));
    frame->setObjectName(QString::fromUtf8(name));
    return frame;
}

// A tab page that keeps its frame at the top left at its natural size.
QWidget* Page_Holding(QWidget* frame) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    row->addWidget(frame);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);
    return page;
}

} // namespace

frm_Tessaro::frm_Tessaro(Program_Data& data, Window_System& ws, File_Dialog& dialog,
                         Serial_Control& RS232_Interface, Millisecond_Clock& clock)
    : data_(data), ws_(ws), dialog_(dialog), RS232_Interface_(RS232_Interface),
      link_(data, RS232_Interface, ws, clock, relay_) {
    setObjectName(QStringLiteral("frm_Tessaro"));
    setWindowTitle(Q(data.Program.Main_Caption));
    Build_Menus();

    SST_Select_Image = new QTabWidget;
    SST_Select_Image->setObjectName(QStringLiteral("SST_Select_Image"));
    // Every tab caption stays in view: the window widens to the tab row instead of scrolling it.
    SST_Select_Image->setUsesScrollButtons(false);
    for (int m = 0; m < int(data.Program.Models.size()); ++m) {
        SST_Select_Image->addTab(Model_Page(m), Q(data.Program.Models[std::size_t(m)].Tab_Caption));
    }
    if (data.Program.Has_Glyphs) {
        SST_Select_Image->addTab(Fonts_Page(), QStringLiteral("Fonts"));
    }
    SST_Select_Image->setCurrentIndex(0);
    setCentralWidget(SST_Select_Image);

    link_.Set_Port_Lost_Handler([this] {
        if (frm_RS232* open = Serial_Window()) {
            open->Port_Lost();
        }
    });
}

frm_Tessaro::~frm_Tessaro() {
    delete serial_.data();
}

void frm_Tessaro::Build_Menus() {
    QMenu* mnu_File = menuBar()->addMenu(QStringLiteral("File"));
    mnu_File->setObjectName(QStringLiteral("mnu_File"));
    QAction* smnu_File = mnu_File->addAction(QStringLiteral("Esci"));
    smnu_File->setObjectName(QStringLiteral("smnu_File"));
    connect(smnu_File, &QAction::triggered, this, [this] { close(); });

    QMenu* mnu_Comunicazione = menuBar()->addMenu(QStringLiteral("&Comunicazione"));
    mnu_Comunicazione->setObjectName(QStringLiteral("mnu_Comunicazione"));
    QAction* smnu_Comunicazione =
        mnu_Comunicazione->addAction(QStringLiteral("&Attiva/Disattiva seriale"));
    smnu_Comunicazione->setObjectName(QStringLiteral("smnu_Comunicazione"));
    connect(smnu_Comunicazione, &QAction::triggered, this, [this] { smnu_Comunicazione_Click(); });

    QMenu* mnu_Immagini = menuBar()->addMenu(QStringLiteral("Immagini"));
    mnu_Immagini->setObjectName(QStringLiteral("mnu_Immagini"));
    QAction* smnu_Converti = mnu_Immagini->addAction(QStringLiteral("Converti immagine…"));
    smnu_Converti->setObjectName(QStringLiteral("smnu_Converti"));
    connect(smnu_Converti, &QAction::triggered, this, [this] {
        const int tab = SST_Select_Image->currentIndex();
        Open_Converter(tab < int(data_.Program.Models.size()) ? tab : 0, 0);
    });
}

QWidget* frm_Tessaro::Model_Page(int model_index) {
    const Model_Descriptor& model = data_.Program.Models[std::size_t(model_index)];
    auto* frame = new QGroupBox(Q(model.Frame_Caption));
    frame->setObjectName(Q(model.Frame_Name));
    auto* grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(16);
    std::array<Picture_Box*, Slots_Per_Table> boxes{};
    for (int k = 0; k < Slots_Per_Table; ++k) {
        auto* label = new QLabel(QStringLiteral("Immagine numero %1:").arg(k + 1));
        Name_Element(label, model.Label_Array, k);
        auto* box = new Picture_Box(
            model.Width, model.Height,
            [this, model_index, k](Mouse_Button b) {
                Picture_Box_Mouse_Down(data_, model_index, k, b, dialog_, *this, ws_);
            },
            [this, model_index, k](const std::string& file) {
                Open_Converter(model_index, k, file);
            });
        Name_Element(box, model.Picture_Box_Array, k);
        const int row = (k / 2) * 2;
        const int column = k % 2;
        grid->addWidget(label, row, column, Qt::AlignLeft | Qt::AlignBottom);
        grid->addWidget(box, row + 1, column, Qt::AlignLeft | Qt::AlignTop);
        boxes[std::size_t(k)] = box;
    }
    boxes_.push_back(boxes);

    return Page_Holding(frame);
}

QWidget* frm_Tessaro::Fonts_Page() {
    auto* fonts = Frame("fra_Font_64128A_64128E", "Font per display 64128A e 64128E:");
    auto* fra_5x8 = Frame("fra_5x8", "Font 5x8 pixel:");
    auto* fra_10x16 = Frame("fra_10x16", "Font 10x16 pixel:");
    msh_Font_5x8 = new Glyph_Grid(Glyph::Font_5x8, data_);
    msh_Font_5x8->setObjectName(QStringLiteral("msh_Font_5x8"));
    msh_Font_10x16 = new Glyph_Grid(Glyph::Font_10x16, data_);
    msh_Font_10x16->setObjectName(QStringLiteral("msh_Font_10x16"));
    (new QVBoxLayout(fra_5x8))->addWidget(msh_Font_5x8, 0, Qt::AlignLeft | Qt::AlignTop);
    (new QVBoxLayout(fra_10x16))->addWidget(msh_Font_10x16, 0, Qt::AlignLeft | Qt::AlignTop);
    auto* stack = new QVBoxLayout(fonts);
    stack->addWidget(fra_5x8);
    stack->addWidget(fra_10x16);

    return Page_Holding(fonts);
}

bool frm_Tessaro::Form_Load() {
    if (!Start_Up_Fill(data_, ws_, *this)) {
        return false;
    }
    if (msh_Font_5x8) {
        msh_Font_5x8->Set_Up();
        msh_Font_10x16->Set_Up();
    }
    return true;
}

void frm_Tessaro::Show_Picture(int model_index, int slot, const Lit_Picture& picture) {
    if (model_index < 0 || model_index >= int(boxes_.size()) || slot < 0 ||
        slot >= Slots_Per_Table) {
        return;
    }
    boxes_[std::size_t(model_index)][std::size_t(slot)]->setPixmap(
        QPixmap::fromImage(Lit_Picture_Image(picture)));
}

frm_RS232* frm_Tessaro::Serial_Window() const {
    return serial_ && !serial_->Unloaded() ? serial_.data() : nullptr;
}

frm_Converti* frm_Tessaro::Converter() const {
    return converter_.data();
}

void frm_Tessaro::Open_Converter(int model_index, int slot, const std::string& source) {
    const bool opened = converter_;
    if (!opened) {
        converter_ = new frm_Converti(data_, ws_, dialog_, *this, this);
        converter_->setAttribute(Qt::WA_DeleteOnClose);
        converter_->setWindowModality(Qt::WindowModal);
    }
    converter_->Preset_Slot(model_index, slot);
    // A dropped file that is no picture has been refused with its message; it opens nothing.
    if (!source.empty() && !converter_->Load_Source(source) && !opened) {
        delete converter_.data();
        return;
    }
    converter_->show();
    converter_->raise();
    converter_->activateWindow();
}

void frm_Tessaro::smnu_Comunicazione_Click() {
    if (frm_RS232* open = Serial_Window()) {
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    serial_ = new frm_RS232(data_, RS232_Interface_, link_, relay_, ws_);
    serial_->setAttribute(Qt::WA_DeleteOnClose);
    connect(serial_, &frm_RS232::Run_Ended, this, [this] {
        if (close_after_run_) {
            close_after_run_ = false;
            close();
        }
    });
    serial_->Form_Load();
    serial_->show();
}

void frm_Tessaro::closeEvent(QCloseEvent* event) {
    // Leaving the program takes the serial window along; a run still on the stack is aborted
    // and both windows go once it has unwound.
    if (frm_RS232* open = Serial_Window()) {
        if (open->Running()) {
            close_after_run_ = true;
            open->Close_After_Run();
            event->ignore();
            return;
        }
        open->close();
    }
    event->accept();
}
