#pragma once

#include <QByteArray>

#include <string>

// Where a subcommand may write: an existing output file must be a regular file and an existing
// output folder a folder (a link to one is followed), so that a device or a pipe is never
// replaced. False, with a one-line reason in `error`, otherwise.
bool Output_File_Allowed(const std::string& path, std::string& error);
bool Output_Folder_Allowed(const std::string& path, std::string& error);

// Writes `bytes` to `path` through a temporary file beside it that replaces it only when every
// byte has been written, so a failure leaves the old file (or none) and never a partial one.
// False, with a one-line reason in `error`, when any write to the disk fails.
bool Save_Atomically(const std::string& path, const QByteArray& bytes, std::string& error);
