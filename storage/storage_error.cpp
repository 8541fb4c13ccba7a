#include "storage/storage_error.h"

#include <cerrno>

namespace kelmar {

std::string GermanErrorText(int errorNumber) {
    switch (errorNumber) {
    case ENOENT:
        return "Datei oder Ordner nicht gefunden";
    case ENOTDIR:
        return "Ordner nicht gefunden";
    case EACCES:
    case EPERM:
        return "Zugriff verweigert";
    case EROFS:
        return "Datenträger ist schreibgeschützt";
    case ENOSPC:
        return "Kein Speicherplatz mehr auf dem Datenträger";
    case EDQUOT:
        return "Speicherkontingent erschöpft";
    case EISDIR:
        return "Der Name bezeichnet einen Ordner";
    case ENAMETOOLONG:
        return "Dateiname zu lang";
    case EMFILE:
    case ENFILE:
        return "Zu viele offene Dateien";
    case EIO:
        return "Ein-/Ausgabefehler";
    case EBUSY:
    case ETXTBSY:
        return "Datei wird gerade benutzt";
    case ELOOP:
        return "Zu viele symbolische Verknüpfungen";
    case EEXIST:
        return "Der Name ist schon vergeben";
    case EFBIG:
        return "Datei zu groß";
    case kNotRegularFile:
        return "Keine gewöhnliche Datei";
    default:
        return "Systemfehler " + std::to_string(errorNumber);
    }
}

std::string QuotedFileName(const std::string& fileName) {
    return "\u201E" + fileName + "\u201C";
}

} // namespace kelmar
