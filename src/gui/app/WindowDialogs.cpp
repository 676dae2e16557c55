#include "gui/app/WindowDialogs.h"

#include "app/Editor.h"
#include "app/EditorState.h"
#include "app/Help.h"
#include "gui/analysis/ChecksumForm.h"
#include "gui/analysis/InfoStatisticForm.h"
#include "gui/app/AboutDialog.h"
#include "gui/app/ClipboardForm.h"
#include "gui/app/DeviceDialog.h"
#include "gui/app/HelpWindow.h"
#include "gui/app/MessageDialog.h"
#include "gui/platform/FileNames.h"
#include "gui/platform/Clipboard.h"
#include "gui/print/PrintCommand.h"
#include "gui/search/FindForm.h"
#include "gui/search/GotoForm.h"
#include "gui/search/InsertBytesForm.h"

#include <QFile>
#include <QDir>
#include <QFileDialog>
#include <QWidget>

namespace vtm {

WindowDialogs::WindowDialogs(QWidget *window, EditorState &state, Editor &editor,
                             const QFont &dumpFont)
    : m_window(window)
    , m_state(state)
    , m_editor(editor)
    , m_calculator(window)
{
    m_gotoForm = new TGotoForm(window);
    m_insertForm = new TInsertBytesForm(window);
    m_clipboardForm = new TClipboardForm(dumpFont, window);
    m_findForm = new TFindForm(window);
}

int WindowDialogs::showMessage(const MessageRequest &request)
{
    return MessageDialog::ask(request, m_window, [this](int context) { showHelp(context); });
}

bool WindowDialogs::runFileDialog(FileDialogKind kind, const std::string &title,
                                  const std::string &directory, const std::string &name,
                                  std::string *chosen)
{
    const bool saving = kind == FileDialogKind::Save || kind == FileDialogKind::MarksSave;
    QFileDialog dialog(m_window, QString::fromUtf8(title), QFile::decodeName(directory.c_str()));
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The program asks its own overwrite question, once.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // Disks and partitions in /dev open too; the dialog hides such entries by default.
    if (kind == FileDialogKind::Open)
        dialog.setFilter(dialog.filter() | QDir::System);
    if (!name.empty())
        dialog.selectFile(QFile::decodeName(name.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    *chosen = NameBytes(dialog.selectedFiles().constFirst());
    return !chosen->empty();
}

bool WindowDialogs::runGotoDialog(GotoFormMode mode, std::int64_t initial, std::int64_t *value)
{
    return m_gotoForm->ask(mode, m_state.settings.Language, initial, value);
}

bool WindowDialogs::runInsertBytesDialog(bool append, ByteRunMemory &memory)
{
    return m_insertForm->ask(append, m_state.settings.Language, memory);
}

bool WindowDialogs::runFindDialog(FindFormMode mode, FindState &state, int *result)
{
    return m_findForm->ask(mode, m_state.settings.Language, state, result);
}

bool WindowDialogs::runClipboardChooser(const std::vector<std::string> &lines, int *index)
{
    return m_clipboardForm->ask(lines, m_state.settings.Language, index);
}

bool WindowDialogs::runDeviceChooser(const std::vector<BlockDeviceEntry> &entries, int *index)
{
    return RunDeviceDialog(m_window, entries, m_state.settings.Language, index);
}

std::vector<ClipboardEntry> WindowDialogs::clipboardEntries()
{
    return ClipboardEntries();
}

bool WindowDialogs::withClipboardData(
    const std::string &mime, const std::function<void(const std::uint8_t *, std::int64_t)> &use)
{
    return WithClipboardData(mime, use);
}

void WindowDialogs::showHelp(int context)
{
    const QString missing = ShowHelp(m_window, m_state.settings.Language, context);
    if (!missing.isEmpty())
        m_editor.ShowMessageDlg(
            HelpMissingText(m_state.settings.Language, QFile::encodeName(missing).toStdString()),
            MessageKind::Error, mbOK, 0);
}

void WindowDialogs::showAbout()
{
    TKaAboutForm about(m_window);
    about.execFor(m_state.settings.Language);
}

void WindowDialogs::launchCalculator()
{
    m_calculator.launch(m_window, m_state.settings.CalcPath, m_state.settings.Language,
                        [this](const MessageRequest &r) { return showMessage(r); });
}

void WindowDialogs::showStatistics(const ByteStatistics &stats)
{
    TInfoStatisticForm::ShowStatistics(m_window, m_state, stats);
}

bool WindowDialogs::runChecksumDialog(ChecksumRequest &request)
{
    return RunChecksumDialog(m_window, m_state.settings.Language, request);
}

void WindowDialogs::showChecksums(const ChecksumReport &report)
{
    ShowChecksums(m_window, m_state.settings.Language, report);
}

void WindowDialogs::printDocument()
{
    DoPrint(m_window, m_state);
}

} // namespace vtm
