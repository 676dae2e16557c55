#include "app/FileCommands.h"

#include "app/Editor.h"
#include "app/Texts.h"
#include "document/SafeFile.h"
#include "edit/EditTexts.h"

#include <utility>

#include <sys/stat.h>

namespace vtm {

namespace {
bool IsSymbolicLink(const std::string &path)
{
    struct stat st;
    return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}
} // namespace

FileCommands::FileCommands(Editor &editor, EditorState &state, Host &host)
    : m_editor(editor)
    , m_s(state)
    , m_host(host)
{}

void FileCommands::readFailed(const std::string &name, const FileFailure &why)
{
    const Language language = m_s.settings.Language;
    m_editor.ShowMessageDlg(WithReason(ReadFailedText(language, name), language, why),
                            MessageKind::Error, mbOK, 0);
}

bool FileCommands::CloseQuery()
{
    if (!m_s.doc.isModified())
        return true;
    const int answer =
        m_editor.ShowMessageDlg(SaveChangesQuestion(m_s.settings.Language, m_s.OpenName),
                                MessageKind::Confirmation, mbYesNoCancel, 0);
    if (answer == mrYes)
        return m_s.SaveName.empty() ? saveWithDialog() : SaveToFile(m_s.SaveName, false);
    return answer == mrNo;
}

bool FileCommands::LoadFromFile(const std::string &given)
{
    // Relative to the directory of now, and never simplified: ".." past a link leads
    // where the system says.
    const std::string name = AbsolutePath(given);
    if (!CloseQuery())
        return false;
    bool loaded = false;
    FileFailure why;
    if (!loadAsJob(name, &loaded, &why))
        return false;
    if (!loaded) {
        readFailed(name, why);
        return false;
    }
    adoptContents(name);
    return true;
}

bool FileCommands::Reload()
{
    const std::string name = m_s.OpenName;
    bool loaded = false;
    FileFailure why;
    if (!name.empty() && !loadAsJob(name, &loaded, &why))
        return false;
    if (!loaded) {
        readFailed(name, why);
        return false;
    }
    adoptContents(name);
    return true;
}

bool FileCommands::loadAsJob(const std::string &name, bool *loaded, FileFailure *why)
{
    // A file read on demand opens at once; one read whole counts its bytes.
    m_stopped = !m_editor.RunJob(MenuItem::Open, CurrentStamp(name).size, [&] {
        *loaded = m_s.doc.loadFile(name, m_s.settings.KeepMarksOnLoad, why);
    });
    return !m_stopped;
}

void FileCommands::updateMenus()
{
    if (!std::exchange(m_stopped, false))
        m_editor.UpdateMenus();
}

void FileCommands::adoptContents(const std::string &name)
{
    m_s.SourceFailureReported = false;
    m_nameWasLink = IsSymbolicLink(name);
    SetCurrentFileName(name);
    m_editor.MoveCursorTo(0, 0, false);
    m_s.view.VertBar.SetPosition(0);
    // The old steps name offsets of the old contents.
    m_s.History.Forget();
    m_editor.RequestLayout();
    m_editor.UpdateMenus();
}

void FileCommands::OpenClipboard()
{
    const std::vector<ClipboardEntry> entries = m_host.clipboardEntries();
    if (entries.empty()) { // emptied since the menu offered the item
        m_editor.ShowMessageDlg(ClipboardGoneText(m_s.settings.Language), MessageKind::Error, mbOK,
                                0);
        return;
    }
    std::vector<std::string> lines;
    for (const ClipboardEntry &e : entries) {
        const std::uint32_t n = m_s.Clipboard.NumberOf(e.mime);
        lines.push_back(ClipboardLine(n, e.size, ClipboardRegistry::RegisteredName(n, e.mime)));
    }
    int index = -1;
    if (!m_host.runClipboardChooser(lines, &index) || index < 0 || index >= int(lines.size()))
        return;
    if (!CloseQuery())
        return;

    // The clipboard may have changed while the chooser was open: the format must still be
    // the one chosen, by place, number and name.
    const std::int64_t chosen = ClipboardLineNumber(lines[std::size_t(index)]);
    const std::string mime = entries[std::size_t(index)].mime;
    const std::vector<ClipboardEntry> now = m_host.clipboardEntries();
    bool available = std::size_t(index) < now.size() && now[std::size_t(index)].mime == mime
                     && std::int64_t(m_s.Clipboard.NumberOf(mime)) == chosen;
    bool loaded = false, stopped = false;
    if (available)
        m_editor.RunJob(MenuItem::LoadFromClipboard, entries[std::size_t(index)].size, [&] {
            available =
                m_host.withClipboardData(mime, [&](const std::uint8_t *bytes, std::int64_t n) {
                    // Not through the window system's code: the stop is carried out here.
                    try {
                        loaded = m_s.doc.loadBytes(bytes, n, m_s.settings.KeepMarksOnLoad);
                    } catch (const JobStopped &) {
                        stopped = true;
                    }
                });
        });
    if (stopped) // the user's choice: the document as it was, no message
        return;
    if (!available) {
        m_editor.ShowMessageDlg(ClipboardGoneText(m_s.settings.Language), MessageKind::Error, mbOK,
                                0);
        return;
    }
    if (!loaded) { // the document is as it was
        m_editor.ShowMessageDlg(OutOfMemoryText(m_s.settings.Language), MessageKind::Error, mbOK,
                                0);
        return;
    }
    adoptContents(std::string());
}

bool FileCommands::SaveToFile(const std::string &name, bool force)
{
    m_stopped = false;
    // Bytes of a file read on demand that has changed cannot be saved, under any name.
    if (!m_s.doc.CheckSource()) {
        m_editor.SourceFailed();
        return false;
    }
    m_s.SaveName = name;
    // The device itself: its own question instead of the overwrite question.
    if (m_s.doc.IsDevice()) {
        const std::string target = AbsolutePath(name);
        const FileStamp now = CurrentStamp(target);
        if (now.isDevice && now.device == m_s.doc.sourceStamp().device)
            return saveToDevice(target);
    }
    for (;;) {
        if (!RegularFileExists(m_s.SaveName) || !(m_s.settings.OverwriteWarning || force))
            break;
        const int answer =
            m_editor.ShowMessageDlgDefault(OverwriteQuestion(m_s.settings.Language, m_s.SaveName),
                                           MessageKind::Confirmation, mbYesNoCancel, 0, mbNo);
        if (answer == mrYes)
            break;
        std::string chosen;
        if (answer != mrNo
            || !m_host.runFileDialog(FileDialogKind::Save,
                                     FileDialogTitle(FileDialogKind::Save, m_s.settings.Language),
                                     m_s.settings.InitialDir, m_s.SaveName, &chosen)) {
            SetCurrentFileName(m_s.OpenName);
            return false;
        }
        m_s.SaveName = chosen;
    }

    const std::string target = AbsolutePath(m_s.SaveName);
    bool asked = false;
    if (!nameStillLeadsToTheFile(target, &asked)) {
        SetCurrentFileName(m_s.OpenName);
        return false;
    }
    // Asked about the link already: that is this change, not a second question.
    const bool changed = asked || changedByOthers(target);
    if (changed && !asked
        && m_editor.ShowMessageDlgDefault(ChangedOnDiskQuestion(m_s.settings.Language, target),
                                          MessageKind::Warning, mbYes | mbNo, 0, mbNo)
               != mrYes) {
        SetCurrentFileName(m_s.OpenName);
        return false;
    }
    // Writing in place over the very file the document reads on demand: it reads the copy
    // of the old bytes from then on.
    WriteOutcome outcome;
    m_stopped =
        !m_editor.RunJob(force ? MenuItem::SaveAs : MenuItem::Save, m_s.doc.BufferSize(), [&] {
            outcome = WriteFileSafely(
                target, [&](int fd) { return m_s.doc.WriteTo(fd); }, m_s.doc.BufferSize(),
                m_s.settings.CreateBackUp,
                [&](const std::string &copy, std::uint64_t device, std::uint64_t inode) {
                    return m_s.doc.MoveSourceBeforeOverwrite(copy, device, inode);
                },
                m_s.doc.SpaceToWrite(), [&](bool done) { m_s.doc.SourceOwnStep(done); });
        });
    // A failed write in place puts the old bytes and times back, which moves the change time:
    // the file is still the one the editor saw, if it was before.
    if (outcome.result != WriteResult::Written && outcome.result != WriteResult::WrittenNoBackup
        && outcome.stamp.known && !changed && target == m_s.OpenName && m_s.doc.sourceStamp().known)
        m_s.doc.setSourceStamp(outcome.stamp);
    if (outcome.stopped) { // the user's choice: the file as it was, no message
        SetCurrentFileName(m_s.OpenName);
        return false;
    }
    const OutcomeMessage message = WriteOutcomeMessage(m_s.settings.Language, outcome);
    if (outcome.result != WriteResult::Written && outcome.result != WriteResult::WrittenNoBackup) {
        SetCurrentFileName(m_s.OpenName);
        // The file under the document failed the save: one dialog says both (and where the
        // old bytes are kept, if they were) and offers the reload.
        if (m_s.doc.SourceFailed())
            m_editor.SourceFailed(outcome.result == WriteResult::FailedOldKept
                                      ? message.text
                                      : WriteFailedText(m_s.settings.Language));
        else
            m_editor.ShowMessageDlg(message.text, message.kind, mbOK, 0);
        return false;
    }
    m_s.doc.setChangeCount(0);
    m_s.doc.markSaved();
    m_s.doc.setSourceStamp(outcome.stamp);
    // An image of a device is a file: its size may change.
    m_s.doc.leaveDevice();
    m_nameWasLink = IsSymbolicLink(target);
    SetCurrentFileName(target);
    if (!message.text.empty())
        m_editor.ShowMessageDlg(message.text, message.kind, mbOK, 0);
    m_editor.UpdateMenus();
    return true;
}

bool FileCommands::nameStillLeadsToTheFile(const std::string &target, bool *asked)
{
    *asked = false;
    if (target != m_s.OpenName || !IsSymbolicLink(target)) // both absolute
        return true;
    // A link that was there when the file was read, and still leads to that file, is the
    // user's own: writing through it is what Save does.
    const FileStamp &seen = m_s.doc.sourceStamp();
    const FileStamp now = CurrentStamp(target);
    if (m_nameWasLink && seen.known && now.known && now.device == seen.device
        && now.inode == seen.inode)
        return true;
    *asked = true;
    return m_editor.ShowMessageDlgDefault(
               NowALinkQuestion(m_s.settings.Language, target, ResolveLinks(target)),
               MessageKind::Warning, mbYes | mbNo, 0, mbNo)
           == mrYes;
}

bool FileCommands::changedByOthers(const std::string &target) const
{
    // Only the document's own file: it is the one whose state the editor knows.
    const FileStamp &seen = m_s.doc.sourceStamp();
    if (!seen.known || target != m_s.OpenName) // both absolute
        return false;
    const FileStamp now = CurrentStamp(target);
    return now.known && now != seen;
}

void FileCommands::SetCurrentFileName(const std::string &name)
{
    m_s.OpenName = m_s.SaveName = name;
    if (name.empty()) {
        m_host.setCaption(AppTitle());
        return;
    }
    m_s.settings.InitialDir = DirectoryOf(name);
    UpdateCaption();
    auto &files = m_s.settings.File;
    for (const std::string &f : files)
        if (f == name)
            return;
    for (std::size_t i = files.size() - 1; i > 0; --i)
        files[i] = files[i - 1];
    files[0] = name;
}

bool FileCommands::saveWithDialog()
{
    std::string chosen;
    if (!m_host.runFileDialog(FileDialogKind::Save,
                              FileDialogTitle(FileDialogKind::Save, m_s.settings.Language),
                              m_s.settings.InitialDir, m_s.SaveName, &chosen)) {
        m_s.SaveName = m_s.OpenName;
        return false;
    }
    return SaveToFile(chosen, true);
}

void FileCommands::New()
{
    if (!CloseQuery())
        return;
    m_s.doc.clear();
    m_editor.MoveCursorTo(0, 0, true);
    m_s.view.VertBar.SetPosition(0);
    m_s.History.Forget();
    m_editor.RequestLayout();
    SetCurrentFileName(std::string());
    m_editor.UpdateMenus();
}

void FileCommands::Open()
{
    const std::string remembered = m_s.OpenName;
    std::string chosen;
    if (m_host.runFileDialog(FileDialogKind::Open,
                             FileDialogTitle(FileDialogKind::Open, m_s.settings.Language),
                             m_s.settings.InitialDir, std::string(), &chosen))
        LoadFromFile(chosen);
    else
        SetCurrentFileName(remembered);
    updateMenus();
}

void FileCommands::Save()
{
    if (!m_s.SaveName.empty())
        SaveToFile(m_s.SaveName, false);
    else
        SaveAs();
    updateMenus();
}

void FileCommands::SaveAs()
{
    std::string chosen;
    if (m_host.runFileDialog(FileDialogKind::Save,
                             FileDialogTitle(FileDialogKind::Save, m_s.settings.Language),
                             m_s.settings.InitialDir, m_s.SaveName, &chosen))
        SaveToFile(chosen, true);
    else
        m_s.SaveName = m_s.OpenName;
    updateMenus();
}

void FileCommands::OpenRecent(int index)
{
    if (index < 0 || index >= int(m_s.settings.File.size()))
        return;
    const std::string name = m_s.settings.File[std::size_t(index)];
    if (!name.empty())
        LoadFromFile(name);
    updateMenus();
}

void FileCommands::ToggleCreateBackup()
{
    m_s.settings.CreateBackUp = !m_s.settings.CreateBackUp;
    m_editor.UpdateMenus();
}

void FileCommands::ToggleKeepMarks()
{
    m_s.settings.KeepMarksOnLoad = !m_s.settings.KeepMarksOnLoad;
    m_editor.UpdateMenus();
}

void FileCommands::OverwriteWarnClick()
{
    if (!m_s.settings.OverwriteWarning)
        m_s.settings.OverwriteWarning = true;
    else if (m_editor.ShowMessageDlgDefault(OverwriteWarningOffQuestion(m_s.settings.Language),
                                            MessageKind::Confirmation, mbYesNoCancel, 0, mbNo)
             == mrYes)
        m_s.settings.OverwriteWarning = false;
    m_editor.UpdateMenus();
}

} // namespace vtm
