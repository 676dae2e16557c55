#pragma once

#include "document/Language.h"
#include "app/EditorState.h"
#include "app/FileCommands.h"
#include "app/Host.h"
#include "marks/MarksContext.h"
#include "search/ReplaceCommands.h"
#include "app/Commands.h"
#include "edit/ByteTransfer.h"
#include "view/Layout.h"
#include "view/Navigation.h"

#include <functional>
#include <string>

namespace vtm {

// The main window's commands, free of any window system: the GUI maps events onto them
// and draws what they decide through the host.
class Editor : public MarksContext, public SearchUi
{
public:
    Editor(EditorState &state, Host &host);
    ~Editor() override;
    Editor(const Editor &) = delete;
    Editor &operator=(const Editor &) = delete;

    EditorState &state() { return m_s; }
    FileCommands &files() { return m_files; }

    // Cursor placement, used by every command that moves the cursor.
    void MoveCursorTo(int col, std::int64_t row, bool repaint);
    void MoveCursorToOffset(std::int64_t offset, bool charArea, bool repaint) override;
    // Asks for the cursor's number cell (and character row) to be repainted.
    void PaintCursor(bool withCharRow);
    void RepaintCursorCells();

    void HexClick();
    void DecClick();
    // Commands and typing report a failure of the file under the document instead of
    // letting it escape.
    void runCommand(Command command);
    // A typed character that no shortcut took: overtypes the byte under the cursor.
    void FormKeyPress(char32_t key);

    // Runs f as a long command named after `item`, `total` bytes of work: the window keeps
    // running and no other command is taken until it ends. A stop ends f by JobStopped
    // (or a command that keeps its partial work returns), and the status bar says how far
    // it came; false then. Inside another job f simply runs as part of it.
    bool RunJob(MenuItem item, std::int64_t total, const std::function<void()> &f);
    bool JobRunning() const { return m_s.doc.Meter() != nullptr; }

    // Watches the file a document reads on demand (the cursor tick calls it): once another
    // program has changed it, says so and offers to reload.
    void CheckSource();
    // The file under the document has failed: its bytes disappear from the view and the
    // user is asked whether to reload it.
    // `first`: a line put before the question, when a command failed because of it.
    void SourceFailed(const std::string &first = {});

    // The 500 ms tick: blink, and forget the pointer once it has left the view.
    void CursorTimerTimer(bool pointerInView);

    void ScrollNotify();
    void ScrollCursorIntoView();
    void MouseDown(int x, int y);
    void MouseMove(int x, int y);
    void MouseUp(int x, int y);

    void UpdateStatusBar();
    // The data inspector follows the cursor and the bytes, as the status bar does.
    void UpdateInspector();
    void ToggleInspector();
    void SetInspectorBigEndian(bool bigEndian);
    // A value typed into an inspector row: overtypes the bytes at the cursor, or beeps and
    // changes nothing when it does not fit there.
    void InspectorEdit(InspectorRow row, const std::string &text);
    void UpdateDistance();
    // Refresh of menus, toolbar and status bar after every command.
    void UpdateMenus() override;
    void ApplyLanguage();
    void SetLanguage(vtm::Language language);
    void ToggleNoUnknown();
    void SetPrintMarks(PrintMarks how);

    LayoutResult LayoutPass(const LayoutInput &in);
    void RequestLayout() override;

    // The modal message dialogs; each returns the button pressed (MessageResult).
    int ShowMessageDlg(const std::string &text, MessageKind kind, unsigned buttons,
                       int helpContext) override;
    int ShowMessageDlgDefault(const std::string &text, MessageKind kind, unsigned buttons,
                              int helpContext, unsigned defaultButton) override;
    int ShowMessageDlgPos(const std::string &text, MessageKind kind, unsigned buttons,
                          int helpContext, int left, int top);

    // Replaces the document by a file's bytes (after the close query); on failure reports
    // it and changes nothing.
    bool LoadFromFile(const std::string &name) { return m_files.LoadFromFile(name); }
    // Compare with a file the user picks, and mark the differences.
    void CompareWith();
    // The checksums the user picks, over the document or the marked run at the cursor.
    void Checksums();
    // The marked run at the cursor (or a count of bytes from it that the user gives) onto
    // the clipboard in a format; the clipboard's bytes or hex text into the document.
    void CopyBytes(CopyFormat format);
    void PasteBytes(bool insert);

    // EditContext
    Document &Doc() override { return m_s.doc; }
    TActions &History() override { return m_s.History; }
    vtm::Language Language() const override { return m_s.settings.Language; }
    int NextCommandNumber() override;
    std::int64_t CursorOffset() const override { return m_s.view.CursorOffset(); }
    bool CursorInCharArea() const override { return m_s.view.InCharArea(m_s.view.CursorCol); }
    void UpdateView() override;
    void InvalidateView() override;
    void UpdateMainWindow() override;
    void Beep() override;

    // MarksContext
    void ShowProgress(const std::string &text) override;
    bool RunMarksDialog(bool save, const std::string &directory, const std::string &name,
                        std::string *chosen) override;
    bool CreateBackUp() const override { return m_s.settings.CreateBackUp; }
    std::string &MarksInitialDir() override { return m_s.settings.MarksInitialDir; }
    std::string &MarksFileName() override { return m_s.MarksFileName; }

    // SearchUi
    int AskAtCursor(const std::string &text) override;
    std::int64_t TickCount() override { return m_host.tickCount(); }

private:
    template <class F> void guarded(F f);
    void dispatch(Command command);
    // A command that would change a device's size, or its bytes while it is read-only:
    // says why and refuses.
    bool refusedOnDevice(Command command);
    void typeKey(char32_t key);
    void switchLayout(bool hex);
    // Go-to (go) or delete bytes, through the go-to dialog.
    void runGotoDialog(bool go);
    void runInsertBytes(bool append);
    // Replace or Find and mark through the find dialog in that mode.
    void runReplaceDialog(FindFormMode mode);
    // A navigation key: the cursor to the cell the view names for it.
    void navigate(Move move);
    void invalidate(const std::optional<PixelRect> &rect);

    EditorState &m_s;
    Host &m_host;
    FileCommands m_files{*this, m_s, m_host};
    bool m_askingAboutSource = false;
};

} // namespace vtm
