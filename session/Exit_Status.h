#pragma once

// What a run of the command line ends with, for one unit and, as the highest of them, for many.
inline constexpr int Exit_Ok = 0;
inline constexpr int Exit_Failed = 1; // a file missing or unreadable, an output not written
inline constexpr int Exit_Usage = 2; // bad arguments, or an input or output refused before any work
inline constexpr int Exit_Module_Not_Found = 3; // or the port could not be opened
inline constexpr int Exit_Write_Failed = 4;
inline constexpr int Exit_Stopped = 5;
inline constexpr int Exit_Reset_Not_Acknowledged = 6;
