#include "frm_Tessaro.h"

#include "Configuration_Menu.h"
#include "Picture_Box.h"
#include "Qt_Lit_Picture.h"
#include "Restore_Default_Dialog.h"
#include "Slot_File_Watch.h"
#include "Slot_Picture.h"
#include "Start_Up.h"
#include "Window_Parts.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// Controls of an array share their name and tell their place by the "index" property.
void Name_Element(QObject* control, const std::string& array, int index) {
    control->setObjectName(Q(array));
    control->setProperty("index", index);
}

} // namespace

frm_Tessaro::frm_Tessaro(Program_Data& data, Window_System& ws, File_Dialog& dialog,
                         Serial_Control& RS232_Interface, Millisecond_Clock& clock)
    : data_(data), ws_(ws), dialog_(dialog), RS232_Interface_(RS232_Interface),
      session_(data, RS232_Interface, ws, clock), history_(data),
      watch_(new Slot_File_Watch(this)) {
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
    connect(watch_, &Slot_File_Watch::Files_Changed, this, [this] { Show_Slots(); });

    session_.Link().Set_Port_Lost_Handler([this] {
        if (frm_RS232* open = Serial_Window()) {
            open->Port_Lost();
        }
    });
}

frm_Tessaro::~frm_Tessaro() {
    delete serial_.data();
    delete station_.data();
}

void frm_Tessaro::Build_Menus() {
    // Every menu and entry has an access key of its own within its menu (Alt with the marked
    // letter); the captions read as ever.
    QMenu* mnu_File = menuBar()->addMenu(QStringLiteral("&File"));
    mnu_File->setObjectName(QStringLiteral("mnu_File"));
    QAction* smnu_File = mnu_File->addAction(QStringLiteral("&Esci"));
    smnu_File->setObjectName(QStringLiteral("smnu_File"));
    smnu_File->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(smnu_File, &QAction::triggered, this, [this] { close(); });
    configuration_ =
        new Configuration_Menu(*this, data_, ws_, dialog_, *this, *mnu_File, *smnu_File);
    configuration_->On_Loaded = [this] {
        if (msh_Font_5x8) {
            msh_Font_5x8->Show_Glyph();
            msh_Font_10x16->Show_Glyph();
            Show_Glyph_Values();
        }
        Show_Slots();
        // Undoing stops at the configuration: what came before it belongs to another one.
        history_.Reset(data_);
        Update_Undo_Entries();
    };

    QMenu* mnu_Modifica = menuBar()->addMenu(QStringLiteral("&Modifica"));
    mnu_Modifica->setObjectName(QStringLiteral("mnu_Modifica"));
    smnu_Annulla = mnu_Modifica->addAction(QStringLiteral("&Annulla"));
    smnu_Annulla->setObjectName(QStringLiteral("smnu_Annulla"));
    smnu_Annulla->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    connect(smnu_Annulla, &QAction::triggered, this, [this] { Undo_Redo(true); });
    smnu_Ripeti = mnu_Modifica->addAction(QStringLiteral("&Ripeti"));
    smnu_Ripeti->setObjectName(QStringLiteral("smnu_Ripeti"));
    smnu_Ripeti->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))});
    connect(smnu_Ripeti, &QAction::triggered, this, [this] { Undo_Redo(false); });
    Update_Undo_Entries();

    QMenu* mnu_Comunicazione = menuBar()->addMenu(QStringLiteral("&Comunicazione"));
    mnu_Comunicazione->setObjectName(QStringLiteral("mnu_Comunicazione"));
    QAction* smnu_Comunicazione =
        mnu_Comunicazione->addAction(QStringLiteral("&Attiva/Disattiva seriale"));
    smnu_Comunicazione->setObjectName(QStringLiteral("smnu_Comunicazione"));
    connect(smnu_Comunicazione, &QAction::triggered, this, [this] { smnu_Comunicazione_Click(); });
    QAction* smnu_Stazione =
        mnu_Comunicazione->addAction(QStringLiteral("&Stazione di produzione…"));
    smnu_Stazione->setObjectName(QStringLiteral("smnu_Stazione"));
    connect(smnu_Stazione, &QAction::triggered, this, [this] { Open_Station(); });

    QMenu* mnu_Immagini = menuBar()->addMenu(QStringLiteral("&Immagini"));
    mnu_Immagini->setObjectName(QStringLiteral("mnu_Immagini"));
    QAction* smnu_Converti = mnu_Immagini->addAction(QStringLiteral("&Converti immagine…"));
    smnu_Converti->setObjectName(QStringLiteral("smnu_Converti"));
    connect(smnu_Converti, &QAction::triggered, this, [this] {
        const int tab = SST_Select_Image->currentIndex();
        Open_Converter(tab < int(data_.Program.Models.size()) ? tab : 0, 0);
    });
    QAction* smnu_Ripristina =
        mnu_Immagini->addAction(QStringLiteral("&Ripristina sfondo predefinito…"));
    smnu_Ripristina->setObjectName(QStringLiteral("smnu_Ripristina"));
    connect(smnu_Ripristina, &QAction::triggered, this, [this] { Restore_Default_Click(); });
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
                if (b == Mouse_Button::Right) {
                    Record_Step();
                    Show_Slots();
                }
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

bool frm_Tessaro::Form_Load() {
    if (!Start_Up_Fill(data_, ws_, *this)) {
        return false;
    }
    if (msh_Font_5x8) {
        msh_Font_5x8->Set_Up();
        msh_Font_10x16->Set_Up();
    }
    Show_Slots();
    history_.Reset(data_);
    Update_Undo_Entries();
    // Defaults and blank glyphs are nothing to lose: leaving asks only once they have changed.
    configuration_->Keep_State();
    return true;
}

void frm_Tessaro::Show_Slots() {
    std::vector<std::string> files;
    bool refused = false;
    for (std::size_t m = 0; m < boxes_.size(); ++m) {
        const Image_Table& table = data_.Tables[m];
        for (std::size_t k = 0; k < std::size_t(Slots_Per_Table); ++k) {
            const Image_Slot& slot = table.Slots[k];
            const Slot_Picture shown = Read_Slot_Picture(slot, *table.Model, data_.Defaults_Folder);
            boxes_[m][k]->Show(QPixmap::fromImage(Lit_Picture_Image(shown.Picture)), shown.Refused,
                               Q(shown.Tooltip));
            refused = refused || shown.Refused;
            files.push_back(slot.Path);
        }
    }
    watch_->Watch(files);
    configuration_->Show_Partial(refused);
}

void frm_Tessaro::Record_Step() {
    if (history_.Record(data_)) {
        configuration_->Mark_Changed();
    }
    Update_Undo_Entries();
}

void frm_Tessaro::Undo_Redo(bool undo) {
    if (!(undo ? history_.Undo(data_) : history_.Redo(data_))) {
        return;
    }
    if (msh_Font_5x8) {
        msh_Font_5x8->Show_Glyph();
        msh_Font_10x16->Show_Glyph();
        Show_Glyph_Values();
    }
    Show_Slots();
    configuration_->Mark_Changed();
    Update_Undo_Entries();
}

void frm_Tessaro::Update_Undo_Entries() {
    smnu_Annulla->setEnabled(history_.Can_Undo());
    smnu_Ripeti->setEnabled(history_.Can_Redo());
}

void frm_Tessaro::Restore_Default_Click() {
    const int tab = SST_Select_Image->currentIndex();
    Restore_Default_Dialog ask(data_.Program, tab < int(data_.Program.Models.size()) ? tab : 0, 0,
                               this);
    if (ask.exec() != QDialog::Accepted) {
        return;
    }
    const int model_index = ask.Model_Index();
    Image_Table& table = data_.Tables.at(std::size_t(model_index));
    table.Slots.at(std::size_t(ask.Slot())) = Default_Slot(data_.Defaults_Folder, *table.Model);
    Record_Step();
    Show_Slots();
    SST_Select_Image->setCurrentIndex(model_index);
}

void frm_Tessaro::Show_Picture(int model_index, int slot, const Lit_Picture& picture) {
    if (model_index < 0 || model_index >= int(boxes_.size()) || slot < 0 ||
        slot >= Slots_Per_Table) {
        return;
    }
    boxes_[std::size_t(model_index)][std::size_t(slot)]->setPixmap(
        QPixmap::fromImage(Lit_Picture_Image(picture)));
}

bool frm_Tessaro::Open_Configuration(const std::string& path) {
    return configuration_->Open(path);
}

frm_RS232* frm_Tessaro::Serial_Window() const {
    return serial_ && !serial_->Unloaded() ? serial_.data() : nullptr;
}

Convert_Dialog* frm_Tessaro::Converter() const {
    return converter_.data();
}

void frm_Tessaro::Open_Converter(int model_index, int slot, const std::string& source) {
    const bool opened = converter_;
    if (!opened) {
        converter_ = new Convert_Dialog(data_, ws_, dialog_, *this, conversion_memory_, this);
        converter_->setAttribute(Qt::WA_DeleteOnClose);
        converter_->setWindowModality(Qt::WindowModal);
        connect(converter_, &Convert_Dialog::Slot_Filled, this, [this](int model_index, int) {
            Record_Step();
            Show_Slots();
            SST_Select_Image->setCurrentIndex(model_index);
        });
    }
    converter_->Preset_Slot(model_index, slot);
    // A dropped file that is no picture has been refused with its message; it opens nothing.
    if (!source.empty() && !converter_->Load_Source(source) && !opened) {
        delete converter_.data();
        return;
    }
    Bring_Forward(converter_);
}

void frm_Tessaro::smnu_Comunicazione_Click() {
    if (frm_RS232* open = Serial_Window()) {
        Bring_Forward(open);
        return;
    }
    serial_ = new frm_RS232(data_, RS232_Interface_, session_, ws_);
    serial_->setAttribute(Qt::WA_DeleteOnClose);
    connect(serial_, &frm_RS232::Run_Over, this, [this] {
        if (close_after_run_) {
            close_after_run_ = false;
            close();
        }
    });
    serial_->Form_Load();
    serial_->show();
}

Station_Window* frm_Tessaro::Station() const {
    return station_.data();
}

void frm_Tessaro::Open_Station() {
    if (!station_) {
        station_ =
            new Station_Window(data_, ws_, dialog_, [this] { return configuration_->Current(); });
        station_->setAttribute(Qt::WA_DeleteOnClose);
        connect(station_, &Station_Window::Stopped_For_Close, this, [this] {
            if (close_after_station_) {
                close_after_station_ = false;
                close();
            }
        });
    }
    Bring_Forward(station_);
}

void frm_Tessaro::closeEvent(QCloseEvent* event) {
    if (!close_confirmed_ && !configuration_->Ready_To_Close()) {
        event->ignore();
        return;
    }
    close_confirmed_ = true;
    // Units the station is programming are stopped, without a reset, before the program goes.
    if (station_) {
        if (!station_->Ready_To_Close()) {
            close_after_station_ = station_->Closing();
            // Kept running: the next close asks about unsaved changes again.
            close_confirmed_ = close_after_station_;
            event->ignore();
            return;
        }
        station_->close();
    }
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
