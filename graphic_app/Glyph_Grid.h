#pragma once

#include "mod_variabili.h"

#include <QTableWidget>

#include <cstdint>
#include <string>
#include <vector>

// The two glyphs a graphic-LCD program edits.
enum class Glyph { Font_5x8, Font_10x16 };

// Sets (on) or clears (off) the bit of pixel (row, column) in the glyph's column array: bit r of
// column c is the pixel at row r. A column outside the glyph changes nothing.
void Set_Glyph_Pixel(Program_Data& data, Glyph glyph, int row, int column, bool on);

// The column values as --font5x8 and --font10x16 take them: "0x1F,0x00,0x00,0x00,0x00".
std::string Glyph_Values_Text(const Program_Data& data, Glyph glyph);

// A glyph editor: one square cell per pixel between the window-text colour (on) and the window
// colour (off), with the same state in the column array. Pressing a cell toggles it, every
// press (the second of a double click too); dragging paints the state the first cell took.
// A press with its drag, a clearing and a set of typed values are each one step of undo.
class Glyph_Grid : public QTableWidget {
    Q_OBJECT

  public:
    Glyph_Grid(Glyph glyph, Program_Data& data);

    // Cell size: 10 pixels square, every cell visible without scrolling.
    void Set_Up();

    void Toggle_Cell(int row, int column);
    // Redraws every cell from the column array, after the array was written from elsewhere.
    void Show_Glyph();
    // Switches every pixel off.
    void Clear();
    // Takes typed column values, one per column, each within the glyph's range.
    void Set_Values(const std::vector<std::uint32_t>& values);

    int Columns() const { return columnCount(); }
    std::uint32_t Highest_Value() const;

  signals:
    // A pixel changed.
    void Changed();
    // The edit under way is complete: one step of undo.
    void Step_Done();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool Is_On(int row, int column) const;
    void Paint_Cell(int row, int column, bool on);

    Glyph glyph_;
    Program_Data& data_;
    bool dragging_ = false;
    bool drag_state_ = false;
};
