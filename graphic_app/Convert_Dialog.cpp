#include "Convert_Dialog.h"

#include "Mono_Bitmap_File.h"
#include "Picture_Geometry.h"
#include "Picture_Tone.h"
#include "Qt_Lit_Picture.h"
#include "Qt_Picture_File.h"
#include "mod_Funzioni_Varie.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr const char* Picture_Filter =
    "Immagini |*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.svg;*.webp;*.tif;*.tiff;*.tga;*.ico|"
    "Tutti i file |*.*";
constexpr const char* Bitmap_Save_Filter = "Bitmap monocromatica |*.bmp";

// The enlarged preview is about this wide, in whole screen pixels per display pixel.
constexpr int Enlarged_Width = 480;

template <typename T> T* Named(T* control, const char* name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QLabel* Preview_Box(const char* name) {
    auto* box = Named(new QLabel, name);
    box->setFrameStyle(QFrame::Box | QFrame::Plain);
    box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return box;
}

int Zoom(int width) {
    return std::max(1, Enlarged_Width / width);
}

QString Read_Failure_Text(const Picture_Read_Result& result, const std::string& path) {
    const QString file = QString::fromStdString(path);
    switch (result.Failure) {
    case Picture_Read_Failure::File_Refused:
        return QString::fromStdString(Italian_Text(result.File));
    case Picture_Read_Failure::Over_Limit:
        return QStringLiteral("L'immagine %1 è troppo grande per essere letta.").arg(file);
    default:
        return QStringLiteral("Il file %1 non è un'immagine leggibile.").arg(file);
    }
}

} // namespace

Convert_Dialog::Convert_Dialog(Program_Data& data, Window_System& ws, File_Dialog& dialog,
                               Picture_Boxes& boxes, Conversion_Memory& memory, QWidget* parent)
    : QDialog(parent), data_(data), ws_(ws), dialog_(dialog), boxes_(boxes), memory_(memory) {
    setObjectName(QStringLiteral("Convert_Dialog"));
    setWindowTitle(QStringLiteral("Converti immagine"));

    txt_Sorgente = Named(new QLineEdit, "txt_Sorgente");
    txt_Sorgente->setReadOnly(true);
    txt_Sorgente->setPlaceholderText(QStringLiteral("Nessuna immagine scelta"));
    txt_Sorgente->setMinimumWidth(360);
    cmd_Sfoglia = Named(new QPushButton(QStringLiteral("Sfoglia…")), "cmd_Sfoglia");
    auto* source_row = new QHBoxLayout;
    source_row->addWidget(txt_Sorgente, 1);
    source_row->addWidget(cmd_Sfoglia);

    cmb_Modello = Named(new QComboBox, "cmb_Modello");
    for (const Model_Descriptor& model : data_.Program.Models) {
        cmb_Modello->addItem(QString::fromStdString(model.Tab_Caption));
    }
    cmb_Immagine = Named(new QComboBox, "cmb_Immagine");
    for (int k = 1; k <= Slots_Per_Table; ++k) {
        cmb_Immagine->addItem(QStringLiteral("Immagine numero %1").arg(k));
    }
    cmb_Adattamento = Named(new QComboBox, "cmb_Adattamento");
    cmb_Adattamento->addItem(QStringLiteral("Adatta (proporzioni mantenute, tutta visibile)"),
                             int(Scale_Mode::Fit));
    cmb_Adattamento->addItem(QStringLiteral("Riempi (proporzioni mantenute, ritaglio al centro)"),
                             int(Scale_Mode::Fill));
    cmb_Adattamento->addItem(QStringLiteral("Deforma (esattamente il display)"),
                             int(Scale_Mode::Stretch));
    cmb_Adattamento->addItem(QStringLiteral("Nessuno (un pixel per pixel, al centro)"),
                             int(Scale_Mode::None));

    sld_Soglia = Named(new QSlider(Qt::Horizontal), "sld_Soglia");
    spn_Soglia = Named(new QSpinBox, "spn_Soglia");
    sld_Soglia->setRange(Lowest_Threshold, Highest_Threshold);
    sld_Soglia->setValue(Default_Threshold);
    spn_Soglia->setRange(Lowest_Threshold, Highest_Threshold);
    spn_Soglia->setValue(Default_Threshold);
    spn_Soglia->setToolTip(
        QStringLiteral("Si accendono i pixel con luminosità sotto la soglia (0 nero, 255 bianco)"));
    auto* threshold_row = new QHBoxLayout;
    threshold_row->addWidget(sld_Soglia, 1);
    threshold_row->addWidget(spn_Soglia);

    cmb_Retinatura = Named(new QComboBox, "cmb_Retinatura");
    cmb_Retinatura->addItem(QStringLiteral("Nessuna"), int(Dither_Method::None));
    cmb_Retinatura->addItem(QStringLiteral("Floyd-Steinberg (diffusione dell'errore)"),
                            int(Dither_Method::Floyd_Steinberg));
    cmb_Retinatura->addItem(QStringLiteral("Atkinson (diffusione dell'errore, più contrasto)"),
                            int(Dither_Method::Atkinson));
    cmb_Retinatura->addItem(QStringLiteral("Bayer 8x8 (retino ordinato)"),
                            int(Dither_Method::Bayer));
    chk_Inverti = Named(new QCheckBox(QStringLiteral("Inverti (si accendono le parti chiare)")),
                        "chk_Inverti");

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Sorgente:"), source_row);
    form->addRow(QStringLiteral("Modello:"), cmb_Modello);
    form->addRow(QStringLiteral("Immagine numero:"), cmb_Immagine);
    form->addRow(QStringLiteral("Adattamento:"), cmb_Adattamento);
    form->addRow(QStringLiteral("Soglia:"), threshold_row);
    form->addRow(QStringLiteral("Retinatura:"), cmb_Retinatura);
    form->addRow(QString(), chk_Inverti);

    auto* fra_Anteprima = Named(new QGroupBox(QStringLiteral("Anteprima")), "fra_Anteprima");
    lbl_Anteprima = Named(new QLabel, "lbl_Anteprima");
    pct_Anteprima = Preview_Box("pct_Anteprima");
    pct_Anteprima_Ingrandita = Preview_Box("pct_Anteprima_Ingrandita");
    auto* previews = new QHBoxLayout;
    previews->addWidget(pct_Anteprima, 0, Qt::AlignTop);
    previews->addWidget(pct_Anteprima_Ingrandita, 0, Qt::AlignTop);
    previews->addStretch(1);
    auto* preview_column = new QVBoxLayout(fra_Anteprima);
    preview_column->addWidget(lbl_Anteprima);
    preview_column->addLayout(previews);

    cmd_Salva = Named(new QPushButton(QStringLiteral("Salva e usa")), "cmd_Salva");
    cmd_Annulla = Named(new QPushButton(QStringLiteral("Annulla")), "cmd_Annulla");
    cmd_Salva->setDefault(true);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(cmd_Salva, QDialogButtonBox::AcceptRole);
    buttons->addButton(cmd_Annulla, QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(fra_Anteprima);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const Conversion_Options remembered = memory_.Options;
    cmb_Adattamento->setCurrentIndex(cmb_Adattamento->findData(int(remembered.Scale)));
    spn_Soglia->setValue(remembered.Threshold);
    sld_Soglia->setValue(remembered.Threshold);
    cmb_Retinatura->setCurrentIndex(cmb_Retinatura->findData(int(remembered.Dither)));
    chk_Inverti->setChecked(remembered.Invert);

    connect(cmd_Sfoglia, &QPushButton::clicked, this, [this] { cmd_Sfoglia_Click(); });
    connect(cmd_Salva, &QPushButton::clicked, this, [this] { cmd_Salva_Click(); });
    connect(cmd_Annulla, &QPushButton::clicked, this, &QDialog::reject);
    connect(sld_Soglia, &QSlider::valueChanged, spn_Soglia, &QSpinBox::setValue);
    connect(spn_Soglia, &QSpinBox::valueChanged, sld_Soglia, &QSlider::setValue);
    const auto refresh = [this] { Refresh_Preview(); };
    connect(spn_Soglia, &QSpinBox::valueChanged, this, refresh);
    for (QComboBox* box : {cmb_Modello, cmb_Adattamento, cmb_Retinatura}) {
        connect(box, &QComboBox::currentIndexChanged, this, refresh);
    }
    connect(chk_Inverti, &QCheckBox::toggled, this, refresh);
    Refresh_Preview();
}

bool Convert_Dialog::Load_Source(const std::string& path) {
    Picture_Read_Result result = Read_Picture_File(path);
    if (result.Failure != Picture_Read_Failure::None) {
        ws_.Message_Box(Read_Failure_Text(result, path).toStdString(), Title_Error,
                        Message_Icon::Critical);
        return false;
    }
    source_path_ = path;
    memory_.Source_Folder = QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
    source_ = std::move(result.Luma);
    laid_model_ = -1;
    txt_Sorgente->setText(QString::fromStdString(path));
    Refresh_Preview();
    return true;
}

void Convert_Dialog::Preset_Slot(int model_index, int slot) {
    cmb_Modello->setCurrentIndex(model_index);
    cmb_Immagine->setCurrentIndex(slot);
}

Conversion_Options Convert_Dialog::Options() const {
    return {Scale_Mode(cmb_Adattamento->currentData().toInt()), spn_Soglia->value(),
            Dither_Method(cmb_Retinatura->currentData().toInt()), chk_Inverti->isChecked()};
}

const Model_Descriptor& Convert_Dialog::Model() const {
    return data_.Program.Models.at(std::size_t(std::max(0, cmb_Modello->currentIndex())));
}

void Convert_Dialog::Refresh_Preview() {
    const Model_Descriptor& model = Model();
    const Conversion_Options options = Options();
    const int model_index = std::max(0, cmb_Modello->currentIndex());
    if (laid_model_ != model_index || laid_scale_ != options.Scale) {
        laid_ = Lay_On_Display(source_, model.Width, model.Height, options.Scale);
        laid_model_ = model_index;
        laid_scale_ = options.Scale;
    }
    shown_ = Apply_Tone(laid_, options);
    memory_.Options = options;

    const QImage image = Lit_Picture_Image(shown_);
    const int zoom = Zoom(model.Width);
    pct_Anteprima->setFixedSize(model.Width + 2, model.Height + 2);
    pct_Anteprima->setPixmap(QPixmap::fromImage(image));
    pct_Anteprima_Ingrandita->setFixedSize(model.Width * zoom + 2, model.Height * zoom + 2);
    pct_Anteprima_Ingrandita->setPixmap(
        QPixmap::fromImage(image.scaled(model.Width * zoom, model.Height * zoom)));
    lbl_Anteprima->setText(
        QStringLiteral("Display %1x%2: a grandezza naturale e ingrandito %3 volte")
            .arg(model.Width)
            .arg(model.Height)
            .arg(zoom));
    cmd_Salva->setEnabled(!source_path_.empty());
}

void Convert_Dialog::cmd_Sfoglia_Click() {
    if (const auto chosen = dialog_.Show_Open_In(Picture_Filter, 1, memory_.Source_Folder)) {
        Load_Source(*chosen);
    }
}

void Convert_Dialog::cmd_Salva_Click() {
    if (source_path_.empty()) {
        return;
    }
    const int model_index = cmb_Modello->currentIndex();
    const int slot = cmb_Immagine->currentIndex();
    const QFileInfo source(QString::fromStdString(source_path_));
    // The slot is in the name, so converting one picture for two slots makes two files.
    const QString suggested = source.dir().filePath(
        QStringLiteral("%1_%2_%3.bmp")
            .arg(source.completeBaseName(), QString::fromStdString(Model().Code))
            .arg(slot + 1));
    const auto chosen = dialog_.Show_Save(Bitmap_Save_Filter, 1, suggested.toStdString());
    if (!chosen || !Bitmap_Name_Passes(*chosen, ws_)) {
        return;
    }
    if (const File_Failure failure = Write_File_Atomically(*chosen, Mono_Bitmap_Bytes(shown_));
        failure.Failed()) {
        ws_.Message_Box(Italian_Text(failure), Title_Error, Message_Icon::Critical);
        return;
    }
    if (Accept_Background(data_, model_index, slot, *chosen, boxes_, ws_)) {
        emit Slot_Filled(model_index, slot);
        accept();
    }
}
