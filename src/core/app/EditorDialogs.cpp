// Commands that first ask the user through one of the editor's dialogs. The dispatch has
// checked that each may run now.
#include "app/Editor.h"

#include "analysis/Checksums.h"
#include "analysis/Compare.h"
#include "edit/EditTexts.h"
#include "edit/ByteRunCommands.h"
#include "search/Goto.h"
#include "search/ReplaceCommands.h"

#include <algorithm>
#include <new>

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

void Editor::Checksums()
{
    const Document &doc = m_s.doc;
    ChecksumRequest request;
    request.size = doc.BufferSize();
    request.set = ChecksumSet(m_s.settings.Checksums) & AllChecksums;
    const std::int64_t cursor = m_s.view.CursorOffset();
    if (cursor >= 0 && cursor < request.size) {
        const MarkRun run = doc.MarkRuns().runAt(cursor);
        request.runStart = run.start;
        request.runEnd = std::min(run.end, request.size);
    }
    request.markedRun = request.runEnd > request.runStart;
    if (!m_host.runChecksumDialog(request) || request.set == 0)
        return;
    m_s.settings.Checksums = int(request.set & AllChecksums);
    ChecksumReport report;
    report.markedRun = request.markedRun && request.runEnd > request.runStart;
    report.from = report.markedRun ? request.runStart : 0;
    report.to = report.markedRun ? request.runEnd : request.size;
    bool noMemory = false;
    const bool done = RunJob(MenuItem::Checksums, report.to - report.from, [&] {
        try {
            report.results = ComputeChecksums(doc, report.from, report.to, request.set);
        } catch (const std::bad_alloc &) {
            noMemory = true;
        }
    });
    if (noMemory)
        ShowMessageDlg(OutOfMemoryText(m_s.settings.Language), MessageKind::Error, mbOK, 0);
    else if (done) // a stop says so in the status bar; nothing to show
        m_host.showChecksums(report);
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
