#include "document/FileTexts.h"

#include "document/Language.h"

namespace vtm {

std::string WriteFailedText(int language)
{
    return IsGerman(language) ? "Konnte nicht schreiben!" : "Writing failed!";
}

std::string BackupFailedText(int language, const std::string &backup)
{
    return IsGerman(language)
               ? "Die Datei wurde gespeichert, aber die Sicherungskopie " + backup
                     + " konnte nicht angelegt werden!"
               : "The file was saved, but the backup copy " + backup + " could not be made!";
}

} // namespace vtm
