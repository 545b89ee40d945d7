#include "Atomic_File.h"

std::string English_Reason(const File_Failure& failure) {
    const bool reading = failure.Use == File_Use::Read;
    switch (failure.Cause) {
    case File_Cause::None:
        break;
    case File_Cause::Missing:
        return reading ? "it does not exist" : "its folder does not exist";
    case File_Cause::Not_A_Folder:
        return "a part of the path is a file, not a folder";
    case File_Cause::Folder:
        return "it is a folder, not a regular file";
    case File_Cause::Not_Regular:
        return "it is not a regular file (a pipe, a device or a socket)";
    case File_Cause::Dangling_Link:
        return "it is a symbolic link to a file that does not exist";
    case File_Cause::Link_Loop:
        return "its symbolic links make a loop";
    case File_Cause::Name_Too_Long:
        return "the path is too long";
    case File_Cause::Disk_Full:
        return "the disk is full";
    case File_Cause::Read_Only:
        return "its folder is on a read-only file system";
    case File_Cause::No_Permission:
        return "permission denied";
    case File_Cause::Other:
        return System_Error_Text(failure.Error);
    }
    return {};
}

std::string Italian_Reason(const File_Failure& failure) {
    const bool reading = failure.Use == File_Use::Read;
    switch (failure.Cause) {
    case File_Cause::None:
        break;
    case File_Cause::Missing:
        return reading ? "il file non esiste." : "la cartella non esiste.";
    case File_Cause::Not_A_Folder:
        return "una parte del percorso è un file, non una cartella.";
    case File_Cause::Folder:
        return "è una cartella, non un file.";
    case File_Cause::Not_Regular:
        return "non è un file normale (è una pipe, un dispositivo o un socket).";
    case File_Cause::Dangling_Link:
        return "è un collegamento simbolico a un file che non esiste.";
    case File_Cause::Link_Loop:
        return "i collegamenti simbolici formano un ciclo.";
    case File_Cause::Name_Too_Long:
        return "il percorso è troppo lungo.";
    case File_Cause::Disk_Full:
        return "il disco è pieno.";
    case File_Cause::Read_Only:
        return "la cartella è su un disco di sola lettura.";
    case File_Cause::No_Permission:
        return "permesso negato.";
    case File_Cause::Other:
        return "errore di sistema (" + System_Error_Text(failure.Error) + ").";
    }
    return {};
}

std::string English_Text(const File_Failure& failure) {
    return (failure.Use == File_Use::Read ? "cannot read " : "cannot write ") + failure.Path +
           ": " + English_Reason(failure);
}

std::string Italian_Text(const File_Failure& failure) {
    return (failure.Use == File_Use::Read ? "Impossibile leggere " : "Impossibile salvare ") +
           failure.Path + ": " + Italian_Reason(failure);
}
