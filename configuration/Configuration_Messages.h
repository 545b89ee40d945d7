#pragma once

#include "Configuration.h"
#include "Configuration_Load.h"

#include <string>
#include <vector>

// A read failure for the command line (English) and for the windows (Italian). `file` is the
// name shown for the file.
std::string English_Text(const Configuration_Error& error, const std::string& file);
std::string Italian_Text(const Configuration_Error& error, const std::string& file);

// One text naming every slot that failed and why, for the window's message after a load.
std::string Slot_Failures_Text(const Program_Description& program, const std::string& file,
                               const std::vector<Slot_Failure>& failures);
