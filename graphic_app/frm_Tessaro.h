#pragma once

#include "Convert_Dialog.h"
#include "Edit_History.h"
#include "File_Dialog.h"
#include "Glyph_Grid.h"
#include "Picture_Boxes.h"
#include "Serial_Control.h"
#include "Unit_Session.h"
#include "Window_System.h"
#include "frm_RS232.h"
#include "mod_RS232.h"
#include "mod_variabili.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <vector>

class Configuration_Menu;
class Picture_Box;
class Slot_File_Watch;
class QAction;
class QLabel;
class QLineEdit;
class QTabWidget;

// The main window of both programs, built from the program's list of display models: one tab
// per model with its four picture boxes, and the glyph editors when the program has glyphs.
// It owns the system's serial control and link; the serial window borrows them. Every box shows
// what its slot's file holds now: the boxes are redrawn after each edit and whenever a slot's
// file changes on disk. Slot assignments and glyph edits can be undone and redone.
class frm_Tessaro : public QMainWindow, public Picture_Boxes {
    Q_OBJECT

  public:
    frm_Tessaro(Program_Data& data, Window_System& ws, File_Dialog& dialog,
                Serial_Control& RS232_Interface, Millisecond_Clock& clock);
    ~frm_Tessaro() override;

    // The load step: fills the tables from the default bitmaps and sets up the glyph grids.
    // False when a default was missing or unusable; the program has then been ended.
    bool Form_Load();

    void Show_Picture(int model_index, int slot, const Lit_Picture& picture) override;

    // The serial window while it is loaded, else null.
    frm_RS232* Serial_Window() const;
    // The conversion dialog while it is open, else null.
    Convert_Dialog* Converter() const;

    // Opens a configuration file, as "Apri configurazione…" does once the file is chosen.
    bool Open_Configuration(const std::string& path);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Build_Menus();
    // Draws every box from its slot's file as it is now, and watches those files.
    void Show_Slots();
    // After an edit: one step of undo when anything changed, and the configuration marked.
    void Record_Step();
    void Undo_Redo(bool undo);
    void Update_Undo_Entries();
    void Restore_Default_Click();
    // The values typed into a glyph's field: taken when they all fit, else refused beside it.
    void Glyph_Values_Entered(Glyph glyph);
    QWidget* Model_Page(int model_index);
    QWidget* Fonts_Page();
    QWidget* Glyph_Frame(const char* name, const char* caption, Glyph glyph, Glyph_Grid*& grid);
    // The column values of both glyphs into their fields, any refusal cleared.
    void Show_Glyph_Values();
    void smnu_Comunicazione_Click();
    // Opens the conversion dialog (or brings the open one up) preset to that slot, with the
    // dropped file as its source when there is one.
    void Open_Converter(int model_index, int slot, const std::string& source = {});

    Program_Data& data_;
    Window_System& ws_;
    File_Dialog& dialog_;
    Serial_Control& RS232_Interface_;
    Unit_Session session_;
    QPointer<frm_RS232> serial_;
    QPointer<Convert_Dialog> converter_;
    bool close_after_run_ = false;
    // The question about unsaved changes has been answered for a close still under way.
    bool close_confirmed_ = false;
    Configuration_Menu* configuration_ = nullptr;
    Edit_History history_;
    Slot_File_Watch* watch_ = nullptr;
    Conversion_Memory conversion_memory_;
    QAction* smnu_Annulla = nullptr;
    QAction* smnu_Ripeti = nullptr;

    QTabWidget* SST_Select_Image = nullptr;
    std::vector<std::array<Picture_Box*, Slots_Per_Table>> boxes_;
    Glyph_Grid* msh_Font_5x8 = nullptr;
    Glyph_Grid* msh_Font_10x16 = nullptr;
    QLineEdit* txt_Font_5x8_Values = nullptr;
    QLineEdit* txt_Font_10x16_Values = nullptr;
    QLabel* lbl_Font_5x8_Refused = nullptr;
    QLabel* lbl_Font_10x16_Refused = nullptr;
};
