#include "Station_Window.h"

#include "File_Dialog.h"
#include "Port_Failure_Text.h"
#include "Qt_Port_List.h"
#include "Station_Tile.h"
#include "Window_System.h"
#include "mod_Compilatore.h"
#include "mod_RS232_COD.h"
#include "mod_costanti.h"
#include "mod_variabili.h"

#include <QCloseEvent>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

namespace {

constexpr int Tile_Columns = 4;
constexpr const char* Image_Filter = "Immagine EEPROM (*.bin)|*.bin|Tutti i file|*.*";

QPushButton* Button(const char* caption, const char* name) {
    auto* button = new QPushButton(QString::fromUtf8(caption));
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// The bytes of an image file, or none after saying why it is not one.
std::optional<std::vector<std::uint8_t>> Read_Image(const std::string& path, Window_System& ws) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        ws.Message_Box("Impossibile leggere " + path + ".", Title_Error, Message_Icon::Critical);
        return std::nullopt;
    }
    const QByteArray bytes = file.read(EEPROM_Size + 1);
    if (std::size_t(bytes.size()) != EEPROM_Size) {
        ws.Message_Box(path + " non è un'immagine EEPROM: deve essere di 65.536 byte.", Title_Error,
                       Message_Icon::Critical);
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

} // namespace

Station_Window::Station_Window(const Program_Data& data, Window_System& ws, File_Dialog& dialog,
                               std::function<std::string()> configuration, QWidget* parent)
    : QWidget(parent), data_(data), ws_(ws), dialog_(dialog),
      configuration_(std::move(configuration)) {
    setObjectName(QStringLiteral("Station_Window"));
    setWindowTitle(QStringLiteral("Stazione di produzione"));
    resize(1000, 640);

    cmd_Avvia = Button("Avvia", "cmd_Avvia");
    cmd_Ferma = Button("Ferma", "cmd_Ferma");
    cmd_Pulisci = Button("Pulisci", "cmd_Pulisci");
    cmd_Immagine_File = Button("Immagine da file…", "cmd_Immagine_File");
    cmd_Immagine_Finestra = Button("Immagine della finestra principale", "cmd_Immagine_Finestra");
    cmd_Avvia->setToolTip(
        QStringLiteral("Compila l'immagine e programma ogni unità appena viene collegata"));
    cmd_Ferma->setToolTip(QStringLiteral("Ferma le unità in corso, senza reset"));
    cmd_Pulisci->setToolTip(QStringLiteral("Toglie i riquadri delle unità scollegate"));
    cmd_Immagine_File->setToolTip(QStringLiteral("Programma un'immagine EEPROM salvata su file"));
    cmd_Immagine_Finestra->setToolTip(
        QStringLiteral("Programma l'immagine della configurazione della finestra principale"));
    connect(cmd_Avvia, &QPushButton::clicked, this, [this] { Start(); });
    connect(cmd_Ferma, &QPushButton::clicked, this, [this] { Stop(); });
    connect(cmd_Pulisci, &QPushButton::clicked, this, [this] { Clear(); });
    connect(cmd_Immagine_File, &QPushButton::clicked, this, [this] {
        if (const auto chosen = dialog_.Show_Open(Image_Filter, 1)) {
            Use_Image_File(*chosen);
        }
    });
    connect(cmd_Immagine_Finestra, &QPushButton::clicked, this, [this] { Use_Image_File({}); });

    lbl_Immagine = new QLabel;
    lbl_Immagine->setObjectName(QStringLiteral("lbl_Immagine"));
    lbl_Totali = new QLabel;
    lbl_Totali->setObjectName(QStringLiteral("lbl_Totali"));
    lbl_Totali->setStyleSheet(QStringLiteral("font-size: 14pt; font-weight: bold"));
    lbl_Stato = new QLabel;
    lbl_Stato->setObjectName(QStringLiteral("lbl_Stato"));
    lbl_Stato->setWordWrap(true);
    lst_Porte_Interne = new QListWidget;
    lst_Porte_Interne->setObjectName(QStringLiteral("lst_Porte_Interne"));
    lst_Porte_Interne->setMaximumHeight(90);
    txt_Registro = new QLineEdit;
    txt_Registro->setObjectName(QStringLiteral("txt_Registro"));
    txt_Registro->setPlaceholderText(QStringLiteral("nessun registro"));
    QPushButton* cmd_Registro = Button("Registro CSV…", "cmd_Registro");
    connect(cmd_Registro, &QPushButton::clicked, this, [this] {
        if (const auto chosen = dialog_.Show_Save("File CSV (*.csv)|*.csv", 1,
                                                  txt_Registro->text().toStdString())) {
            txt_Registro->setText(QString::fromStdString(*chosen));
        }
    });

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button :
         {cmd_Avvia, cmd_Ferma, cmd_Pulisci, cmd_Immagine_File, cmd_Immagine_Finestra}) {
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto* log = new QHBoxLayout;
    log->addWidget(new QLabel(QStringLiteral("Registro CSV:")));
    log->addWidget(txt_Registro, 1);
    log->addWidget(cmd_Registro);

    auto* tiles = new QWidget;
    tile_grid_ = new QGridLayout(tiles);
    tile_grid_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* scroll = new QScrollArea;
    scroll->setWidget(tiles);
    scroll->setWidgetResizable(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(lbl_Immagine);
    layout->addWidget(new QLabel(QStringLiteral("Porte seriali interne da sorvegliare:")));
    layout->addWidget(lst_Porte_Interne);
    layout->addLayout(log);
    layout->addWidget(lbl_Totali);
    layout->addWidget(scroll, 1);
    layout->addWidget(lbl_Stato);

    List_Built_In_Ports();
    Use_Image_File({});
}

Station_Window::~Station_Window() {
    if (watch_) {
        watch_->Stop();
    }
}

bool Station_Window::Use_Image_File(const std::string& path) {
    if (!path.empty() && !Read_Image(path, ws_)) {
        return false;
    }
    image_file_ = path;
    if (!watch_) {
        lbl_Immagine->setText(
            path.empty() ? QStringLiteral("Immagine: stato della finestra principale")
                         : QStringLiteral("Immagine: file %1").arg(QString::fromStdString(path)));
    }
    return true;
}

void Station_Window::List_Built_In_Ports() {
    lst_Porte_Interne->clear();
    for (const Port_Entry& port : List_Ports()) {
        if (!port.Has_Usb_Ids && port.Simulated_Pid == 0) {
            auto* item =
                new QListWidgetItem(QString::fromStdString(port.Device), lst_Porte_Interne);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
}

void Station_Window::Start() {
    if (watch_) {
        return;
    }
    QString source;
    if (!image_file_.empty()) {
        auto image = Read_Image(image_file_, ws_);
        if (!image) {
            return;
        }
        image_ = std::move(*image);
        source = QStringLiteral("file %1").arg(QString::fromStdString(image_file_));
    } else {
        // A copy: later changes in the main window wait for the next start.
        Program_Data compiled(data_);
        if (!Compile_Images(compiled, ws_)) {
            return;
        }
        image_ = std::move(compiled.EEPROM_Image);
        const std::string name = configuration_ ? configuration_() : std::string();
        source = name.empty() ? QStringLiteral("configurazione senza nome")
                              : QStringLiteral("configurazione %1")
                                    .arg(QFileInfo(QString::fromStdString(name)).fileName());
    }
    const QString sha256 =
        QCryptographicHash::hash(
            QByteArray(reinterpret_cast<const char*>(image_.data()), qsizetype(image_.size())),
            QCryptographicHash::Sha256)
            .toHex();
    options_ = Production_Options{};
    options_.Watch = true;
    options_.Oled = data_.Program.Program_Name == Quorrin_Program().Program_Name;
    options_.Log = txt_Registro->text().trimmed().toStdString();
    for (int i = 0; i < lst_Porte_Interne->count(); ++i) {
        if (lst_Porte_Interne->item(i)->checkState() == Qt::Checked) {
            options_.Built_In.push_back(lst_Porte_Interne->item(i)->text().toStdString());
        }
    }
    model_ = Station_Model{};
    Show_Tiles();
    lbl_Stato->clear();
    lbl_Immagine->setText(QStringLiteral("Immagine: %1, SHA-256 %2…").arg(source, sha256.left(16)));
    watch_ = std::make_unique<Qt_Production_Watch>(options_, image_, sha256.toStdString(), *this);
    clock_.start();
    // The watch calls back from within its own step: it is ended once that has returned.
    if (!watch_->Start([this] { QTimer::singleShot(0, this, [this] { Ended(); }); })) {
        watch_.reset();
        ws_.Message_Box("Impossibile avviare la stazione: il sistema ha rifiutato una pipe.",
                        Title_Error, Message_Icon::Critical);
    }
    Show_State();
}

void Station_Window::Stop() {
    if (watch_) {
        watch_->Stop();
        lbl_Stato->setText(QStringLiteral("Arresto in corso…"));
    }
}

void Station_Window::Clear() {
    model_.Clear();
    Show_Tiles();
}

void Station_Window::Ended() {
    if (!watch_) {
        return;
    }
    watch_->Finish();
    watch_.reset();
    lbl_Stato->setText(QStringLiteral("Stazione ferma."));
    Show_State();
    if (close_after_stop_) {
        close_after_stop_ = false;
        close();
        emit Stopped_For_Close();
    }
}

bool Station_Window::Ready_To_Close() {
    if (!watch_) {
        return true;
    }
    QMessageBox question(QMessageBox::Question, windowTitle(),
                         QStringLiteral("Fermare la stazione?"), QMessageBox::Yes | QMessageBox::No,
                         this);
    question.setObjectName(QStringLiteral("msg_Stop_Station"));
    if (question.exec() == QMessageBox::Yes) {
        close_after_stop_ = true;
        Stop();
    }
    return false;
}

void Station_Window::closeEvent(QCloseEvent* event) {
    if (Ready_To_Close()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void Station_Window::Port_Skipped(const std::string& named, const Port_Open_Failure& why) {
    lbl_Stato->setText(
        QStringLiteral("%1 saltata per ora: %2 Sarà riprovata.")
            .arg(QString::fromStdString(named),
                 QString::fromStdString(Italian_Port_Failure_Text(why.Cause, named))));
}

void Station_Window::Unit_Started(std::size_t unit, const Port_Entry& port,
                                  const std::string& named) {
    const Unit_Tile& tile = model_.Unit_Started(unit, port, named);
    Add_Tile_Widget();
    Show_Tile(&tile);
}

void Station_Window::Unit_Changed(const Unit_Event& event) {
    if (event.Open_Failure != Port_Failure::None) {
        // The event's text is the command line's English reason.
        Unit_Event told = event;
        const Unit_Tile* tile = model_.Tile(event.Unit);
        told.Text = "Impossibile aprire la porta. " +
                    Italian_Port_Failure_Text(event.Open_Failure, tile ? tile->Device : "");
        Show_Tile(model_.Unit_Changed(told, Seconds()));
        return;
    }
    Show_Tile(model_.Unit_Changed(event, Seconds()));
}

double Station_Window::Seconds() const {
    return double(clock_.elapsed()) / 1000;
}

void Station_Window::Unit_Recorded(std::size_t unit, const Unit_Record& record,
                                   const Production_Totals&) {
    Show_Tile(model_.Unit_Recorded(unit, record));
    Show_State();
}

void Station_Window::Log_Failed(const File_Failure& failure) {
    lbl_Stato->setText(QStringLiteral("Registro CSV non scritto: %1")
                           .arg(QString::fromStdString(Italian_Text(failure))));
}

void Station_Window::Unit_Left(std::size_t unit) {
    Show_Tile(model_.Unit_Left(unit));
}

void Station_Window::Show_Tile(const Unit_Tile* tile) {
    if (tile == nullptr) {
        return;
    }
    const auto index = std::size_t(tile - model_.Tiles().data());
    if (index < tiles_.size()) {
        tiles_[index]->Show(*tile, int(image_.size() / Block_Size));
    }
}

Station_Tile* Station_Window::Add_Tile_Widget() {
    auto* widget = new Station_Tile;
    const int at = int(tiles_.size());
    tile_grid_->addWidget(widget, at / Tile_Columns, at % Tile_Columns);
    tiles_.push_back(widget);
    return widget;
}

void Station_Window::Show_Tiles() {
    for (Station_Tile* tile : tiles_) {
        delete tile;
    }
    tiles_.clear();
    for (const Unit_Tile& tile : model_.Tiles()) {
        Add_Tile_Widget()->Show(tile, int(image_.size() / Block_Size));
    }
}

void Station_Window::Show_State() {
    cmd_Avvia->setEnabled(!watch_);
    cmd_Ferma->setEnabled(bool(watch_));
    cmd_Immagine_File->setEnabled(!watch_);
    cmd_Immagine_Finestra->setEnabled(!watch_);
    lst_Porte_Interne->setEnabled(!watch_);
    txt_Registro->setEnabled(!watch_);
    lbl_Totali->setText(QStringLiteral("Programmati: %1    Falliti: %2")
                            .arg(model_.Programmed())
                            .arg(model_.Failed()));
}
