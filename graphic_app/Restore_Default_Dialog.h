#pragma once

#include "Model_Descriptor.h"

#include <QDialog>

class QComboBox;

// Asks which slot gets its model's default background back: the model and the slot number,
// preset to the slot the user is looking at.
class Restore_Default_Dialog : public QDialog {
    Q_OBJECT

  public:
    Restore_Default_Dialog(const Program_Description& program, int model_index, int slot,
                           QWidget* parent = nullptr);

    int Model_Index() const;
    int Slot() const;

  private:
    QComboBox* cmb_Modello = nullptr;
    QComboBox* cmb_Immagine = nullptr;
};
