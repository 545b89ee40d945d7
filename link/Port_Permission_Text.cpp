#include "Port_Permission.h"

std::string Italian_Permission_Text(const std::string& device, const std::string& group) {
    const std::string how =
        group.empty() ? "Chiedere all'amministratore il permesso di usarlo"
                      : "Il dispositivo appartiene al gruppo " + group +
                            ": aggiungere l'utente al gruppo (sudo adduser $USER " + group + ")";
    return "Permesso negato su " + device + ": l'utente non può usare questo dispositivo.\r\n" +
           how + ", poi uscire e rientrare nella sessione perché valga.";
}

std::string English_Permission_Text(const std::string& device, const std::string& group) {
    const std::string how = group.empty()
                                ? "ask the administrator for permission to use it"
                                : "it belongs to the group '" + group +
                                      "': add the user to it (sudo adduser $USER " + group + ")";
    return "permission denied on " + device + ": the user may not use this device; " + how +
           ", then log out and in again for it to take effect";
}
