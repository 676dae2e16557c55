#pragma once

#include "app/Editor.h"
#include "app/EditorState.h"
#include "app/Host.h"
#include "app/Settings.h"
#include "gui/app/MainMenu.h"
#include "gui/platform/Calculator.h"
#include "gui/view/DumpFont.h"

#include <QMainWindow>
#include <QElapsedTimer>
#include <QTimer>

#include <array>

class QLabel;

namespace vtm {

class SpeedPanel;
class TClipboardForm;
class TFindForm;
class TGotoForm;
class TInsertBytesForm;
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

    // Start-up: the stored settings, and the window's place (a second copy opens offset).
    void applySettings(const Settings &settings);
    void placeWindow(const Settings &settings, int baseUnits, bool firstInstance);
    // Exit: the state's settings with the window's bounds, over the stored ones.
    Settings collectSettings(const Settings &stored, int baseUnits) const;

    // The file named on the command line, opened when the window is first shown.
    void openOnFirstShow(const QString &path) { m_openOnShow = path; }
    void loadFile(const QString &path);
    void runLayoutPass();

    // Host
    void invalidateView(int x, int y, int w, int h) override;
    void invalidateViewAll() override;
    void invalidatePanel() override;
    void scrollView(int dy) override;
    void updateNow() override;
    void requestLayout() override;
    void setStatusText(int panel, const std::string &text) override;
    void restartCursorTimer() override;
    void beep() override;
    void setCaption(const std::string &caption) override;
    int showMessage(const MessageRequest &request) override;
    void updateMenus(const MenuState &state) override;
    bool runFileDialog(FileDialogKind kind, const std::string &title, const std::string &directory,
                       const std::string &name, std::string *chosen) override;
    void closeMainWindow() override;
    void setLanguageCaptions(int language) override;
    void showHelp(int context) override;
    void showAbout() override;
    void launchCalculator() override;
    bool runGotoDialog(GotoFormMode mode, std::int32_t initial, std::int32_t *value) override;
    bool runInsertBytesDialog(bool append, ByteRunMemory &memory) override;
    bool runFindDialog(FindFormMode mode, FindState &state, int *result) override;
    ScreenMetrics screenMetrics() const override;
    std::vector<ClipboardEntry> clipboardEntries() override;
    bool withClipboardData(
        const std::string &mime,
        const std::function<void(const std::uint8_t *bytes, std::int64_t size)> &use) override;
    bool runClipboardChooser(const std::vector<std::string> &lines, int *index) override;
    void showStatistics() override;
    void printDocument() override;
    TClipboardForm *clipboardForm() const { return m_clipboardForm; }
    std::int64_t tickCount() const override;
    TFindForm *findForm() const { return m_findForm; }
    TGotoForm *gotoForm() const { return m_gotoForm; }
    TInsertBytesForm *insertBytesForm() const { return m_insertForm; }
    void setScrollInfo(int barKind, int range, int page, int position) override;
    int scrollPosition(int barKind) const override;
    int trackPosition(int barKind) const override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
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
    // Created once and kept, so that what was typed into them stays.
    TGotoForm *m_gotoForm = nullptr;
    TInsertBytesForm *m_insertForm = nullptr;
    TClipboardForm *m_clipboardForm = nullptr;
    TFindForm *m_findForm = nullptr;
    Calculator m_calculator{this};
    std::array<QLabel *, 3> m_status{};
    QTimer m_cursorTimer;
    QString m_openOnShow;
    bool m_shown = false;
    bool m_inLayout = false;
};

} // namespace vtm
