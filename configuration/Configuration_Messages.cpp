#include "Configuration_Messages.h"

#include "mod_costanti.h"

namespace {

// A check's message may take two lines; in the summary each slot keeps to one.
std::string One_Line(std::string text) {
    for (std::size_t at; (at = text.find('\n')) != std::string::npos;) {
        text.replace(at, 1, ": ");
    }
    return text;
}

} // namespace

std::string English_Text(const Configuration_Error& error, const std::string& file) {
    using Kind = Configuration_Error::Kind;
    switch (error.Problem) {
    case Kind::Unreadable:
        return file + ": cannot read the file: " + English_Reason(error.File);
    case Kind::Too_Large:
        return "the configuration " + file +
               (error.Size
                    ? " is " + std::to_string(*error.Size) + " bytes"
                    : " has more than " + std::to_string(Configuration_Size_Limit) + " bytes") +
               "; at most " + std::to_string(Configuration_Size_Limit) + " are read";
    case Kind::Malformed:
        return file + ": not valid JSON at line " + std::to_string(error.Line) + ", column " +
               std::to_string(error.Column) + " (byte " + std::to_string(error.Offset) +
               "): " + error.Detail;
    case Kind::Not_A_Configuration:
        return file + ": not a configuration (\"format\" is not \"" + Configuration_Format + "\")";
    case Kind::Newer_Version:
        return file + ": written by a newer program (version " + std::to_string(error.Version) +
               "); this one reads version " + std::to_string(Configuration_Version);
    case Kind::Invalid_Content:
        return file + ": " + error.Where + " must be " + error.Detail;
    case Kind::Wrong_Layout:
        return file + ": a configuration of the " + error.Layout + " layout";
    }
    return file;
}

std::string Italian_Text(const Configuration_Error& error, const std::string& file) {
    using Kind = Configuration_Error::Kind;
    const std::string head = "Impossibile aprire la configurazione " + file + ".\r\n";
    switch (error.Problem) {
    case Kind::Unreadable:
        return head + "Il file non si può leggere: " + Italian_Reason(error.File);
    case Kind::Too_Large:
        return head +
               (error.Size
                    ? "Il file è di " + std::to_string(*error.Size) + " byte"
                    : "Il file ha più di " + std::to_string(Configuration_Size_Limit) + " byte") +
               "; se ne leggono al massimo " + std::to_string(Configuration_Size_Limit) + ".";
    case Kind::Malformed:
        return head + "Il testo non è JSON valido alla riga " + std::to_string(error.Line) +
               ", colonna " + std::to_string(error.Column) + " (byte " +
               std::to_string(error.Offset) + ").";
    case Kind::Not_A_Configuration:
        return head + "Il file non è una configurazione di questo programma.";
    case Kind::Newer_Version:
        return head + "Il file è stato scritto da una versione più recente del programma " +
               "(versione " + std::to_string(error.Version) + ").";
    case Kind::Invalid_Content:
        return head + "Valore non valido in " + error.Where + ".";
    case Kind::Wrong_Layout:
        return head + (error.Layout == "oled"
                           ? "È una configurazione per il display OLED: va aperta con Quorrin."
                           : "È una configurazione per i display grafici: va aperta con Vantrel.");
    }
    return head;
}

std::string Slot_Failures_Text(const Program_Description& program, const std::string& file,
                               const std::vector<Slot_Failure>& failures) {
    std::string text = "Configurazione " + file +
                       " aperta, ma queste immagini non sono state accettate: i riquadri mostrano "
                       "lo sfondo predefinito, e finché non se ne sceglie un'altra l'immagine non "
                       "si può scrivere nel modulo:";
    for (const Slot_Failure& failure : failures) {
        text += std::string(CR_LF) + program.Models[std::size_t(failure.Model_Index)].Code +
                ", Immagine numero " + std::to_string(failure.Slot + 1) + " (" + failure.File +
                "): " + One_Line(failure.Reason);
    }
    return text;
}
