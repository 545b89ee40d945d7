// The main window's glyph page: the two glyph grids, their column values as text and the reasons
// typed values are refused.
#include "frm_Tessaro.h"

#include "Configuration_Menu.h"
#include "Glyph_Values.h"
#include "Window_Parts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QWidget* frm_Tessaro::Fonts_Page() {
    auto* fonts = Frame("fra_Font_64128A_64128E", "Font per display 64128A e 64128E:");
    auto* stack = new QVBoxLayout(fonts);
    stack->addWidget(Glyph_Frame("fra_5x8", "Font 5x8 pixel:", Glyph::Font_5x8, msh_Font_5x8));
    stack->addWidget(
        Glyph_Frame("fra_10x16", "Font 10x16 pixel:", Glyph::Font_10x16, msh_Font_10x16));
    txt_Font_5x8_Values = fonts->findChild<QLineEdit*>(QStringLiteral("txt_Font_5x8_Values"));
    txt_Font_10x16_Values = fonts->findChild<QLineEdit*>(QStringLiteral("txt_Font_10x16_Values"));
    lbl_Font_5x8_Refused = fonts->findChild<QLabel*>(QStringLiteral("lbl_Font_5x8_Refused"));
    lbl_Font_10x16_Refused = fonts->findChild<QLabel*>(QStringLiteral("lbl_Font_10x16_Refused"));
    Show_Glyph_Values();

    return Page_Holding(fonts);
}

// A glyph's frame: the grid, under it the column values as the command line takes them (so
// they can be copied from here, or typed in), the reason a typed value was refused, and the
// button that clears the glyph.
QWidget* frm_Tessaro::Glyph_Frame(const char* name, const char* caption, Glyph glyph,
                                  Glyph_Grid*& grid) {
    const QString suffix =
        glyph == Glyph::Font_5x8 ? QStringLiteral("Font_5x8") : QStringLiteral("Font_10x16");
    auto* frame = Frame(name, caption);
    grid = new Glyph_Grid(glyph, data_);
    grid->setObjectName(QStringLiteral("msh_") + suffix);
    auto* values = new QLineEdit;
    values->setObjectName(QStringLiteral("txt_%1_Values").arg(suffix));
    values->setToolTip(
        QStringLiteral(
            "Valori delle colonne, bit 0 = riga in alto: da 0 a %1, decimali o esadecimali con 0x; "
            "Invio li applica")
            .arg(grid->Highest_Value()));
    // Wide enough to show every column at its widest, as the grid above stays in view whole.
    const QString widest = QStringLiteral("0x%1,")
                               .arg(QString(glyph == Glyph::Font_5x8 ? 2 : 4, QLatin1Char('F')))
                               .repeated(grid->Columns());
    values->setMinimumWidth(values->fontMetrics().horizontalAdvance(widest) + 24);
    auto* refused = new QLabel;
    refused->setObjectName(QStringLiteral("lbl_%1_Refused").arg(suffix));
    refused->setWordWrap(true);
    QPalette red = refused->palette();
    red.setColor(QPalette::WindowText, QColor(200, 0, 0));
    refused->setPalette(red);
    refused->hide();
    auto* clear = new QPushButton(QStringLiteral("Pulisci"));
    clear->setObjectName(QStringLiteral("cmd_Clear_") + suffix);
    clear->setToolTip(QStringLiteral("Spegne tutti i pixel"));
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(grid, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(values);
    layout->addWidget(refused);
    layout->addWidget(clear, 0, Qt::AlignLeft);
    Glyph_Grid* edited = grid;
    connect(clear, &QPushButton::clicked, this, [edited] { edited->Clear(); });
    connect(values, &QLineEdit::editingFinished, this,
            [this, glyph] { Glyph_Values_Entered(glyph); });
    connect(grid, &Glyph_Grid::Changed, this, [this] {
        Show_Glyph_Values();
        configuration_->Mark_Changed();
    });
    connect(grid, &Glyph_Grid::Step_Done, this, [this] { Record_Step(); });
    return frame;
}

void frm_Tessaro::Show_Glyph_Values() {
    txt_Font_5x8_Values->setText(Q(Glyph_Values_Text(data_, Glyph::Font_5x8)));
    txt_Font_10x16_Values->setText(Q(Glyph_Values_Text(data_, Glyph::Font_10x16)));
    for (QLineEdit* field : {txt_Font_5x8_Values, txt_Font_10x16_Values}) {
        field->setStyleSheet(QString());
        field->setCursorPosition(0);
    }
    for (QLabel* refused : {lbl_Font_5x8_Refused, lbl_Font_10x16_Refused}) {
        refused->clear();
        refused->hide();
    }
}

void frm_Tessaro::Glyph_Values_Entered(Glyph glyph) {
    const bool small = glyph == Glyph::Font_5x8;
    Glyph_Grid* grid = small ? msh_Font_5x8 : msh_Font_10x16;
    QLineEdit* field = small ? txt_Font_5x8_Values : txt_Font_10x16_Values;
    QLabel* refused = small ? lbl_Font_5x8_Refused : lbl_Font_10x16_Refused;
    std::vector<std::uint32_t> values;
    std::string reason;
    if (!Parse_Glyph_Values(field->text().toStdString(), grid->Columns(), grid->Highest_Value(),
                            values, reason)) {
        // The typed text stays, to be put right; the glyph is untouched.
        field->setStyleSheet(QStringLiteral("QLineEdit { border: 2px solid rgb(200, 0, 0); }"));
        refused->setText(Q(reason));
        refused->show();
        return;
    }
    grid->Set_Values(values);
}
