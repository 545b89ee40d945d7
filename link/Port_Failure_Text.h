#pragma once

#include "Serial_Control.h"

#include <string>

// Why a port did not open, in Italian, for the windows; the command line has the failure's own
// English reason.
std::string Italian_Port_Failure_Text(Port_Failure failure, const std::string& device);
