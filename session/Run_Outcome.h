#pragma once

#include "Exit_Status.h"

#include <array>
#include <cstddef>

// How programming one unit ended.
enum class Run_Outcome {
    Written,                // every block acknowledged and the reset acknowledged
    Compile_Failed,         // nothing sent
    Module_Not_Found,       // nothing written: no unit answered, or its port could not be opened
    Write_Failed,           // a block was refused; the reset was still sent (unless the port went)
    Stopped,                // the user stopped (or aborted); no reset
    Reset_Not_Acknowledged, // image written, reset refused
    Busy,                   // a run was already under way; this request was ignored
};

// Everything that is said about an outcome, in one place. The Italian texts are the serial
// window's status line, with these fields filled in from the run's report:
//   {on} " su " and the device     {device} the device     {blocks} blocks acknowledged
//   {seconds} the run's seconds     {retries} retries       {at} "al blocco N di M", N the first
//                                                           block not acknowledged
struct Outcome_Row {
    Run_Outcome Outcome;
    int Exit_Status;           // of the command line, for this unit
    const char* Json_Name;     // in production records (JSON and CSV)
    const char* English;       // the command line's summary
    const char* Italian;       // the status line
    const char* Italian_Lost;  // the status line when the port went away, if it says otherwise
    const char* Italian_Whole; // the status line when every block was acknowledged, if otherwise
};

inline constexpr std::array<Outcome_Row, 7> Outcome_Table{{
    {Run_Outcome::Written, Exit_Ok, "written", "written and reset",
     "Modulo programmato{on}: {blocks} blocchi in {seconds} s, {retries} ritrasmissioni.", nullptr,
     nullptr},
    {Run_Outcome::Compile_Failed, Exit_Failed, "compile_failed", "compile failed, nothing sent",
     "Compilazione non riuscita: nulla è stato inviato.", nullptr, nullptr},
    {Run_Outcome::Module_Not_Found, Exit_Module_Not_Found, "not_found",
     "unit not found, nothing written", "Modulo non trovato{on}: nulla è stato scritto.",
     "Porta seriale {device} persa: modulo non raggiunto.", nullptr},
    {Run_Outcome::Write_Failed, Exit_Write_Failed, "write_failed", "write failed",
     "Scrittura{on} fallita {at}.", "Porta seriale {device} persa {at}: scrittura interrotta.",
     nullptr},
    {Run_Outcome::Stopped, Exit_Stopped, "stopped", "stopped", "Scrittura{on} fermata {at}.",
     nullptr, "Immagine scritta{on}, reset interrotto."},
    {Run_Outcome::Reset_Not_Acknowledged, Exit_Reset_Not_Acknowledged, "reset_not_acknowledged",
     "written, reset not acknowledged", "Immagine scritta{on}, ma il reset non è stato confermato.",
     "Porta seriale {device} persa durante il reset: immagine scritta.", nullptr},
    // A request ignored during a run says nothing.
    {Run_Outcome::Busy, Exit_Stopped, "stopped", "stopped", "", nullptr, nullptr},
}};

constexpr const Outcome_Row& Row_Of(Run_Outcome outcome) {
    return Outcome_Table[static_cast<std::size_t>(outcome)];
}

// Each row stands at its outcome's place, so that Row_Of is a lookup.
static_assert([] {
    for (std::size_t i = 0; i < Outcome_Table.size(); ++i) {
        if (static_cast<std::size_t>(Outcome_Table[i].Outcome) != i) {
            return false;
        }
    }
    return true;
}());

constexpr int Exit_Code(Run_Outcome outcome) {
    return Row_Of(outcome).Exit_Status;
}
// "written", "not_found", "write_failed", "stopped", "reset_not_acknowledged"
constexpr const char* Outcome_Name(Run_Outcome outcome) {
    return Row_Of(outcome).Json_Name;
}
constexpr const char* Outcome_Text(Run_Outcome outcome) {
    return Row_Of(outcome).English;
}
