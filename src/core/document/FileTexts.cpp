#include "document/FileTexts.h"

#include "document/Language.h"
#include "document/Format.h"
#include "document/SafeFile.h"

#include <cctype>
#include <cerrno>
#include <cstring>

#include <algorithm>
#include <vector>

#include <grp.h>
#include <sys/stat.h>

namespace vtm {

namespace {

std::string StepText(bool de, const FileFailure &f)
{
    switch (f.step) {
    case FileStep::None: break;
    case FileStep::Opening: return de ? "Beim Öffnen" : "While opening";
    case FileStep::LookingUp: return de ? "Beim Prüfen der Datei" : "While looking up the file";
    case FileStep::Reading:
        if (f.offset < 0)
            return de ? "Beim Lesen" : "While reading";
        return (de ? "Beim Lesen an Offset " : "While reading at offset ") + OffsetText(f.offset);
    case FileStep::CreatingTemp:
        return de ? "Beim Anlegen der temporären Datei" : "While creating the temporary file";
    case FileStep::Writing: return de ? "Beim Schreiben" : "While writing";
    case FileStep::WritingInPlace:
        return de ? "Beim Schreiben in die bestehende Datei"
                  : "While writing into the file in place";
    case FileStep::CopyingAside:
        return de ? "Beim Beiseitelegen des bisherigen Inhalts"
                  : "While copying the old contents aside";
    case FileStep::Syncing:
        return de ? "Beim Sichern auf den Datenträger" : "While syncing to the disk";
    case FileStep::Closing: return de ? "Beim Schließen" : "While closing";
    case FileStep::MakingBackup:
        return de ? "Beim Anlegen der Sicherungskopie" : "While making the backup";
    case FileStep::Renaming:
        return de ? "Beim Umbenennen auf den Dateinamen" : "While renaming into place";
    case FileStep::SyncingFolder:
        return de ? "Beim Sichern des Ordners auf den Datenträger"
                  : "While syncing the folder to the disk";
    case FileStep::WritingToDevice:
        return (de ? "Beim Schreiben auf das Gerät an Offset "
                   : "While writing to the device at offset ")
               + OffsetText(f.offset);
    }
    return std::string();
}

std::string TypeText(bool de, std::uint32_t type)
{
    switch (type & S_IFMT) {
    case S_IFDIR: return de ? "es ist ein Ordner" : "it is a folder";
    case S_IFIFO:
        return de ? "es ist keine gewöhnliche Datei, sondern eine FIFO (benannte Pipe)"
                  : "it is not a regular file but a FIFO (named pipe)";
    case S_IFCHR:
        return de ? "es ist keine gewöhnliche Datei, sondern ein zeichenorientiertes Gerät"
                  : "it is not a regular file but a character device";
    case S_IFBLK:
        return de ? "es ist keine gewöhnliche Datei, sondern ein blockorientiertes Gerät"
                  : "it is not a regular file but a block device";
    case S_IFSOCK:
        return de ? "es ist keine gewöhnliche Datei, sondern ein Socket"
                  : "it is not a regular file but a socket";
    default: break;
    }
    return de ? "es ist keine gewöhnliche Datei" : "it is not a regular file";
}

std::string SystemText(bool de, int error)
{
    switch (error) {
    case ENOSPC: return de ? "kein Platz mehr auf dem Datenträger" : "no space left on the disk";
    case EDQUOT: return de ? "das Speicherkontingent ist erschöpft" : "the disk quota is used up";
    case EROFS: return de ? "das Dateisystem ist schreibgeschützt" : "the file system is read-only";
    case EACCES:
    case EPERM: return de ? "Zugriff verweigert" : "permission denied";
    case ENOENT: return de ? "Datei oder Ordner existiert nicht" : "no such file or folder";
    case ENOTDIR:
        return de ? "ein Teil des Pfades ist kein Ordner" : "a part of the path is not a folder";
    case EISDIR: return de ? "es ist ein Ordner" : "it is a folder";
    case ELOOP:
        return de ? "zu viele Verweise hintereinander (eine Verweisschleife?)"
                  : "too many symbolic links in a row (a link loop?)";
    case EMLINK: return de ? "die Datei hat zu viele Verknüpfungen" : "the file has too many links";
    case ENAMETOOLONG: return de ? "der Name ist zu lang" : "the name is too long";
    case EFBIG:
        return de ? "die Datei wäre zu groß für das Dateisystem"
                  : "the file would be too large for the file system";
    case EIO:
        return de ? "Ein-/Ausgabefehler (der Datenträger ist vielleicht defekt oder entfernt)"
                  : "input/output error (the disk may be failing or gone)";
    case ENOMEM: return de ? "nicht genug Arbeitsspeicher" : "not enough memory";
    case EMFILE:
    case ENFILE: return de ? "zu viele offene Dateien" : "too many open files";
    case ETXTBSY:
        return de ? "die Datei ist ein laufendes Programm" : "the file is a running program";
    case EBUSY: return de ? "die Datei ist belegt" : "the file is busy";
    default: break;
    }
    // The system's own words; they come in the system's language.
    const char *text = std::strerror(error);
    return text ? std::string(text) : "error " + std::to_string(error);
}

// How a user gets the right to read a device: usually through the group that owns it.
std::string DeviceRightsText(bool de, std::int64_t gid)
{
    std::string group;
    if (gid >= 0) {
        std::vector<char> buffer(16384);
        struct group g, *found = nullptr;
        if (::getgrgid_r(gid_t(gid), &g, buffer.data(), buffer.size(), &found) == 0 && found
            && found->gr_name)
            group = found->gr_name;
        else
            group = std::to_string(gid);
    }
    if (group.empty())
        return de ? ". Starten Sie das Programm mit dem Recht, das Gerät zu lesen"
                  : ". Run the program with the rights to read the device";
    return de ? ". Starten Sie das Programm mit dem Recht, das Gerät zu lesen, zum Beispiel als "
                "Mitglied der Gruppe \""
                    + group + "\", der es gehört"
              : ". Run the program with the rights to read the device, for example as a member "
                "of the group \""
                    + group + "\" that owns it";
}

std::string ProblemText(bool de, const FileFailure &f)
{
    switch (f.problem) {
    case FileProblem::System:
        if ((f.error == EACCES || f.error == EPERM) && (f.fileType & S_IFMT) == S_IFBLK)
            return SystemText(de, f.error) + DeviceRightsText(de, f.owner);
        return SystemText(de, f.error);
    case FileProblem::NotRegular: return TypeText(de, f.fileType);
    case FileProblem::DanglingLink:
        return de ? "es ist ein Verweis auf eine Datei, die nicht existiert"
                  : "it is a symbolic link to a file that does not exist";
    case FileProblem::TooLarge:
        return de ? "die Datei ist größer als die " + std::to_string(f.limit)
                        + " Bytes, die der Editor aufnehmen kann"
                  : "the file is larger than the " + std::to_string(f.limit)
                        + " bytes the editor can take";
    case FileProblem::Changed:
        return de ? "die Datei wurde inzwischen von einem anderen Programm geändert"
                  : "the file was changed by another program meanwhile";
    case FileProblem::NoMemory: return SystemText(de, ENOMEM);
    case FileProblem::UnknownSize:
        return de ? "es ist ein blockorientiertes Gerät, dessen Größe das System nicht angibt"
                  : "it is a block device whose size the system does not tell";
    }
    return std::string();
}

} // namespace

std::string OffsetText(std::int64_t offset)
{
    return std::to_string(offset) + " ("
           + ZeroPadded(std::uint64_t(std::max<std::int64_t>(offset, 0)), 1, true) + "h)";
}

std::string FailureReason(Language language, const FileFailure &failure)
{
    if (!failure.known())
        return std::string();
    const bool de = IsGerman(language);
    const std::string step = StepText(de, failure);
    std::string reason = ProblemText(de, failure);
    if (step.empty() && !reason.empty())
        reason[0] = char(std::toupper(static_cast<unsigned char>(reason[0])));
    return (step.empty() ? reason : step + ": " + reason) + ".";
}

std::string WithReason(const std::string &text, Language language, const FileFailure &failure)
{
    const std::string reason = FailureReason(language, failure);
    return reason.empty() ? text : text + "\r" + reason;
}

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

std::string WriteFailedKeptText(Language language, const std::string &copy,
                                const FileFailure &failure)
{
    return WithReason(WriteFailedText(language), language, failure)
           + (IsGerman(language) ? "\rDer bisherige Inhalt der Datei ist in " + copy + " erhalten."
                                 : "\rThe old contents of the file are kept in " + copy + ".");
}

OutcomeMessage WriteOutcomeMessage(Language language, const WriteOutcome &outcome)
{
    switch (outcome.result) {
    case WriteResult::Written: return {};
    case WriteResult::Failed:
        return {WithReason(WriteFailedText(language), language, outcome.failure),
                MessageKind::Error};
    case WriteResult::FailedOldKept:
        return {WriteFailedKeptText(language, outcome.keptCopy, outcome.failure),
                MessageKind::Error};
    case WriteResult::WrittenNoBackup:
        return {WithReason(BackupFailedText(language, outcome.backup), language, outcome.failure),
                MessageKind::Warning};
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
