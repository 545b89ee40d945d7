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

// True when the bitmap reader takes the file for this width and height (exact size, 1 plane,
// 1 bit per pixel, uncompressed, bottom-up, pixel array inside the file); otherwise `reason` says
// why, empty for no file at all. Reads the header and the palette only.
bool Check_Bitmap(const std::string& path, int width, int height, std::string& reason);

// Puts an accepted file into a slot: shows in the picture box what the reader makes of it, then
// records path, name and the model's size. Returns false when the file is refused, after
// "Selezionata immagine non valida" with the reason on a second line.
bool Accept_Background(Program_Data& data, int model_index, int slot, const std::string& path,
                       Picture_Boxes& boxes, Window_System& ws);

// The right click on picture box `slot` of model `model_index` (the MouseDown handler).
// Buttons other than the right one do nothing.
enum class Mouse_Button { Left = 1, Right = 2, Middle = 4 };
void Picture_Box_Mouse_Down(Program_Data& data, int model_index, int slot, Mouse_Button button,
                            File_Dialog& dialog, Picture_Boxes& boxes, Window_System& ws);
