#include "Run_Status.h"

#include "mod_RS232_COD.h"

#include <cmath>

namespace {

// "4,6": tenths with the Italian decimal comma.
std::string Tenths(double seconds) {
    const long tenths = std::lround(seconds * 10);
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
}

// Blocks are counted from 1 wherever the user reads their number.
std::string Block_Number(std::size_t index) {
    return std::to_string(index + 1);
}

// The block a write ended at: the one after the last acknowledged.
std::string At_Block(const Run_Report& r) {
    return "al blocco " + Block_Number(std::size_t(r.Blocks_Written)) + " di " +
           std::to_string(r.Total_Blocks);
}

} // namespace

std::string Run_Status_Text(const Run_Report& r) {
    // Units look alike: the line says which device the run wrote to.
    const std::string on = " su " + r.Device;
    switch (r.Outcome) {
    case Run_Outcome::Written:
        return "Modulo programmato" + on + ": " + std::to_string(r.Blocks_Written) +
               " blocchi in " + Tenths(r.Seconds) + " s, " + std::to_string(r.Retries) +
               " ritrasmissioni.";
    case Run_Outcome::Compile_Failed:
        return "Compilazione non riuscita: nulla è stato inviato.";
    case Run_Outcome::Module_Not_Found:
        return r.Port_Lost ? "Porta seriale " + r.Device + " persa: modulo non raggiunto."
                           : "Modulo non trovato" + on + ": nulla è stato scritto.";
    case Run_Outcome::Write_Failed:
        return r.Port_Lost ? "Porta seriale " + r.Device + " persa " + At_Block(r) +
                                 ": scrittura interrotta."
                           : "Scrittura" + on + " fallita " + At_Block(r) + ".";
    case Run_Outcome::Stopped:
        return r.Blocks_Written >= r.Total_Blocks
                   ? "Immagine scritta" + on + ", reset interrotto."
                   : "Scrittura" + on + " fermata " + At_Block(r) + ".";
    case Run_Outcome::Reset_Not_Acknowledged:
        return r.Port_Lost
                   ? "Porta seriale " + r.Device + " persa durante il reset: immagine scritta."
                   : "Immagine scritta" + on + ", ma il reset non è stato confermato.";
    case Run_Outcome::Busy:
        return "";
    }
    return "";
}

std::string Attempt_Status_Text(const Link_Attempt& a) {
    std::string request;
    switch (a.Step) {
    case Link_Step::Find_Module:
        request = "Ricerca del modulo";
        break;
    case Link_Step::Write_Block:
        request = "Blocco " + Block_Number(a.Block);
        break;
    case Link_Step::Reset_PIC:
        request = "Reset del modulo";
        break;
    }
    if (a.Number > 1) {
        return request + ": nuovo tentativo " + std::to_string(a.Number) + " di " +
               std::to_string(Max_Attempts);
    }
    return a.Step == Link_Step::Write_Block ? request + " di " + std::to_string(a.Blocks)
                                            : request + "…";
}
