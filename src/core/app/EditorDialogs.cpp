// Commands that first ask the user through one of the editor's dialogs. The dispatch has
// checked that each may run now.
#include "app/Editor.h"

#include "analysis/Compare.h"
#include "edit/ByteRunCommands.h"
#include "search/Goto.h"
#include "search/ReplaceCommands.h"

namespace vtm {

void Editor::CompareWith()
{
    std::string path;
    if (m_host.runFileDialog(FileDialogKind::Compare,
                             FileDialogTitle(FileDialogKind::Compare, m_s.settings.Language),
                             m_s.settings.InitialDir, std::string(), &path))
        RunJob(MenuItem::Compare, m_s.doc.BufferSize(), [&] { CompareWithFile(*this, path); });
    else
        UpdateMenus();
}

void Editor::runReplaceDialog(FindFormMode mode)
{
    int result = mrCancel;
    m_host.runFindDialog(mode, m_s.Find, &result);
    const std::int64_t size = m_s.doc.BufferSize();
    if (mode == FindFormMode::Replace)
        RunJob(MenuItem::Replace, size, [&] { ReplaceCommand(*this, *this, m_s.Find, result); });
    else
        RunJob(MenuItem::FindAndMark, size,
               [&] { FindAndMarkCommand(*this, *this, m_s.Find, result); });
}

void Editor::runGotoDialog(bool go)
{
    std::int64_t value = 0;
    const GotoFormMode mode = go ? GotoFormMode::Goto : GotoFormMode::DeleteBytes;
    const std::int64_t initial = go ? m_s.GotoValues.LastGotoOffset : m_s.ByteRuns.LastDeleteCount;
    if (!m_host.runGotoDialog(mode, initial, &value))
        return;
    if (go) {
        GotoOffset(*this, m_s.GotoValues, value);
    } else {
        DeleteBytes(*this, m_s.ByteRuns, value);
        UpdateMenus();
    }
}

void Editor::runInsertBytes(bool append)
{
    if (!m_host.runInsertBytesDialog(append, m_s.ByteRuns))
        return;
    ByteRunMemory &m = m_s.ByteRuns;
    const std::vector<std::uint8_t> pattern = m.InsertPattern;
    if (append)
        AppendBytes(*this, m, m.InsertCount, pattern);
    else
        InsertBytes(*this, m, m.InsertCount, pattern);
    UpdateMenus();
}

} // namespace vtm
