#include "Glyph_Grid.h"

#include <QHeaderView>
#include <QMouseEvent>

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

constexpr int Cell_Pixels = 10;

int Rows_Of(Glyph glyph) {
    return glyph == Glyph::Font_5x8 ? 8 : 16;
}
int Columns_Of(Glyph glyph) {
    return glyph == Glyph::Font_5x8 ? 5 : 10;
}

std::uint32_t Column_Value(const Program_Data& data, Glyph glyph, int column) {
    return glyph == Glyph::Font_5x8 ? data.Font_5x8_Columns[std::size_t(column)]
                                    : static_cast<std::uint32_t>(std::lround(
                                          data.Font_10x16_Columns[std::size_t(column)]));
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

std::string Glyph_Values_Text(const Program_Data& data, Glyph glyph) {
    std::string text;
    for (int c = 0; c < Columns_Of(glyph); ++c) {
        char value[8];
        std::snprintf(value, sizeof value, glyph == Glyph::Font_5x8 ? "0x%02X" : "0x%04X",
                      unsigned(Column_Value(data, glyph, c)));
        text += (c == 0 ? "" : ",") + std::string(value);
    }
    return text;
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

bool Glyph_Grid::Is_On(int row, int column) const {
    const QBrush background = item(row, column)->background();
    return background.style() != Qt::NoBrush &&
           background.color() == palette().color(QPalette::WindowText);
}

void Glyph_Grid::Paint_Cell(int row, int column, bool on) {
    item(row, column)->setBackground(palette().color(on ? QPalette::WindowText : QPalette::Window));
    Set_Glyph_Pixel(data_, glyph_, row, column, on);
}

void Glyph_Grid::Toggle_Cell(int row, int column) {
    drag_state_ = !Is_On(row, column);
    Paint_Cell(row, column, drag_state_);
    emit Changed();
    if (!dragging_) {
        emit Step_Done();
    }
}

void Glyph_Grid::Show_Glyph() {
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < columnCount(); ++c) {
            Paint_Cell(r, c, (Column_Value(data_, glyph_, c) >> r) & 1);
        }
    }
}

void Glyph_Grid::Clear() {
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < columnCount(); ++c) {
            Paint_Cell(r, c, false);
        }
    }
    emit Changed();
    emit Step_Done();
}

void Glyph_Grid::Set_Values(const std::vector<std::uint32_t>& values) {
    for (int c = 0; c < columnCount() && c < int(values.size()); ++c) {
        for (int r = 0; r < rowCount(); ++r) {
            Paint_Cell(r, c, (values[std::size_t(c)] >> r) & 1);
        }
    }
    emit Changed();
    emit Step_Done();
}

std::uint32_t Glyph_Grid::Highest_Value() const {
    return glyph_ == Glyph::Font_5x8 ? 255 : 65535;
}

void Glyph_Grid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex cell = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !cell.isValid()) {
        return;
    }
    dragging_ = true;
    Toggle_Cell(cell.row(), cell.column());
}

// The window system hands a widget the second press of a double click as this event, not as a
// press; it toggles its cell all the same.
void Glyph_Grid::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void Glyph_Grid::mouseMoveEvent(QMouseEvent* event) {
    const QModelIndex cell = indexAt(event->position().toPoint());
    if (!dragging_ || !(event->buttons() & Qt::LeftButton) || !cell.isValid() ||
        Is_On(cell.row(), cell.column()) == drag_state_) {
        return;
    }
    Paint_Cell(cell.row(), cell.column(), drag_state_);
    emit Changed();
}

void Glyph_Grid::mouseReleaseEvent(QMouseEvent*) {
    if (dragging_) {
        dragging_ = false;
        emit Step_Done();
    }
}
