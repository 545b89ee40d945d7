#pragma once

#include "File_Dialog.h"
#include "Picture_Boxes.h"
#include "Picture_Types.h"
#include "Window_System.h"
#include "mod_variabili.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;

// What the conversion dialog keeps for the rest of the session, from one opening to the next:
// the folder of the last source and the last settings.
struct Conversion_Memory {
    std::string Source_Folder;
    Conversion_Options Options;
};

// The conversion dialog: any picture becomes a chosen slot's 1-bit bitmap. It keeps the decoded
// source and the source laid on the display, so a change of threshold, dithering or inversion
// only redoes the tone, and a change of model or fitting redoes the geometry too. "Salva e usa"
// writes the bitmap and assigns it through the picture-box acceptance. It opens with the settings
// it last had and browses from the folder of the last source.
class Convert_Dialog : public QDialog {
    Q_OBJECT

  public:
    Convert_Dialog(Program_Data& data, Window_System& ws, File_Dialog& dialog, Picture_Boxes& boxes,
                   Conversion_Memory& memory, QWidget* parent = nullptr);

    // Decodes the file and makes it the source; on failure the user is told why and the
    // previous source stays. False when it was refused.
    bool Load_Source(const std::string& path);
    // Chooses the model and slot that "Salva e usa" fills.
    void Preset_Slot(int model_index, int slot);

  signals:
    // "Salva e usa" put its bitmap in this slot; the dialog closes next.
    void Slot_Filled(int model_index, int slot);

  private:
    void cmd_Sfoglia_Click();
    void cmd_Salva_Click();
    Conversion_Options Options() const;
    const Model_Descriptor& Model() const;
    // Brings the preview up to date with the controls.
    void Refresh_Preview();

    Program_Data& data_;
    Window_System& ws_;
    File_Dialog& dialog_;
    Picture_Boxes& boxes_;
    Conversion_Memory& memory_;

    std::string source_path_;
    Grey_Picture source_;
    // The source laid on the display, with what it was laid for.
    Grey_Picture laid_;
    int laid_model_ = -1;
    Scale_Mode laid_scale_ = Scale_Mode::Fit;
    Lit_Picture shown_;

    QLineEdit* txt_Sorgente = nullptr;
    QPushButton* cmd_Sfoglia = nullptr;
    QComboBox* cmb_Modello = nullptr;
    QComboBox* cmb_Immagine = nullptr;
    QComboBox* cmb_Adattamento = nullptr;
    QSlider* sld_Soglia = nullptr;
    QSpinBox* spn_Soglia = nullptr;
    QComboBox* cmb_Retinatura = nullptr;
    QCheckBox* chk_Inverti = nullptr;
    QLabel* lbl_Anteprima = nullptr;
    QLabel* pct_Anteprima = nullptr;
    QLabel* pct_Anteprima_Ingrandita = nullptr;
    QPushButton* cmd_Salva = nullptr;
    QPushButton* cmd_Annulla = nullptr;
};
