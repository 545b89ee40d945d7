#pragma once

#include "mod_variabili.h"

#include <QTableWidget>

// The two glyphs a graphic-LCD program edits.
enum class Glyph { Font_5x8, Font_10x16 };

// Sets (on) or clears (off) the bit of pixel (row, column) in the glyph's column array: bit r of
// column c is the pixel at row r. A column outside the glyph changes nothing.
void Set_Glyph_Pixel(Program_Data& data, Glyph glyph, int row, int column, bool on);

// A glyph editor: one square cell per pixel, a click toggles the pixel between the window-text
// colour (on) and the window colour (off) and writes the same state into the column array.
class Glyph_Grid : public QTableWidget {
  public:
    Glyph_Grid(Glyph glyph, Program_Data& data);

    // Cell size: 10 pixels square, every cell visible without scrolling.
    void Set_Up();

  private:
    void Cell_Click(int row, int column);

    Glyph glyph_;
    Program_Data& data_;
};
