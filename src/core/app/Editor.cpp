#include "app/Editor.h"

#include "analysis/Compare.h"
#include "app/Help.h"
#include "app/MenuState.h"
#include "app/Texts.h"
#include "document/StatusTexts.h"
#include "edit/ByteCommands.h"
#include "marks/MarkCommands.h"
#include "marks/MarksFileCommands.h"
#include "search/ByteNavigation.h"
#include "edit/TEditAction.h"
#include "edit/Typing.h"

#include <algorithm>

namespace vtm {

Editor::Editor(EditorState &state, Host &host)
    : m_s(state)
    , m_host(host)
{
    m_s.view.VertBar.Owner = &host;
    m_s.view.HorzBar.Owner = &host;
    m_s.view.VertBar.OnChange = [this] { ScrollNotify(); };
    m_s.History.setContext(this);
}

Editor::~Editor()
{
    m_s.History.setContext(nullptr);
}

int Editor::NextCommandNumber()
{
    // Wraps deliberately after 2^32 commands rather than overflowing.
    m_s.CommandNumber = int(std::uint32_t(m_s.CommandNumber) + 1u);
    return m_s.CommandNumber;
}

void Editor::UpdateView()
{
    m_host.updateNow();
}

void Editor::InvalidateView()
{
    m_host.invalidateViewAll();
}

void Editor::UpdateMainWindow()
{
    m_host.updateNow();
}

void Editor::Beep()
{
    m_host.beep();
}

void Editor::ShowProgress(const std::string &text)
{
    m_host.setStatusText(2, text);
    m_host.updateNow();
}

bool Editor::RunMarksDialog(bool save, const std::string &directory, const std::string &name,
                            std::string *chosen)
{
    const FileDialogKind kind = save ? FileDialogKind::MarksSave : FileDialogKind::MarksOpen;
    return m_host.runFileDialog(kind, FileDialogTitle(kind, m_s.Language), directory, name, chosen);
}

bool Editor::viewRowOf(std::int64_t offset, int *viewRow) const
{
    if (m_s.view.BytesPerRow <= 0 || offset < 0)
        return false;
    const std::int64_t row = offset / m_s.view.BytesPerRow - m_s.view.TopRow();
    if (row < 0 || row >= m_s.view.VisibleRows)
        return false;
    *viewRow = int(row);
    return true;
}

void Editor::invalidateNumberCell(std::int64_t offset)
{
    int b;
    if (!viewRowOf(offset, &b))
        return;
    const Metrics &m = m_s.view.metrics;
    m_host.invalidateView(int(offset % m_s.view.BytesPerRow) * m.CellWidth, b * m.RowHeight, m.CellWidth,
                          m.RowHeight);
}

void Editor::invalidateCharRow(std::int64_t offset)
{
    int b;
    if (!viewRowOf(offset, &b))
        return;
    const Metrics &m = m_s.view.metrics;
    m_host.invalidateView(m_s.view.BytesPerRow * m.CellWidth, b * m.RowHeight, m.CharAreaWidth,
                          m.RowHeight);
}

void Editor::PaintCursor(bool withCharRow)
{
    if (m_s.view.BytesPerRow <= 0)
        return;
    const std::int64_t o = m_s.view.CursorOffset();
    invalidateNumberCell(o);
    if (withCharRow || m_s.view.InCharArea(m_s.view.CursorCol))
        invalidateCharRow(o);
}

void Editor::RepaintCursorCells()
{
    PaintCursor(true);
}

void Editor::MoveCursorTo(int col, int row, bool repaint)
{
    const bool wasVisible = m_s.view.CursorVisible;
    m_s.view.CursorVisible = true;
    m_host.restartCursorTimer();
    const CellPos p = m_s.Normalise({col, row});
    if (p != CellPos{m_s.view.CursorCol, m_s.view.CursorRow}) {
        if (repaint)
            PaintCursor(p.row != m_s.view.CursorRow);
        m_s.view.CursorCol = p.col;
        m_s.view.CursorRow = p.row;
        if (repaint)
            PaintCursor(true);
    } else if (repaint && !wasVisible) {
        PaintCursor(true); // the blink phase restarts visible, so show it
    }
    ScrollCursorIntoView();
    UpdateStatusBar();
}

void Editor::MoveCursorToOffset(std::int64_t offset, bool charArea, bool repaint)
{
    m_s.view.CursorVisible = true;
    m_host.restartCursorTimer();
    if (m_s.view.CursorCol < 0 || m_s.view.InCharArea(m_s.view.CursorCol) != charArea
        || offset != m_s.view.CursorOffset()) {
        const CellPos p = m_s.view.PositionOf(offset, charArea);
        MoveCursorTo(p.col, p.row, repaint);
        return;
    }
    RepaintCursorCells();
    ScrollCursorIntoView();
}

void Editor::DoUp()
{
    MoveCursorTo(m_s.view.CursorCol, m_s.view.CursorRow - 1, true);
}

void Editor::DoDown()
{
    MoveCursorTo(m_s.view.CursorCol, m_s.view.CursorRow + 1, true);
}

void Editor::DoPageUp()
{
    MoveCursorTo(m_s.view.CursorCol, m_s.view.CursorRow - m_s.view.VisibleRows, true);
}

void Editor::DoPageDown()
{
    MoveCursorTo(m_s.view.CursorCol, m_s.view.CursorRow + m_s.view.VisibleRows, true);
}

void Editor::DoRight()
{
    const bool charArea = m_s.view.InCharArea(m_s.view.CursorCol);
    const int lastCol = charArea ? m_s.view.ColumnCount() - 1 : m_s.view.NumberColumns() - 1;
    if (m_s.view.CursorCol == lastCol) {
        // At the end of a full last row there is no next row: stay on the last byte.
        const bool lastRow =
            std::int64_t(m_s.view.CursorRow + 1) * m_s.view.BytesPerRow >= m_s.doc.BufferSize();
        MoveCursorTo(lastRow ? m_s.view.CursorCol : (charArea ? m_s.view.NumberColumns() : 0),
                     lastRow ? m_s.view.CursorRow : m_s.view.CursorRow + 1, true);
    } else
        MoveCursorTo(m_s.view.CursorCol + 1, m_s.view.CursorRow, true);
}

void Editor::DoLeft()
{
    const bool charArea = m_s.view.InCharArea(m_s.view.CursorCol);
    const int firstCol = charArea ? m_s.view.NumberColumns() : 0;
    if (m_s.view.CursorCol == firstCol) {
        if (m_s.view.CursorRow <= 0)
            return;
        MoveCursorTo(charArea ? m_s.view.ColumnCount() - 1 : m_s.view.NumberColumns() - 1, m_s.view.CursorRow - 1,
                     true);
    } else {
        MoveCursorTo(m_s.view.CursorCol - 1, m_s.view.CursorRow, true);
    }
}

void Editor::DoHome()
{
    MoveCursorTo(m_s.view.InCharArea(m_s.view.CursorCol) ? m_s.view.NumberColumns() : 0, 0, true);
}

void Editor::DoEnd()
{
    MoveCursorTo(m_s.view.InCharArea(m_s.view.CursorCol) ? m_s.view.ColumnCount() - 1 : m_s.view.NumberColumns() - 1,
                 m_s.view.RowCount, true);
}

void Editor::DoTab()
{
    if (m_s.view.InCharArea(m_s.view.CursorCol))
        MoveCursorTo(m_s.view.CellChars * (m_s.view.CursorCol - m_s.view.NumberColumns()), m_s.view.CursorRow, true);
    else
        MoveCursorTo(m_s.view.CursorCol / m_s.view.CellChars + m_s.view.NumberColumns(), m_s.view.CursorRow, true);
}

void Editor::switchLayout(bool hex)
{
    if (m_s.view.HexMode == hex)
        return;
    (hex ? m_s.view.SwitchedToHex : m_s.view.SwitchedToDec) = true;
    m_s.view.PendingCursorRestore = true;
    m_s.view.SavedCursorOffset = m_s.view.CursorOffset();
    m_s.view.SavedInCharArea = m_s.view.InCharArea(m_s.view.CursorCol);
    m_s.view.HexMode = hex;
    m_s.view.BytesPerRow = hex ? 16 : 10;
    RequestLayout();
    UpdateMenus();
}

void Editor::HexClick()
{
    switchLayout(true);
}

void Editor::DecClick()
{
    switchLayout(false);
}

void Editor::runCommand(Command command)
{
    // A key, item or button of a command that may not be used now does nothing.
    if (!CanRun(command, m_s))
        return;
    if (const int colour = MarkColourOf(command); colour >= 0) {
        MarkCursorByte(*this, std::uint8_t(colour));
        return;
    }
    bool next = false;
    if (const int colour = GotoColourOf(command, &next); colour > 0) {
        if (next)
            GotoNextMarkOf(*this, std::uint8_t(colour));
        else
            GotoPreviousMarkOf(*this, std::uint8_t(colour));
        return;
    }
    if (const int recent = RecentIndexOf(command); recent >= 0) {
        m_files.OpenRecent(recent);
        return;
    }
    switch (command) {
    case Command::Up: DoUp(); break;
    case Command::Down: DoDown(); break;
    case Command::PageUp: DoPageUp(); break;
    case Command::PageDown: DoPageDown(); break;
    case Command::Left: DoLeft(); break;
    case Command::Right: DoRight(); break;
    case Command::Home: DoHome(); break;
    case Command::End: DoEnd(); break;
    case Command::Tab: DoTab(); break;
    case Command::HexLayout: HexClick(); break;
    case Command::DecLayout: DecClick(); break;
    // Edits end with a refresh of the menus; navigation refreshes the status itself.
    case Command::Backspace:
        DoBackspace(*this);
        UpdateMenus();
        break;
    case Command::Delete:
        DoDelete(*this);
        UpdateMenus();
        break;
    case Command::Insert:
        DoInsert(*this);
        UpdateMenus();
        break;
    case Command::AppendByte:
        DoAppendByte(*this);
        UpdateMenus();
        break;
    case Command::Undo:
        m_s.History.Undo();
        UpdateMenus();
        break;
    case Command::Redo:
        m_s.History.Redo();
        UpdateMenus();
        break;
    case Command::New: m_files.New(); break;
    case Command::Open: m_files.Open(); break;
    case Command::Save: m_files.Save(); break;
    case Command::SaveAs: m_files.SaveAs(); break;
    case Command::OpenClipboard: m_files.OpenClipboard(); break;
    case Command::Compare: CompareWith(); break;
    case Command::Print: m_host.printDocument(); break;
    case Command::InfoStatistic: m_host.showStatistics(); break;
    case Command::OpenMarks: vtm::OpenMarks(*this); break;
    case Command::SaveMarksAs: vtm::SaveMarksAs(*this); break;
    case Command::Exit: m_host.closeMainWindow(); break;
    case Command::HelpContents: m_host.showHelp(HelpContextContents); break;
    case Command::HelpCharTable: m_host.showHelp(HelpContextCharTable); break;
    case Command::About: m_host.showAbout(); break;
    case Command::Calculator: m_host.launchCalculator(); break;
    case Command::UnmarkAll: vtm::UnmarkAll(*this); break;
    case Command::NextMark: GotoNextMarkOf(*this, AnyMark); break;
    case Command::PreviousMark: GotoPreviousMarkOf(*this, AnyMark); break;
    case Command::NextIdenticalMark: GotoNextIdenticalMark(*this); break;
    case Command::PreviousIdenticalMark: GotoPreviousIdenticalMark(*this); break;
    case Command::Goto:
    case Command::DeleteBytes: runGotoDialog(command == Command::Goto); break;
    case Command::InsertBytes:
    case Command::AppendBytes: runInsertBytes(command == Command::AppendBytes); break;
    case Command::NextIdenticalByte: GotoNextIdenticalByte(*this); break;
    case Command::PreviousIdenticalByte: GotoPreviousIdenticalByte(*this); break;
    case Command::Find: {
        int result = mrCancel;
        if (m_host.runFindDialog(FindFormMode::Find, m_s.Find, &result))
            FindConfirmed(*this, m_s.Find);
        UpdateMenus();
        break;
    }
    case Command::FindNext:
        FindNext(*this, m_s.Find);
        UpdateMenus();
        break;
    case Command::FindPrevious:
        FindPrevious(*this, m_s.Find);
        UpdateMenus();
        break;
    case Command::Replace: runReplaceDialog(FindFormMode::Replace); break;
    case Command::FindAndMark: runReplaceDialog(FindFormMode::FindAndMark); break;
    case Command::ToggleCreateBackup: m_files.ToggleCreateBackup(); break;
    case Command::ToggleKeepMarks: m_files.ToggleKeepMarks(); break;
    case Command::ToggleOverwriteWarning: m_files.OverwriteWarnClick(); break;
    case Command::ToggleNoUnknown: ToggleNoUnknown(); break;
    case Command::PrintMarksHatched: SetPrintMarks(0); break;
    case Command::PrintMarksUsingColors: SetPrintMarks(1); break;
    case Command::DoNotPrintMarks: SetPrintMarks(2); break;
    case Command::English: SetLanguage(LanguageEnglish); break;
    case Command::German: SetLanguage(LanguageGerman); break;
    default: break; // colours and recent files are handled above
    }
}

void Editor::CompareWith()
{
    if (m_s.doc.BufferSize() <= 0)
        return;
    std::string path;
    if (m_host.runFileDialog(FileDialogKind::Compare,
                             FileDialogTitle(FileDialogKind::Compare, m_s.Language), m_s.InitialDir,
                             std::string(), &path))
        CompareWithFile(*this, path);
    UpdateMenus();
}

void Editor::runReplaceDialog(FindFormMode mode)
{
    if (m_s.doc.BufferSize() <= 0) // both items need bytes
        return;
    int result = mrCancel;
    m_host.runFindDialog(mode, m_s.Find, &result);
    if (mode == FindFormMode::Replace)
        ReplaceCommand(*this, *this, m_s.Find, result);
    else
        FindAndMarkCommand(*this, *this, m_s.Find, result);
}

int Editor::AskAtCursor(const std::string &text)
{
    const Host::ScreenMetrics screen = m_host.screenMetrics();
    const QuestionPlace at = PlaceQuestion(screen.width, screen.height, screen.viewTop,
                                           m_s.view.CursorRow, m_s.view.TopRow(), m_s.view.metrics.RowHeight);
    return ShowMessageDlgPos(text, MessageKind::Confirmation, mbYes | mbNo | mbCancel | mbAll, 0,
                             at.left, at.top);
}

void Editor::runGotoDialog(bool go)
{
    if (m_s.doc.BufferSize() <= 0) // both items need bytes
        return;
    std::int32_t value = 0;
    const GotoFormMode mode = go ? GotoFormMode::Goto : GotoFormMode::DeleteBytes;
    const std::int32_t initial = go ? m_s.GotoValues.LastGotoOffset : m_s.ByteRuns.LastDeleteCount;
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
    if (!append && m_s.doc.BufferSize() <= 0) // appending works on an empty document too
        return;
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

void Editor::FormKeyPress(char32_t key)
{
    if (m_s.doc.Buffer() && m_s.CursorOnByte()) {
        const std::int64_t o = m_s.view.CursorOffset();
        const bool charArea = m_s.view.InCharArea(m_s.view.CursorCol);
        const TypedByte t =
            TypeIntoByte(charArea, m_s.view.HexMode, m_s.view.CursorCol, m_s.doc.Buffer()[o], key);
        if (t.beep)
            m_host.beep();
        if (t.accepted) {
            const int group = NextCommandNumber();
            m_s.History.AddAction(
                std::make_unique<TEditAction>(group, std::int32_t(o), charArea, t.value), true);
            DoRight();
        }
    }
    UpdateMenus();
    ScrollCursorIntoView();
}

void Editor::CursorTimerTimer(bool pointerInView)
{
    m_s.view.CursorVisible = !m_s.view.CursorVisible;
    PaintCursor(true);
    if (!pointerInView) {
        m_s.view.MouseX = m_s.view.MouseY = -1;
        m_host.setStatusText(2, std::string());
    }
}

void Editor::ScrollNotify()
{
    const int p = m_s.view.VertBar.GetPosition();
    m_host.scrollView((m_s.view.LastScrollPos - p) * m_s.view.metrics.RowHeight);
    m_host.invalidatePanel();
    m_host.updateNow();
    m_s.view.LastScrollPos = p;
}

void Editor::ScrollCursorIntoView()
{
    if (m_s.view.CursorRow < 0)
        return;
    const int t = m_s.view.VertBar.GetPosition();
    if (m_s.view.CursorRow < t)
        m_s.view.VertBar.SetPosition(m_s.view.CursorRow);
    else if (t + m_s.view.VisibleRows - 1 < m_s.view.CursorRow)
        m_s.view.VertBar.SetPosition(m_s.view.CursorRow - m_s.view.VisibleRows + 1);
}

void Editor::MouseDown(int x, int y)
{
    const CellPos c = MouseToCell(m_s.view, x, y);
    MoveCursorTo(c.col, c.row, true);
    MouseMove(x, y);
}

void Editor::MouseMove(int x, int y)
{
    m_s.view.MouseX = x;
    m_s.view.MouseY = y;
    UpdateDistance();
}

void Editor::MouseUp(int x, int y)
{
    MouseMove(x, y);
}

void Editor::UpdateStatusBar()
{
    if (m_s.doc.BufferSize() <= 0 || !m_s.CursorOnByte()) {
        m_host.setStatusText(0, std::string());
        m_host.setStatusText(1, std::string());
    } else {
        const std::int64_t o = m_s.view.CursorOffset();
        m_host.setStatusText(0, PositionText(o));
        m_host.setStatusText(1, ValueText(m_s.ValueLabel, m_s.doc.Buffer()[o]));
    }
    UpdateDistance();
}

void Editor::UpdateDistance()
{
    if (m_s.doc.BufferSize() == 0 || m_s.view.MouseX < 0 || m_s.view.MouseY < 0) {
        m_host.setStatusText(2, std::string());
        return;
    }
    const CellPos c = MouseToCell(m_s.view, m_s.view.MouseX, m_s.view.MouseY);
    m_host.setStatusText(2, DistanceText(m_s.view.CellToOffset(c.col, c.row) - m_s.view.CursorOffset()));
}

void Editor::UpdateMenus()
{
    m_host.updateMenus(ComputeMenuState(m_s));
    UpdateStatusBar();
}

void Editor::ApplyLanguage()
{
    m_s.ValueLabel = ValueLabelText(m_s.Language);
    m_host.setLanguageCaptions(m_s.Language);
    UpdateMenus();
    m_host.invalidateViewAll();
}

void Editor::SetLanguage(int language)
{
    m_s.Language = language;
    ApplyLanguage();
}

void Editor::ToggleNoUnknown()
{
    m_s.NoUnknown = !m_s.NoUnknown;
    m_host.invalidateViewAll();
    UpdateMenus();
}

void Editor::SetPrintMarks(int how)
{
    m_s.PrintMarksHatched = how == 0;
    m_s.PrintMarksUsingColors = how == 1;
    m_s.DoNotPrintMarks = how == 2;
    UpdateMenus();
}

LayoutResult Editor::LayoutPass(const LayoutInput &in)
{
    ComputeLayout(m_s.view, m_s.doc.BufferSize());
    const Metrics &m = m_s.view.metrics;
    const int fit = in.clientHeight - in.toolbarHeight - in.statusBarHeight - in.panelFrame + 1;
    // At least one data row, so the view never loses its height.
    m_s.view.VisibleRows = std::max(1, (fit > 0 ? fit / m.RowHeight : 0) - 1);

    TPlixScrollBar &bar = m_s.view.VertBar;
    if (bar.Range != m_s.view.RowCount || bar.PageSize != m_s.view.VisibleRows) {
        int p = bar.GetPosition();
        // Keep roughly the same part of the document in view: the row number of a
        // byte grows by 16/10 when rows get shorter.
        if (m_s.view.SwitchedToDec) {
            p = int(std::int64_t(p) * 16 / 10);
            m_s.view.SwitchedToDec = false;
        }
        if (m_s.view.SwitchedToHex) {
            p = int(std::int64_t(p) * 10 / 16);
            m_s.view.SwitchedToHex = false;
        }
        bar.SetParams(m_s.view.RowCount, m_s.view.VisibleRows, p);
    }

    LayoutResult r;
    r.viewLeft = m.OffsetColumnWidth;
    r.viewTop = m.RowHeight;
    r.viewClientWidth = m_s.view.BytesPerRow * m.CellWidth + m.CharAreaWidth - 1;
    r.viewClientHeight = m_s.view.VisibleRows * m.RowHeight - 1;
    r.viewOuterWidth = r.viewClientWidth + in.scrollBarWidth;
    r.viewOuterHeight = r.viewClientHeight;
    r.panelTop = in.toolbarHeight;
    r.panelOuterWidth = r.viewOuterWidth + m.OffsetColumnWidth + in.panelFrame;
    r.panelOuterHeight = r.viewOuterHeight + m.RowHeight + in.panelFrame;
    r.windowClientWidth = r.panelOuterWidth;
    r.windowClientHeight = r.panelOuterHeight + in.toolbarHeight + in.statusBarHeight;

    m_s.view.LastScrollPos = bar.GetPosition();
    if (m_s.view.PendingCursorRestore)
        MoveCursorToOffset(m_s.view.SavedCursorOffset, m_s.view.SavedInCharArea, true);
    ScrollCursorIntoView();
    m_s.view.PendingCursorRestore = false;
    m_host.invalidatePanel();
    m_host.invalidateViewAll();
    return r;
}

void Editor::RequestLayout()
{
    m_host.requestLayout();
}

int Editor::ShowMessageDlgPos(const std::string &text, MessageKind kind, unsigned buttons,
                              int helpContext, int left, int top)
{
    MessageRequest r{text, kind, buttons, helpContext};
    r.left = left;
    r.top = top;
    r.language = m_s.Language;
    return m_host.showMessage(r);
}

int Editor::ShowMessageDlg(const std::string &text, MessageKind kind, unsigned buttons,
                           int helpContext)
{
    return ShowMessageDlgPos(text, kind, buttons, helpContext, -1, -1);
}

int Editor::ShowMessageDlgDefault(const std::string &text, MessageKind kind, unsigned buttons,
                                  int helpContext, unsigned defaultButton)
{
    MessageRequest r{text, kind, buttons, helpContext};
    r.variant = MessageVariant::WithDefault;
    r.defaultButton = defaultButton;
    r.language = m_s.Language;
    return m_host.showMessage(r);
}

} // namespace vtm
