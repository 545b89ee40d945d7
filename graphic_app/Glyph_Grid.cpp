#include "Glyph_Grid.h"

#include <QHeaderView>

#include <cstdint>

namespace {

constexpr int Cell_Pixels = 10;

int Rows_Of(Glyph glyph) {
    return glyph == Glyph::Font_5x8 ? 8 : 16;
}
int Columns_Of(Glyph glyph) {
    return glyph == Glyph::Font_5x8 ? 5 : 10;
}

} // namespace

void Set_Glyph_Pixel(Program_Data& data, Glyph glyph, int row, int column, bool on) {
    if (row < 0 || row >= Rows_Of(glyph) || column < 0 || column >= Columns_Of(glyph)) {
        return;
    }
    const std::int32_t bit = std::int32_t{1} << row;
    if (glyph == Glyph::Font_5x8) {
        auto& value = data.Font_5x8_Columns[std::size_t(column)];
        value = static_cast<std::uint8_t>(on ? (value | bit) : (value & (bit ^ 255)));
    } else {
        auto& value = data.Font_10x16_Columns[std::size_t(column)];
        const auto mask = static_cast<std::int32_t>(value);
        value = on ? (mask | bit) : (mask & (bit ^ 65535));
    }
}

Glyph_Grid::Glyph_Grid(Glyph glyph, Program_Data& data)
    : QTableWidget(Rows_Of(glyph), Columns_Of(glyph)), glyph_(glyph), data_(data) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    // A blank cell shows the grid's own background; making it the window colour keeps a cell
    // that was switched off looking like one never touched.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Window));
    setPalette(colours);
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < columnCount(); ++c) {
            auto* cell = new QTableWidgetItem;
            cell->setFlags(Qt::ItemIsEnabled);
            setItem(r, c, cell);
        }
    }
    connect(this, &QTableWidget::cellClicked, this,
            [this](int row, int column) { Cell_Click(row, column); });
}

void Glyph_Grid::Set_Up() {
    for (auto* header : {horizontalHeader(), verticalHeader()}) {
        header->setMinimumSectionSize(1);
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setDefaultSectionSize(Cell_Pixels);
    }
    for (int c = 0; c < columnCount(); ++c) {
        setColumnWidth(c, Cell_Pixels);
    }
    for (int r = 0; r < rowCount(); ++r) {
        setRowHeight(r, Cell_Pixels);
    }
    setFixedSize(columnCount() * Cell_Pixels + 2 * frameWidth(),
                 rowCount() * Cell_Pixels + 2 * frameWidth());
}

void Glyph_Grid::Cell_Click(int row, int column) {
    QTableWidgetItem* cell = item(row, column);
    const QColor on = palette().color(QPalette::WindowText);
    const QColor off = palette().color(QPalette::Window);
    const bool was_on =
        cell->background().style() != Qt::NoBrush && cell->background().color() == on;
    cell->setBackground(was_on ? off : on);
    Set_Glyph_Pixel(data_, glyph_, row, column, !was_on);
}
