#pragma once

#include "Production_Record.h"

#include <string>

// Appends the record to the CSV log at `path`, with the header first when the file is new or
// empty. Several stations may append to one log: the header test and the record are made under
// an exclusive lock of the file, and the record (with the header when due) goes out in one
// write to a file opened for appending. False, with the reason, when the log cannot be written.
bool Append_Csv_Record(const std::string& path, const Unit_Record& record, std::string& error);
