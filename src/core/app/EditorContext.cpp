// What the command folders ask of the editor: command numbers, repaints, progress, the
// message dialogs and the marks-file chooser.
#include "app/Editor.h"

#include "search/ReplaceCommands.h"

namespace vtm {

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
    return m_host.runFileDialog(kind, FileDialogTitle(kind, m_s.settings.Language), directory, name,
                                chosen);
}

int Editor::AskAtCursor(const std::string &text)
{
    const Host::ScreenMetrics screen = m_host.screenMetrics();
    const QuestionPlace at =
        PlaceQuestion(screen.width, screen.height, screen.viewTop, m_s.view.CursorRow,
                      m_s.view.TopRow(), m_s.view.metrics.RowHeight);
    return ShowMessageDlgPos(text, MessageKind::Confirmation, mbYes | mbNo | mbCancel | mbAll, 0,
                             at.left, at.top);
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
    r.language = m_s.settings.Language;
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
    r.language = m_s.settings.Language;
    return m_host.showMessage(r);
}

} // namespace vtm
