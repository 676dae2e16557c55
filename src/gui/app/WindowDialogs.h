#pragma once

#include "app/Host.h"
#include "gui/platform/Calculator.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QFont;
class QWidget;

namespace vtm {

class Editor;
struct EditorState;
class TClipboardForm;
class TFindForm;
class TGotoForm;
class TInsertBytesForm;

// The modal dialogs, choosers and desktop services the editor asks the main window for,
// all opened over that window.
class WindowDialogs
{
public:
    WindowDialogs(QWidget *window, EditorState &state, Editor &editor, const QFont &dumpFont);

    TGotoForm *gotoForm() const { return m_gotoForm; }
    TInsertBytesForm *insertBytesForm() const { return m_insertForm; }
    TClipboardForm *clipboardForm() const { return m_clipboardForm; }
    TFindForm *findForm() const { return m_findForm; }

    int showMessage(const MessageRequest &request);
    bool runFileDialog(FileDialogKind kind, const std::string &title, const std::string &directory,
                       const std::string &name, std::string *chosen);
    bool runGotoDialog(GotoFormMode mode, std::int64_t initial, std::int64_t *value);
    bool runInsertBytesDialog(bool append, ByteRunMemory &memory);
    bool runFindDialog(FindFormMode mode, FindState &state, int *result);
    bool runClipboardChooser(const std::vector<std::string> &lines, int *index);
    bool runDeviceChooser(const std::vector<BlockDeviceEntry> &entries, int *index);
    std::vector<ClipboardEntry> clipboardEntries();
    bool
    withClipboardData(const std::string &mime,
                      const std::function<void(const std::uint8_t *bytes, std::int64_t size)> &use);
    void showHelp(int context);
    void showAbout();
    void launchCalculator();
    void showStatistics(const ByteStatistics &stats);
    bool runChecksumDialog(ChecksumRequest &request);
    void showChecksums(const ChecksumReport &report);
    void printDocument();

private:
    QWidget *m_window;
    EditorState &m_state;
    Editor &m_editor;
    Calculator m_calculator;
    // Created once and kept, so that what was typed into them stays.
    TGotoForm *m_gotoForm = nullptr;
    TInsertBytesForm *m_insertForm = nullptr;
    TClipboardForm *m_clipboardForm = nullptr;
    TFindForm *m_findForm = nullptr;
};

} // namespace vtm
