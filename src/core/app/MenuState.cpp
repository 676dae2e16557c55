#include "app/MenuState.h"

#include "document/Language.h"
#include "edit/EditTexts.h"

namespace vtm {

namespace {
// A file name in a menu caption is shown as it is, never as an access key.
std::string Literal(const std::string &name)
{
    std::string s;
    for (const char c : name) {
        s += c;
        if (c == '&')
            s += '&';
    }
    return s;
}
} // namespace

MenuState ComputeMenuState(const EditorState &s)
{
    MenuState m;
    for (std::size_t i = 0; i < m.recentCaptions.size(); ++i) {
        m.recentCaptions[i] = "&" + std::to_string(i + 1) + ": " + Literal(s.RecentFiles[i]);
        m.recentVisible[i] = !s.RecentFiles[i].empty();
        m.recentSeparator = m.recentSeparator || m.recentVisible[i];
    }
    m.undoCaption = UndoCaption(s.Language, s.History.UndoName());
    m.redoCaption = RedoCaption(s.Language, s.History.RedoName());
    m.canUndo = s.History.CanUndo();
    m.canRedo = s.History.CanRedo();
    m.hex = s.HexMode;
    m.dec = !s.HexMode;
    m.noUnknown = s.NoUnknown;
    m.keepMarks = s.KeepMarksOnLoad;
    m.createBackup = s.CreateBackUp;
    m.overwriteWarning = s.OverwriteWarning;
    m.printHatched = s.PrintMarksHatched;
    m.printColors = s.PrintMarksUsingColors;
    m.doNotPrint = s.DoNotPrintMarks;
    m.german = IsGerman(s.Language);
    m.english = !m.german;
    m.hasBuffer = s.doc.BufferSize() > 0;
    m.canFindAgain = m.hasBuffer && s.Find.SearchAccepted;
    m.canOpenClipboard = s.ClipboardHasData;
    return m;
}

} // namespace vtm
