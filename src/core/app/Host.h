#pragma once

#include "document/Language.h"
#include "analysis/Checksums.h"
#include "analysis/Inspector.h"
#include "analysis/Statistics.h"
#include "app/Captions.h"
#include "app/ClipboardFormats.h"
#include "app/DeviceList.h"
#include "document/JobMeter.h"
#include "document/Message.h"
#include "edit/ByteRunCommands.h"
#include "search/FindState.h"
#include "search/Goto.h"
#include "view/TPlixScrollBar.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vtm {

struct MenuState;

// What the editor asks of the window system. The GUI implements it over Qt; core tests
// implement it with a scripted host that records the calls and answers from a queue.
class Host : public ScrollBarBackend
{
public:
    // Repaint this rectangle of the view's client area (view pixels) with the painters.
    virtual void invalidateView(int x, int y, int w, int h) = 0;
    virtual void invalidateViewAll() = 0;
    // The offset column and the header row.
    virtual void invalidatePanel() = 0;
    // Move the view's drawn pixels by dy and repaint only the uncovered strip.
    virtual void scrollView(int dy) = 0;
    // Carry out pending repaints of the panel and the view now.
    virtual void updateNow() = 0;
    // Run a layout pass with the window's current size.
    virtual void requestLayout() = 0;
    virtual void setStatusText(int panel, const std::string &text) = 0;
    // The data inspector's rows for the cursor (all empty without a readable byte there);
    // only while the inspector is shown.
    virtual void showInspector(const InspectorTexts &) {}
    // Puts the keys into the inspector's first field that can be typed over.
    virtual void focusInspector() {}
    virtual void restartCursorTimer() = 0;
    virtual void beep() = 0;
    virtual void setCaption(const std::string &caption) = 0;
    // A modal message box; returns the button pressed (MessageResult).
    virtual int showMessage(const MessageRequest &request) = 0;
    // Menu captions, check marks, enabled items and toolbar buttons.
    virtual void updateMenus(const MenuState &state) = 0;
    // A file chooser starting in directory with name proposed; false when cancelled.
    virtual bool runFileDialog(FileDialogKind kind, const std::string &title,
                               const std::string &directory, const std::string &name,
                               std::string *chosen) = 0;
    // Close the main window (the close query still decides).
    virtual void closeMainWindow() = 0;
    // Every caption, hint and title of the main window in this language.
    virtual void setLanguageCaptions(Language language) = 0;
    // The program's help at a context (1000 contents, 1500 character table).
    virtual void showHelp(int context) = 0;
    // The about box.
    virtual void showAbout() = 0;
    // Starts the calculator program of the settings (or the desktop's own).
    virtual void launchCalculator() = 0;
    // The go-to dialog (offset, or a count in its delete mode) opened with `initial`;
    // false when cancelled.
    virtual bool runGotoDialog(GotoFormMode mode, std::int64_t initial, std::int64_t *value) = 0;
    // The insert-bytes dialog over the remembered count and pattern, which it updates
    // (also when cancelled); false when cancelled.
    virtual bool runInsertBytesDialog(bool append, ByteRunMemory &memory) = 0;
    // The find dialog in a mode over the kept state, which it updates; false when
    // cancelled. *result: mrOk, FindResultAll or mrCancel.
    virtual bool runFindDialog(FindFormMode mode, FindState &state, int *result) = 0;
    // The screen the main window is on, and where the view's client area begins on it.
    struct ScreenMetrics
    {
        int width = 0, height = 0, viewTop = 0;
    };
    virtual ScreenMetrics screenMetrics() const = 0;
    // Milliseconds from any fixed start, never going back.
    virtual std::int64_t tickCount() const = 0;
    // The formats the clipboard offers now, in its order.
    virtual std::vector<ClipboardEntry> clipboardEntries() = 0;
    // Hands the data of one format to `use` while it is held; false when the clipboard
    // no longer offers it or it cannot be fetched.
    virtual bool withClipboardData(
        const std::string &mime,
        const std::function<void(const std::uint8_t *bytes, std::int64_t size)> &use) = 0;
    // Replaces what the clipboard holds: text (UTF-8), or bytes as the raw-bytes format
    // (RawBytesMime).
    virtual void putOnClipboard(const std::string &data, bool raw) = 0;
    // The Info/Statistic window over the current document, whose counts are these.
    virtual void showStatistics(const ByteStatistics &stats) = 0;
    // The checksum dialog: the algorithms and the bytes to run them over, which it updates;
    // false when cancelled.
    virtual bool runChecksumDialog(ChecksumRequest &request) = 0;
    // The results of a complete run, with their Copy button.
    virtual void showChecksums(const ChecksumReport &report) = 0;
    // The print dialog, then the job with its progress window.
    virtual void printDocument() = 0;
    // A long command begins: the returned meter lets the window run while the command
    // walks the document, shows the progress window named `title` once the job has run
    // for 0.4 s, and reports Stop. Destroying it ends the job and hides the window.
    virtual std::unique_ptr<JobMeter> startJob(const std::string &title) = 0;
    // The chooser of disks and partitions; false when cancelled, else *index is the chosen
    // entry.
    virtual bool runDeviceChooser(const std::vector<BlockDeviceEntry> &entries, int *index) = 0;
    // The chooser over these lines; false when cancelled, else *index is the chosen line.
    virtual bool runClipboardChooser(const std::vector<std::string> &lines, int *index) = 0;
};

} // namespace vtm
