#pragma once

#include "document/FileFailure.h"

#include <string>

namespace vtm {

class Editor;
struct EditorState;
class Host;

// Opening, saving, the save-changes question and the recent-files list.
class FileCommands
{
public:
    FileCommands(Editor &editor, EditorState &state, Host &host);

    // True when unsaved changes may be dropped: none, or the user saved or let them go.
    bool CloseQuery();
    // Replaces the document by the file's bytes, after the close query.
    bool LoadFromFile(const std::string &name);
    // Loads the document's file anew, dropping the contents without asking (they can no
    // longer be saved); reports a failure.
    bool Reload();
    bool SaveToFile(const std::string &name, bool force);
    void SetCurrentFileName(const std::string &name);

    void New();
    void Open();
    void Save();
    void SaveAs();
    void OpenRecent(int index);
    // Replaces the document by the data of a clipboard format the user picks.
    void OpenClipboard();
    void ToggleCreateBackup();
    void ToggleKeepMarks();
    void OverwriteWarnClick();
    // Opens a disk or partition chosen from the machine's list.
    void OpenDevice();
    // Allows writing to the device open as the document, after a question; or forbids it.
    void ToggleDeviceWriting();
    // The caption for the current name (a device says so, and whether it may be written).
    void UpdateCaption();

private:
    // Runs the save dialog; confirmed: the chosen name is saved (force).
    bool saveWithDialog();
    void readFailed(const std::string &name, const FileFailure &why);
    // Loads the file as a long command: false when the user stopped it, the document as it
    // was; otherwise *loaded tells whether it was read.
    bool loadAsJob(const std::string &name, bool *loaded, FileFailure *why);
    // The menus at the end of a command; after a stopped job they are fresh already, and
    // the status bar keeps saying it was stopped.
    void updateMenus();
    // After new contents were loaded: the name, the cursor at the start, no history.
    void adoptContents(const std::string &name);
    // The document's file was changed by another program since it was read or written.
    bool changedByOthers(const std::string &target) const;
    // Saving under the document's own name, which has become a link since it was read or
    // written (or leads elsewhere now): asks first, naming the file that would be written.
    // False when the user said No.
    bool nameStillLeadsToTheFile(const std::string &target, bool *asked);
    // Saving a device onto itself: the changed ranges in place, after a question.
    bool saveToDevice(const std::string &target);

    Editor &m_editor;
    EditorState &m_s;
    Host &m_host;
    bool m_stopped = false; // the last save or load was stopped by the user
    // The document's name was a symbolic link when it was last read or written.
    bool m_nameWasLink = false;
};

} // namespace vtm
