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
    case WriteResult::FailedNoSpace:
        return {WriteFailedText(language)
                    + (IsGerman(language)
                           ? "\rNicht genug freier Speicherplatz: " + std::to_string(outcome.needed)
                                 + " Bytes werden gebraucht, " + std::to_string(outcome.available)
                                 + " sind frei."
                           : "\rNot enough free disk space: " + std::to_string(outcome.needed)
                                 + " bytes are needed, " + std::to_string(outcome.available)
                                 + " are free."),
                MessageKind::Error};
    }
    return {};
}

} // namespace vtm
