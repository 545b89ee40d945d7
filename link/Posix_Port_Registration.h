#pragma once

#include "Port_Entry.h"

#include <string>
#include <vector>

// Where simulated units make their pseudo-terminals visible to the port list: one file per unit in
// a per-user folder, written by the unit and removed when it ends. Registrations whose process or
// device is gone are removed by the next reader. POSIX only: pseudo-terminals and /proc.

// $XDG_RUNTIME_DIR/vantrel-ports when that folder is set and writable, else
// /tmp/vantrel-ports-<uid>. Empty when the folder is unusable (not ours, not a folder).
std::string Registration_Folder(bool create);

// The live registrations, in no particular order: Number_Ports orders them.
std::vector<Registered_Port> Registered_Ports();

// Registers the unit on `device`; returns what Unregister_Simulated_Port takes, empty when the
// folder is unusable. A unit that ends without unregistering is dropped by the next reader.
std::string Register_Simulated_Port(const std::string& device);
void Unregister_Simulated_Port(const std::string& registration);
