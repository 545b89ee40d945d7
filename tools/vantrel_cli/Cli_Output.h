#pragma once

#include <string>
#include <string_view>

// Where a subcommand may write: an existing output file must be a regular file (a link to one is
// followed) and an existing output folder a folder, so that a device or a pipe is never
// replaced. False, with a one-line reason in `error`, otherwise.
bool Output_File_Allowed(const std::string& path, std::string& error);
bool Output_Folder_Allowed(const std::string& path, std::string& error);

// Writes `bytes` over `path` as Write_File_Atomically does. False, with a one-line reason in
// `error`, when it did not.
bool Save_Atomically(const std::string& path, std::string_view bytes, std::string& error);
