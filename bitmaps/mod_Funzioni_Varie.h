#pragma once

#include "File_Dialog.h"
#include "Picture_Boxes.h"
#include "Window_System.h"
#include "mod_variabili.h"

#include <string>

inline constexpr const char* Bitmap_Filter = "Tutti i file |*.*| Messaggio (*.bmp) | *.bmp";
inline constexpr const char* Invalid_Extension_Message = "Estensione file non valida!";
inline constexpr const char* Invalid_Image_Message = "Selezionata immagine non valida";

// The name test of a chosen file: "bmp" anywhere in the lower-cased path. Shows the warning and
// returns false when it fails.
bool Bitmap_Name_Passes(const std::string& path, Window_System& ws);

// The file dialog and the name test. Returns the path as chosen (so that it still names the file
// on a case-sensitive file system), or "" when cancelled or refused by the name test.
std::string Pick_Bitmap(File_Dialog& dialog, Window_System& ws);

// True when the file's header states exactly this width and height, 1 plane, 1 bit per pixel.
// A file that exists but cannot be read shows why (title "ERROR") and gives false.
bool Check_Bitmap(const std::string& path, int width, int height, Window_System& ws);

// Puts an accepted file into a slot: shows it in the picture box, then records path, name and the
// model's size. A file that passes the header check but cannot be shown is refused with a message.
// Returns false (after "Selezionata immagine non valida") when the file is refused.
bool Accept_Background(Program_Data& data, int model_index, int slot, const std::string& path,
                       Picture_Boxes& boxes, Window_System& ws);

// The right click on picture box `slot` of model `model_index` (the MouseDown handler).
// Buttons other than the right one do nothing.
enum class Mouse_Button { Left = 1, Right = 2, Middle = 4 };
void Picture_Box_Mouse_Down(Program_Data& data, int model_index, int slot, Mouse_Button button,
                            File_Dialog& dialog, Picture_Boxes& boxes, Window_System& ws);
