#include "Port_Failure_Text.h"

#include "Port_Permission.h"

std::string Italian_Port_Failure_Text(Port_Failure failure, const std::string& device) {
    switch (failure) {
    case Port_Failure::In_Use:
        return "La porta è in uso da un altro programma.";
    case Port_Failure::No_Permission:
        return Italian_Permission_Text(device, Device_Group(device));
    case Port_Failure::Not_Found:
        return "La porta non esiste.";
    case Port_Failure::Settings_Refused:
        return "La porta non accetta queste impostazioni.";
    case Port_Failure::None:
    case Port_Failure::Other:
        break;
    }
    return "Errore del sistema nell'apertura della porta.";
}
