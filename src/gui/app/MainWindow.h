#pragma once

#include "document/Language.h"
#include "app/Editor.h"
#include "app/EditorState.h"
#include "app/Host.h"
#include "app/Settings.h"
#include "gui/app/MainMenu.h"
#include "gui/app/WindowDialogs.h"
#include "gui/platform/Clipboard.h"
#include "gui/view/DumpFont.h"

#include <QMainWindow>
#include <QElapsedTimer>
#include <QTimer>

#include <array>

class QLabel;

namespace vtm {

class InspectorPanel;
class JobWindow;
class SpeedPanel;
class TPlixBox;
class TPlixMainPanel;

// The editor's one window: hosts the panel and the view, the status bar and the cursor
// timer, maps Qt events onto the editor's commands and carries out what they ask.
class MainWindow : public QMainWindow, public Host
{
    Q_OBJECT
public:
    MainWindow();
    ~MainWindow() override;

    EditorState &state() { return m_state; }
    Editor &editor() { return m_editor; }
    TPlixBox *view() const { return m_view; }
    TPlixMainPanel *panel() const { return m_panel; }
    QLabel *statusPanel(int i) const { return m_status[std::size_t(i)]; }
    QTimer &cursorTimer() { return m_cursorTimer; }
    MainMenu *mainMenu() const { return m_menu; }
    SpeedPanel *speedPanel() const { return m_speed; }
    JobWindow *jobWindow() const { return m_jobs; }
    InspectorPanel *inspector() const { return m_inspector; }

    // Start-up: the stored settings, and the window's place (a second copy opens offset).
    void applySettings(const Settings &settings);
    void placeWindow(const Settings &settings, int baseUnits, bool firstInstance);
    // Exit: the state's settings with the window's bounds, over the stored ones.
    Settings collectSettings(const Settings &stored, int baseUnits) const;

    // The file named on the command line, opened when the window is first shown.
    // Names are the bytes the system knows the file by.
    void openOnFirstShow(const std::string &path) { m_openOnShow = path; }
    void openOnFirstShow(const QString &path);
    void loadFile(const std::string &path);
    void loadFile(const QString &path);
    void runLayoutPass();

    TGotoForm *gotoForm() const { return m_dialogs.gotoForm(); }
    TInsertBytesForm *insertBytesForm() const { return m_dialogs.insertBytesForm(); }
    TClipboardForm *clipboardForm() const { return m_dialogs.clipboardForm(); }
    TFindForm *findForm() const { return m_dialogs.findForm(); }

    // Host
    void invalidateView(int x, int y, int w, int h) override;
    void invalidateViewAll() override;
    void invalidatePanel() override;
    void scrollView(int dy) override;
    void updateNow() override;
    void requestLayout() override;
    void setStatusText(int panel, const std::string &text) override;
    void showInspector(const InspectorTexts &texts) override;
    void focusInspector() override;
    void restartCursorTimer() override;
    void beep() override;
    void setCaption(const std::string &caption) override;
    void updateMenus(const MenuState &state) override;
    void closeMainWindow() override;
    void setLanguageCaptions(Language language) override;
    ScreenMetrics screenMetrics() const override;
    std::int64_t tickCount() const override;
    void setScrollInfo(int barKind, int range, int page, int position) override;
    int trackPosition(int barKind) const override;

    // Host: what the window's dialogs and the desktop answer
    int showMessage(const MessageRequest &request) override
    {
        const JobPause pause(m_jobs);
        return m_dialogs.showMessage(request);
    }
    bool runFileDialog(FileDialogKind kind, const std::string &title, const std::string &directory,
                       const std::string &name, std::string *chosen) override
    {
        const JobPause pause(m_jobs);
        return m_dialogs.runFileDialog(kind, title, directory, name, chosen);
    }
    bool runGotoDialog(GotoFormMode mode, std::int64_t initial, std::int64_t *value) override
    {
        return m_dialogs.runGotoDialog(mode, initial, value);
    }
    bool runInsertBytesDialog(bool append, ByteRunMemory &memory) override
    {
        return m_dialogs.runInsertBytesDialog(append, memory);
    }
    bool runFindDialog(FindFormMode mode, FindState &state, int *result) override
    {
        return m_dialogs.runFindDialog(mode, state, result);
    }
    bool runDeviceChooser(const std::vector<BlockDeviceEntry> &entries, int *index) override
    {
        return m_dialogs.runDeviceChooser(entries, index);
    }
    bool runClipboardChooser(const std::vector<std::string> &lines, int *index) override
    {
        const JobPause pause(m_jobs);
        return m_dialogs.runClipboardChooser(lines, index);
    }
    std::vector<ClipboardEntry> clipboardEntries() override { return m_dialogs.clipboardEntries(); }
    void putOnClipboard(const std::string &data, bool raw) override { PutOnClipboard(data, raw); }
    bool withClipboardData(
        const std::string &mime,
        const std::function<void(const std::uint8_t *bytes, std::int64_t size)> &use) override
    {
        return m_dialogs.withClipboardData(mime, use);
    }
    void showHelp(int context) override { m_dialogs.showHelp(context); }
    void showAbout() override { m_dialogs.showAbout(); }
    void launchCalculator() override { m_dialogs.launchCalculator(); }
    void showStatistics(const ByteStatistics &stats) override { m_dialogs.showStatistics(stats); }
    bool runChecksumDialog(ChecksumRequest &request) override
    {
        return m_dialogs.runChecksumDialog(request);
    }
    void showChecksums(const ChecksumReport &report) override { m_dialogs.showChecksums(report); }
    void printDocument() override { m_dialogs.printDocument(); }
    std::unique_ptr<JobMeter> startJob(const std::string &title) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // A dialog asked for inside a job: the progress window steps aside while it is up.
    class JobPause
    {
    public:
        explicit JobPause(JobWindow *jobs);
        ~JobPause();
        JobPause(const JobPause &) = delete;
        JobPause &operator=(const JobPause &) = delete;

    private:
        JobWindow *m_jobs;
    };

    void onCursorTimer();
    bool pointerInView() const;

    EditorState m_state;
    Editor m_editor;
    DumpFont m_font;
    TPlixMainPanel *m_panel = nullptr;
    TPlixBox *m_view = nullptr;
    QElapsedTimer m_ticks;
    MainMenu *m_menu = nullptr;
    SpeedPanel *m_speed = nullptr;
    JobWindow *m_jobs = nullptr;
    InspectorPanel *m_inspector = nullptr;
    WindowDialogs m_dialogs{this, m_state, m_editor, m_font.font()};
    std::array<QLabel *, 3> m_status{};
    QTimer m_cursorTimer;
    std::string m_openOnShow;
    bool m_shown = false;
    bool m_inLayout = false;
};

} // namespace vtm
