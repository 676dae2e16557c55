#include "app/Editor.h"

#include "analysis/Compare.h"
#include "app/Help.h"
#include "app/JobTexts.h"
#include "app/MenuState.h"
#include "app/Texts.h"
#include "document/StatusTexts.h"
#include "edit/ByteCommands.h"
#include "edit/EditTexts.h"
#include "marks/MarkCommands.h"
#include "marks/MarksFileCommands.h"
#include "search/ByteNavigation.h"
#include "view/Navigation.h"
#include "edit/TEditAction.h"
#include "edit/Typing.h"

#include <algorithm>
#include <climits>

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

void Editor::invalidate(const std::optional<PixelRect> &r)
{
    if (r)
        m_host.invalidateView(r->x, r->y, r->w, r->h);
}

void Editor::PaintCursor(bool withCharRow)
{
    if (m_s.view.BytesPerRow <= 0)
        return;
    const std::int64_t o = m_s.view.CursorOffset();
    invalidate(NumberCellRect(m_s.view, o));
    if (withCharRow || m_s.view.InCharArea(m_s.view.CursorCol))
        invalidate(CharRowRect(m_s.view, o));
}

void Editor::RepaintCursorCells()
{
    PaintCursor(true);
}

void Editor::MoveCursorTo(int col, std::int64_t row, bool repaint)
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

void Editor::navigate(Move move)
{
    if (const auto to = MoveTarget(m_s.view, m_s.doc.BufferSize(), move))
        MoveCursorTo(to->col, to->row, true);
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

template <class F> void Editor::guarded(F f)
{
    try {
        f();
    } catch (const SourceReadError &) {
        SourceFailed();
    }
}

void Editor::runCommand(Command command)
{
    // While a job runs nothing else may change what it reads (the progress window keeps
    // input away; this holds for any other way in, such as accessibility actions).
    if (JobRunning())
        return;
    guarded([&] { dispatch(command); });
}

void Editor::FormKeyPress(char32_t key)
{
    if (JobRunning())
        return;
    guarded([&] { typeKey(key); });
}

bool Editor::RunJob(MenuItem item, std::int64_t total, const std::function<void()> &f)
{
    if (JobRunning()) {
        f();
        return true;
    }
    const std::unique_ptr<JobMeter> meter = m_host.startJob(JobTitle(item, m_s.settings.Language));
    meter->setTotal(total);
    {
        const MeterScope<Document> scope(m_s.doc, meter.get());
        try {
            f();
        } catch (const JobStopped &) {
        }
    }
    UpdateMenus();
    if (!meter->stopped())
        return true;
    // After the refresh, which would clear the pane.
    m_host.setStatusText(2, JobStoppedText(m_s.settings.Language, meter->done(), meter->total(),
                                           meter->changed(), meter->changeEstimate()));
    return false;
}

void Editor::CheckSource()
{
    if (!m_s.doc.ReadsOnDemand() || m_s.SourceFailureReported || m_askingAboutSource)
        return;
    if (!m_s.doc.CheckSource())
        SourceFailed();
}

void Editor::SourceFailed(const std::string &first)
{
    InvalidateView();
    UpdateStatusBar();
    const SourceReadError *failure = m_s.doc.SourceFailure();
    if (!failure || m_askingAboutSource)
        return;
    m_s.SourceFailureReported = true;
    m_askingAboutSource = true;
    const int answer = ShowMessageDlgDefault(
        SourceFailedQuestion(m_s.settings.Language, m_s.OpenName, failure->failure(), first),
        MessageKind::Error, mbYes | mbNo, 0, mbYes);
    m_askingAboutSource = false;
    if (answer == mrYes)
        m_files.Reload();
}

bool Editor::refusedOnDevice(Command command)
{
    // Told before any dialog: the history refuses such steps anyway.
    if (!m_s.doc.FixedSize())
        return false;
    std::string text;
    switch (command) {
    case Command::Backspace:
    case Command::Delete:
    case Command::Insert:
    case Command::AppendByte:
    case Command::InsertBytes:
    case Command::AppendBytes:
    case Command::DeleteBytes:
    case Command::PasteInsert: text = DeviceFixedSizeText(Language()); break;
    case Command::PasteOvertype:
    case Command::Replace:
        if (m_s.doc.ReadOnly())
            text = DeviceReadOnlyText(Language());
        break;
    default: break;
    }
    if (text.empty())
        return false;
    ShowMessageDlg(text, MessageKind::Information, mbOK, 0);
    return true;
}

void Editor::dispatch(Command command)
{
    // A key, item or button of a command that may not be used now does nothing.
    if (!CanRun(command, m_s))
        return;
    if (refusedOnDevice(command))
        return;
    if (const int colour = MarkColourOf(command); colour >= 0) {
        MarkCursorByte(*this, std::uint8_t(colour));
        return;
    }
    const std::int64_t size = m_s.doc.BufferSize();
    bool next = false;
    if (const int colour = GotoColourOf(command, &next); colour > 0) {
        RunJob(next ? MenuItem::PopupMarkNext : MenuItem::PopupMarkPrevious, size, [&] {
            if (next)
                GotoNextMarkOf(*this, std::uint8_t(colour));
            else
                GotoPreviousMarkOf(*this, std::uint8_t(colour));
        });
        return;
    }
    if (const int recent = RecentIndexOf(command); recent >= 0) {
        m_files.OpenRecent(recent);
        return;
    }
    switch (command) {
    case Command::Up: navigate(Move::Up); break;
    case Command::Down: navigate(Move::Down); break;
    case Command::PageUp: navigate(Move::PageUp); break;
    case Command::PageDown: navigate(Move::PageDown); break;
    case Command::Left: navigate(Move::Left); break;
    case Command::Right: navigate(Move::Right); break;
    case Command::Home: navigate(Move::Home); break;
    case Command::End: navigate(Move::End); break;
    case Command::Tab: navigate(Move::Tab); break;
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
    case Command::InfoStatistic: {
        // Counted as a job first: the window opens only on counts that are complete.
        ByteStatistics stats;
        if (size > 0
            && RunJob(MenuItem::InfoStatistic, size, [&] { stats = CountStatistics(m_s.doc); }))
            m_host.showStatistics(stats);
        break;
    }
    case Command::Checksums: Checksums(); break;
    case Command::CopyRaw:
    case Command::CopyHex:
    case Command::CopyCArray:
    case Command::CopyBase64:
    case Command::CopyCharacters:
        CopyBytes(CopyFormat(int(command) - int(Command::CopyRaw)));
        break;
    case Command::PasteOvertype: PasteBytes(false); break;
    case Command::PasteInsert: PasteBytes(true); break;
    case Command::OpenMarks:
        RunJob(MenuItem::MarksOpen, size, [&] { vtm::OpenMarks(*this); });
        break;
    case Command::SaveMarksAs:
        RunJob(MenuItem::MarksSaveAs, size, [&] { vtm::SaveMarksAs(*this); });
        break;
    case Command::Exit: m_host.closeMainWindow(); break;
    case Command::HelpContents: m_host.showHelp(HelpContextContents); break;
    case Command::HelpCharTable: m_host.showHelp(HelpContextCharTable); break;
    case Command::About: m_host.showAbout(); break;
    case Command::Calculator: m_host.launchCalculator(); break;
    case Command::UnmarkAll:
        RunJob(MenuItem::UnmarkAll, size, [&] { vtm::UnmarkAll(*this); });
        break;
    case Command::NextMark:
        RunJob(MenuItem::PopupMarkNext, size, [&] { GotoNextMarkOf(*this, AnyMark); });
        break;
    case Command::PreviousMark:
        RunJob(MenuItem::PopupMarkPrevious, size, [&] { GotoPreviousMarkOf(*this, AnyMark); });
        break;
    case Command::NextIdenticalMark:
        RunJob(MenuItem::PopupMarkNextIdentical, size, [&] { GotoNextIdenticalMark(*this); });
        break;
    case Command::PreviousIdenticalMark:
        RunJob(MenuItem::PopupMarkPreviousIdentical, size,
               [&] { GotoPreviousIdenticalMark(*this); });
        break;
    case Command::Goto:
    case Command::DeleteBytes: runGotoDialog(command == Command::Goto); break;
    case Command::InsertBytes:
    case Command::AppendBytes: runInsertBytes(command == Command::AppendBytes); break;
    case Command::NextIdenticalByte:
        RunJob(MenuItem::NextIdenticalByte, size, [&] { GotoNextIdenticalByte(*this); });
        break;
    case Command::PreviousIdenticalByte:
        RunJob(MenuItem::PreviousIdenticalByte, size, [&] { GotoPreviousIdenticalByte(*this); });
        break;
    case Command::Find: {
        int result = mrCancel;
        if (m_host.runFindDialog(FindFormMode::Find, m_s.Find, &result))
            RunJob(MenuItem::Find, size, [&] { FindConfirmed(*this, m_s.Find); });
        else
            UpdateMenus();
        break;
    }
    case Command::FindNext:
        RunJob(MenuItem::FindNext, size, [&] { FindNext(*this, m_s.Find); });
        break;
    case Command::FindPrevious:
        RunJob(MenuItem::FindPrevious, size, [&] { FindPrevious(*this, m_s.Find); });
        break;
    case Command::Replace: runReplaceDialog(FindFormMode::Replace); break;
    case Command::FindAndMark: runReplaceDialog(FindFormMode::FindAndMark); break;
    case Command::ToggleCreateBackup: m_files.ToggleCreateBackup(); break;
    case Command::ToggleKeepMarks: m_files.ToggleKeepMarks(); break;
    case Command::ToggleOverwriteWarning: m_files.OverwriteWarnClick(); break;
    case Command::OpenDevice: m_files.OpenDevice(); break;
    case Command::AllowDeviceWriting: m_files.ToggleDeviceWriting(); break;
    case Command::ToggleNoUnknown: ToggleNoUnknown(); break;
    case Command::ToggleInspector: ToggleInspector(); break;
    case Command::EditInspector:
        // The keyboard's way into the fields: Tab belongs to the dump.
        if (!m_s.settings.ShowInspector)
            ToggleInspector();
        m_host.focusInspector();
        break;
    case Command::PrintMarksHatched: SetPrintMarks(PrintMarks::Hatched); break;
    case Command::PrintMarksUsingColors: SetPrintMarks(PrintMarks::InColour); break;
    case Command::DoNotPrintMarks: SetPrintMarks(PrintMarks::None); break;
    case Command::English: SetLanguage(LanguageEnglish); break;
    case Command::German: SetLanguage(LanguageGerman); break;
    default: break; // colours and recent files are handled above
    }
}

void Editor::typeKey(char32_t key)
{
    if (m_s.CursorOnByte()) {
        const std::int64_t o = m_s.view.CursorOffset();
        const bool charArea = m_s.view.InCharArea(m_s.view.CursorCol);
        const TypedByte t =
            TypeIntoByte(charArea, m_s.view.HexMode, m_s.view.CursorCol, m_s.doc.ByteAt(o), key);
        if (t.beep)
            m_host.beep();
        if (t.accepted) {
            const int group = NextCommandNumber();
            // A refused digit (a read-only device) leaves the cursor where it was.
            if (m_s.History.AddAction(std::make_unique<TEditAction>(group, o, charArea, t.value),
                                      true))
                navigate(Move::Right);
        }
    }
    UpdateMenus();
    ScrollCursorIntoView();
}

void Editor::CursorTimerTimer(bool pointerInView)
{
    // A job meets a changed file in its own reads; a reload now would pull the document
    // from under it.
    if (!JobRunning())
        CheckSource();
    m_s.view.CursorVisible = !m_s.view.CursorVisible;
    PaintCursor(true);
    // Only a distance shown is emptied: a stopped job's report stays until the next command.
    if (!pointerInView && m_s.view.MouseX >= 0) {
        m_s.view.MouseX = m_s.view.MouseY = -1;
        m_host.setStatusText(2, std::string());
    }
}

void Editor::ScrollNotify()
{
    const std::int64_t p = m_s.view.VertBar.GetPosition();
    // A jump past the view's height repaints it whole anyway.
    const std::int64_t rows =
        std::clamp<std::int64_t>(m_s.view.LastScrollPos - p, -(1 << 20), 1 << 20);
    m_host.scrollView(
        int(std::clamp<std::int64_t>(rows * m_s.view.metrics.RowHeight, INT_MIN, INT_MAX)));
    m_host.invalidatePanel();
    m_host.updateNow();
    m_s.view.LastScrollPos = p;
}

void Editor::ScrollCursorIntoView()
{
    if (m_s.view.CursorRow < 0)
        return;
    const std::int64_t t = m_s.view.VertBar.GetPosition();
    if (m_s.view.CursorRow < t)
        m_s.view.VertBar.SetPosition(m_s.view.CursorRow);
    else if (t + m_s.view.VisibleRows - 1 < m_s.view.CursorRow)
        m_s.view.VertBar.SetPosition(m_s.view.CursorRow - m_s.view.VisibleRows + 1);
}

void Editor::MouseDown(int x, int y)
{
    if (JobRunning())
        return;
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
        // No value of a file that can no longer be read.
        std::string value;
        try {
            if (!m_s.doc.SourceFailed())
                value = ValueText(m_s.ValueLabel, m_s.doc.ByteAt(o));
        } catch (const SourceReadError &) {
        }
        m_host.setStatusText(1, value);
    }
    UpdateDistance();
    UpdateInspector();
}

void Editor::UpdateInspector()
{
    if (!m_s.settings.ShowInspector)
        return;
    // Like the value pane: nothing of a file that can no longer be read.
    InspectorTexts texts;
    try {
        if (m_s.CursorOnByte() && !m_s.doc.SourceFailed())
            texts = InspectBytes(m_s.doc, m_s.view.CursorOffset(), m_s.settings.Language,
                                 m_s.settings.InspectorBigEndian);
    } catch (const SourceReadError &) {
        texts = {};
    }
    m_host.showInspector(texts);
}

void Editor::ToggleInspector()
{
    m_s.settings.ShowInspector = !m_s.settings.ShowInspector;
    RequestLayout();
    UpdateMenus();
}

void Editor::SetInspectorBigEndian(bool bigEndian)
{
    m_s.settings.InspectorBigEndian = bigEndian;
    UpdateInspector();
}

void Editor::InspectorEdit(InspectorRow row, const std::string &text)
{
    if (JobRunning())
        return;
    guarded([&] {
        if (!m_s.CursorOnByte()
            || !WriteInspectorValue(*this, m_s.view.CursorOffset(), row, text,
                                    m_s.settings.InspectorBigEndian))
            m_host.beep();
        UpdateMenus();
    });
}

void Editor::UpdateDistance()
{
    if (m_s.doc.BufferSize() == 0 || m_s.view.MouseX < 0 || m_s.view.MouseY < 0) {
        m_host.setStatusText(2, std::string());
        return;
    }
    const CellPos c = MouseToCell(m_s.view, m_s.view.MouseX, m_s.view.MouseY);
    m_host.setStatusText(
        2, DistanceText(m_s.view.CellToOffset(c.col, c.row) - m_s.view.CursorOffset()));
}

void Editor::UpdateMenus()
{
    m_host.updateMenus(ComputeMenuState(m_s));
    UpdateStatusBar();
}

void Editor::ApplyLanguage()
{
    m_s.ValueLabel = ValueLabelText(m_s.settings.Language);
    m_host.setLanguageCaptions(m_s.settings.Language);
    m_files.UpdateCaption();
    UpdateMenus();
    m_host.invalidateViewAll();
}

void Editor::SetLanguage(vtm::Language language)
{
    m_s.settings.Language = language;
    ApplyLanguage();
}

void Editor::ToggleNoUnknown()
{
    m_s.settings.NoUnknown = !m_s.settings.NoUnknown;
    m_host.invalidateViewAll();
    UpdateMenus();
}

void Editor::SetPrintMarks(PrintMarks how)
{
    m_s.settings.MarksPrinting = how;
    UpdateMenus();
}

LayoutResult Editor::LayoutPass(const LayoutInput &in)
{
    const LayoutResult r = LayoutView(m_s.view, m_s.doc.BufferSize(), in);
    if (m_s.view.PendingCursorRestore)
        MoveCursorToOffset(m_s.view.SavedCursorOffset, m_s.view.SavedInCharArea, true);
    ScrollCursorIntoView();
    m_s.view.PendingCursorRestore = false;
    m_host.invalidatePanel();
    m_host.invalidateViewAll();
    return r;
}

} // namespace vtm
