#include "app/DeviceList.h"
#include "app/Editor.h"
#include "app/FileCommands.h"
#include "app/JobTexts.h"
#include "app/Texts.h"
#include "document/FileTexts.h"
#include "edit/EditTexts.h"

#include <cerrno>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace vtm {

namespace {

std::string CaptionTag(Language language, bool writable)
{
    if (IsGerman(language))
        return writable ? " (Gerät, beschreibbar)" : " (Gerät, schreibgeschützt)";
    return writable ? " (device, writable)" : " (device, read-only)";
}

std::string AllowWritingQuestion(Language language, const std::string &name, std::int64_t size,
                                 const std::vector<std::string> &mounts)
{
    const bool de = IsGerman(language);
    std::string where;
    for (const std::string &m : mounts)
        where += (where.empty() ? "" : ", ") + m;
    std::string text =
        de ? "Schreiben auf das Gerät " + name + " (" + DeviceSizeText(size, language)
                 + ") erlauben?\r\rSpeichern schreibt die geänderten Bytes dann direkt auf das "
                   "Gerät, ohne temporäre Datei und ohne Sicherungskopie."
           : "Allow writing to the device " + name + " (" + DeviceSizeText(size, language)
                 + ")?\r\rSaving then writes the changed bytes straight into the device, without "
                   "a temporary file and without a backup copy.";
    if (mounts.empty())
        return text
               + (de ? "\r\rDas Gerät ist nicht eingehängt." : "\r\rThe device is not mounted.");
    return text
           + (de ? "\r\rWARNUNG: Das Gerät ist eingehängt in " + where
                       + ". Sein Dateisystem ist in Gebrauch: Schreiben am System vorbei kann das "
                         "Dateisystem und seine Dateien zerstören. Hängen Sie es zuerst aus, "
                         "wenn Sie nicht genau wissen, was Sie tun."
                 : "\r\rWARNING: The device is mounted on " + where
                       + ". Its file system is in use: writing behind the system's back can "
                         "destroy the file system and its files. Unmount it first unless you "
                         "know exactly what you are doing.");
}

std::string DeviceSaveQuestion(Language language, const std::string &name, std::int64_t ranges,
                               std::int64_t bytes, bool keeps)
{
    const std::string n = GroupedNumber(bytes, language);
    const std::string k = GroupedNumber(ranges, language);
    const std::string undo =
        keeps ? std::string()
        : IsGerman(language)
            ? "\rDanach kann nichts davor rückgängig gemacht werden: So viele überschriebene "
              "Bytes passen nicht in den Arbeitsspeicher."
            : "\rNothing before it can be undone afterwards: so many overwritten bytes do not "
              "fit in memory.";
    return (IsGerman(language)
                ? "Die Änderungen direkt auf das Gerät " + name + " schreiben?\r\r" + n
                      + " Bytes in " + k
                      + " Bereichen werden sofort überschrieben. Es gibt keine temporäre Datei "
                        "und keine Sicherungskopie."
                : "Write the changes straight into the device " + name + "?\r\r" + n + " bytes in "
                      + k
                      + " ranges are overwritten at once. There is no temporary file and no "
                        "backup copy.")
           + undo;
}

// What a write into a device that stopped part-way leaves behind.
std::string WrittenBeforeText(Language language, const Document::InPlaceOutcome &out)
{
    const std::string w = GroupedNumber(out.rangesWritten, language);
    const std::string k = GroupedNumber(out.rangesTotal, language);
    const std::string b = GroupedNumber(out.bytesWritten, language);
    return IsGerman(language)
               ? "\rVon den " + k + " geänderten Bereichen wurden " + w
                     + " davor vollständig "
                       "geschrieben ("
                     + b
                     + " Bytes insgesamt). Das Dokument behält seine "
                       "Änderungen: Speichern Sie erneut oder machen Sie sie rückgängig."
               : "\rOf the " + k + " changed ranges, " + w + " were written completely before it ("
                     + b
                     + " bytes in all). The document keeps its changes: save again, or undo "
                       "them.";
}

} // namespace

void FileCommands::UpdateCaption()
{
    const std::string &name = m_s.OpenName;
    if (name.empty()) {
        m_host.setCaption(AppTitle());
        return;
    }
    std::string caption = MainCaption(name);
    if (m_s.doc.IsDevice())
        caption += CaptionTag(m_s.settings.Language, m_s.doc.WritingAllowed());
    m_host.setCaption(caption);
}

void FileCommands::OpenDevice()
{
    std::vector<BlockDeviceEntry> entries;
    try {
        entries = ListBlockDevices();
    } catch (const std::bad_alloc &) {
        m_editor.ShowMessageDlg(OutOfMemoryText(m_s.settings.Language), MessageKind::Error, mbOK,
                                0);
        return;
    }
    int index = -1;
    if (m_host.runDeviceChooser(entries, &index) && index >= 0 && index < int(entries.size()))
        LoadFromFile(entries[std::size_t(index)].path);
    updateMenus();
}

void FileCommands::ToggleDeviceWriting()
{
    Document &doc = m_s.doc;
    if (!doc.IsDevice())
        return;
    if (doc.WritingAllowed()) {
        doc.allowWriting(false);
    } else {
        const std::uint64_t dev = doc.sourceStamp().device;
        std::vector<std::string> mounts;
        try {
            mounts = MountPointsOf(std::uint32_t(major(dev)), std::uint32_t(minor(dev)));
        } catch (const std::bad_alloc &) {
            mounts.push_back("?");
        }
        const int answer = m_editor.ShowMessageDlgDefault(
            AllowWritingQuestion(m_s.settings.Language, m_s.OpenName, doc.BufferSize(), mounts),
            mounts.empty() ? MessageKind::Confirmation : MessageKind::Warning, mbYes | mbNo, 0,
            mbNo);
        if (answer == mrYes)
            doc.allowWriting(true);
    }
    UpdateCaption();
    m_editor.UpdateMenus();
}

bool FileCommands::saveToDevice(const std::string &target)
{
    const Language language = m_s.settings.Language;
    Document &doc = m_s.doc;
    const auto refuse = [&](const std::string &text, MessageKind kind) {
        SetCurrentFileName(m_s.OpenName);
        m_editor.ShowMessageDlg(text, kind, mbOK, 0);
        return false;
    };
    if (doc.ReadOnly())
        return refuse(DeviceReadOnlyText(language), MessageKind::Information);
    std::vector<Document::ByteRange> ranges;
    try {
        ranges = doc.ChangedRanges();
    } catch (const std::bad_alloc &) {
        return refuse(OutOfMemoryText(language), MessageKind::Error);
    }
    std::int64_t bytes = 0;
    for (const Document::ByteRange &r : ranges)
        bytes += r.end - r.begin;
    if (m_editor.ShowMessageDlgDefault(DeviceSaveQuestion(language, target,
                                                          std::int64_t(ranges.size()), bytes,
                                                          doc.KeepsOldBytesFor(bytes)),
                                       MessageKind::Warning, mbYes | mbNo, 0, mbNo)
        != mrYes) {
        SetCurrentFileName(m_s.OpenName);
        return false;
    }
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        FileFailure why = FileFailure::System(FileStep::Opening, errno);
        struct stat st;
        if (::stat(target.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
            why.fileType = S_IFBLK;
            why.owner = std::int64_t(st.st_gid);
        }
        return refuse(WithReason(WriteFailedText(language), language, why), MessageKind::Error);
    }
    // The name may lead elsewhere by now: only the device that was read is written.
    FileStamp now;
    const FileStamp &seen = doc.sourceStamp();
    if (!StampOfOpen(fd, &now) || !now.isDevice || now.device != seen.device
        || now.size != seen.size || !doc.CheckSource()) {
        ::close(fd);
        return refuse(WithReason(WriteFailedText(language), language,
                                 FileFailure::Of(FileStep::None, FileProblem::Changed)),
                      MessageKind::Error);
    }
    Document::InPlaceOutcome out;
    m_editor.RunJob(MenuItem::Save, bytes, [&] { out = doc.WriteChangedInPlace(fd); });
    // Undo steps would read bytes that are gone from the device now.
    if (out.undoLost) {
        m_s.History.Forget();
        m_editor.UpdateMenus();
    }
    if (::close(fd) != 0 && out.written) {
        out.written = false;
        out.failure = FileFailure::System(FileStep::Closing, errno);
    }
    if (!out.written) {
        const std::string first =
            out.stopped
                ? (IsGerman(language) ? "Das Schreiben auf das Gerät wurde an Offset "
                                            + OffsetText(out.failure.offset) + " angehalten."
                                      : "Writing to the device was stopped at offset "
                                            + OffsetText(out.failure.offset) + ".")
                : WithReason(WriteFailedText(language), language, out.failure);
        if (doc.SourceFailed())
            m_editor.SourceFailed(first);
        else
            refuse(first + WrittenBeforeText(language, out), MessageKind::Error);
        SetCurrentFileName(m_s.OpenName);
        return false;
    }
    doc.setChangeCount(0);
    doc.markSaved();
    SetCurrentFileName(target);
    m_editor.UpdateMenus();
    return true;
}

} // namespace vtm
