#pragma once

#include <string>
#include <string_view>

// Writes the bytes to a temporary file beside `path` and renames it over `path` only once it is
// complete, so `path` holds either its old content or all of the new one, never a part.
// False, with the reason in `error`, when the file could not be written.
bool Write_File_Atomically(const std::string& path, std::string_view bytes, std::string& error);
