#include "Run_Status.h"

#include <cmath>

namespace {

// "4,6": tenths with the Italian decimal comma.
std::string Tenths(double seconds) {
    const long tenths = std::lround(seconds * 10);
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
}

// The block a write ended at, counted from 1: the one after the last acknowledged.
std::string At_Block(const Run_Report& r) {
    return "al blocco " + std::to_string(r.Blocks_Written + 1) + " di " +
           std::to_string(r.Total_Blocks);
}

} // namespace

std::string Run_Status_Text(const Run_Report& r) {
    switch (r.Outcome) {
    case Run_Outcome::Written:
        return "Modulo programmato: " + std::to_string(r.Blocks_Written) + " blocchi in " +
               Tenths(r.Seconds) + " s, " + std::to_string(r.Retries) + " ritrasmissioni.";
    case Run_Outcome::Compile_Failed:
        return "Compilazione non riuscita: nulla è stato inviato.";
    case Run_Outcome::Module_Not_Found:
        return r.Port_Lost ? "Porta seriale persa: modulo non raggiunto."
                           : "Modulo non trovato: nulla è stato scritto.";
    case Run_Outcome::Write_Failed:
        return r.Port_Lost ? "Porta seriale persa " + At_Block(r) + ": scrittura interrotta."
                           : "Scrittura fallita " + At_Block(r) + ".";
    case Run_Outcome::Stopped:
        return r.Blocks_Written >= r.Total_Blocks ? "Immagine scritta, reset interrotto."
                                                  : "Scrittura fermata " + At_Block(r) + ".";
    case Run_Outcome::Reset_Not_Acknowledged:
        return r.Port_Lost ? "Porta seriale persa durante il reset: immagine scritta."
                           : "Immagine scritta, ma il reset non è stato confermato.";
    case Run_Outcome::Busy:
        return "";
    }
    return "";
}
