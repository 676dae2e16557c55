#include "document/FileTexts.h"

#include "document/Language.h"
#include "document/SafeFile.h"

namespace vtm {

std::string WriteFailedText(Language language)
{
    return IsGerman(language) ? "Konnte nicht schreiben!" : "Writing failed!";
}

std::string BackupFailedText(Language language, const std::string &backup)
{
    return IsGerman(language)
               ? "Die Datei wurde gespeichert, aber die Sicherungskopie " + backup
                     + " konnte nicht angelegt werden!"
               : "The file was saved, but the backup copy " + backup + " could not be made!";
}

std::string WriteFailedKeptText(Language language, const std::string &copy)
{
    return WriteFailedText(language)
           + (IsGerman(language) ? "\rDer bisherige Inhalt der Datei ist in " + copy + " erhalten."
                                 : "\rThe old contents of the file are kept in " + copy + ".");
}

OutcomeMessage WriteOutcomeMessage(Language language, const WriteOutcome &outcome)
{
    switch (outcome.result) {
    case WriteResult::Written: return {};
    case WriteResult::Failed: return {WriteFailedText(language), MessageKind::Error};
    case WriteResult::FailedOldKept:
        return {WriteFailedKeptText(language, outcome.keptCopy), MessageKind::Error};
    case WriteResult::WrittenNoBackup:
        return {BackupFailedText(language, outcome.backup), MessageKind::Warning};
    }
    return {};
}

} // namespace vtm
