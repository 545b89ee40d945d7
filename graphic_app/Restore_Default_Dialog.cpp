#include "Restore_Default_Dialog.h"

#include "mod_costanti.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

Restore_Default_Dialog::Restore_Default_Dialog(const Program_Description& program, int model_index,
                                               int slot, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("Restore_Default_Dialog"));
    setWindowTitle(QStringLiteral("Ripristina sfondo predefinito"));
    cmb_Modello = new QComboBox;
    cmb_Modello->setObjectName(QStringLiteral("cmb_Modello"));
    for (const Model_Descriptor& model : program.Models) {
        cmb_Modello->addItem(QString::fromStdString(model.Tab_Caption));
    }
    cmb_Modello->setCurrentIndex(model_index);
    cmb_Immagine = new QComboBox;
    cmb_Immagine->setObjectName(QStringLiteral("cmb_Immagine"));
    for (int k = 1; k <= Slots_Per_Table; ++k) {
        cmb_Immagine->addItem(QStringLiteral("Immagine numero %1").arg(k));
    }
    cmb_Immagine->setCurrentIndex(slot);

    auto* cmd_Ripristina = new QPushButton(QStringLiteral("Ripristina"));
    cmd_Ripristina->setObjectName(QStringLiteral("cmd_Ripristina"));
    cmd_Ripristina->setDefault(true);
    auto* cmd_Annulla = new QPushButton(QStringLiteral("Annulla"));
    cmd_Annulla->setObjectName(QStringLiteral("cmd_Annulla"));
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(cmd_Ripristina, QDialogButtonBox::AcceptRole);
    buttons->addButton(cmd_Annulla, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Modello:"), cmb_Modello);
    form->addRow(QStringLiteral("Immagine numero:"), cmb_Immagine);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int Restore_Default_Dialog::Model_Index() const {
    return cmb_Modello->currentIndex();
}

int Restore_Default_Dialog::Slot() const {
    return cmb_Immagine->currentIndex();
}
