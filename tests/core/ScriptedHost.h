#pragma once

#include "app/Editor.h"
#include "app/MenuState.h"
#include "app/Host.h"
#include "app/Texts.h"
#include "document/Color.h"
#include "view/Layout.h"

#include <array>
#include <cstdio>
#include <deque>
#include <optional>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <csignal>

#include <sys/resource.h>
#include <unistd.h>

namespace vtm {
// Readable failure messages.
inline void PrintTo(const CellPos &p, std::ostream *os)
{
    *os << "(col " << p.col << ", row " << p.row << ")";
}
} // namespace vtm

namespace vtmtest {

struct Rect
{
    int x, y, w, h;
    friend bool operator==(const Rect &, const Rect &) = default;
};

// Records what the editor asks of the window system and emulates its scroll bars.
class ScriptedHost : public vtm::Host
{
public:
    std::array<std::string, 3> status;
    int statusWrites = 0;
    std::vector<Rect> invalidated;
    int invalidateAllCount = 0, invalidatePanelCount = 0, updateNowCount = 0;
    int requestLayoutCount = 0, beepCount = 0, timerRestarts = 0;
    std::vector<int> scrolls;
    std::vector<vtm::MessageRequest> messages;
    std::deque<int> answers;
    std::string caption;
    vtm::MenuState menus;
    int menuUpdates = 0;
    // File choosers answer from this queue; an empty name (or none left) cancels.
    std::deque<std::string> chosenFiles;
    std::vector<std::string> dialogTitles;
    int aboutBoxes = 0;
    int calculatorLaunches = 0;
    int closeRequests = 0;
    std::optional<vtm::Language> captionLanguage;
    std::vector<int> helpContexts;
    std::vector<std::string> progress; // percentages shown in the third pane
    std::array<int, 2> range{}, page{}, position{}, track{};

    // When set, requestLayout runs the pass at once with this input.
    vtm::Editor *editor = nullptr;
    vtm::LayoutInput layout;
    vtm::LayoutResult lastLayout;

    void clearLog()
    {
        statusWrites = invalidateAllCount = invalidatePanelCount = updateNowCount = 0;
        requestLayoutCount = beepCount = timerRestarts = 0;
        invalidated.clear();
        scrolls.clear();
        messages.clear();
    }

    void invalidateView(int x, int y, int w, int h) override
    {
        invalidated.push_back({x, y, w, h});
    }
    void invalidateViewAll() override { ++invalidateAllCount; }
    void invalidatePanel() override { ++invalidatePanelCount; }
    void scrollView(int dy) override { scrolls.push_back(dy); }
    void updateNow() override { ++updateNowCount; }
    void requestLayout() override
    {
        ++requestLayoutCount;
        if (editor)
            lastLayout = editor->LayoutPass(layout);
    }
    void setStatusText(int panel, const std::string &text) override
    {
        ++statusWrites;
        status.at(std::size_t(panel)) = text;
        if (panel == 2 && !text.empty() && text.back() == '%')
            progress.push_back(text);
    }
    // The inspector's rows as last shown.
    vtm::InspectorTexts inspector;
    int inspectorUpdates = 0;
    void showInspector(const vtm::InspectorTexts &texts) override
    {
        inspector = texts;
        ++inspectorUpdates;
    }
    void restartCursorTimer() override { ++timerRestarts; }
    void beep() override { ++beepCount; }
    void setCaption(const std::string &text) override { caption = text; }
    // Answers from the queue; with none left, the first button of the set.
    int showMessage(const vtm::MessageRequest &request) override
    {
        messages.push_back(request);
        if (answers.empty()) {
            static const int results[] = {vtm::mrYes,   vtm::mrNo,    vtm::mrOk,     vtm::mrCancel,
                                          vtm::mrAbort, vtm::mrRetry, vtm::mrIgnore, vtm::mrAll};
            for (int bit = 0; bit < 8; ++bit)
                if (request.buttons & (1u << bit))
                    return results[bit];
            return vtm::mrCancel;
        }
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    void updateMenus(const vtm::MenuState &state) override
    {
        menus = state;
        ++menuUpdates;
    }
    bool runFileDialog(vtm::FileDialogKind, const std::string &title, const std::string &,
                       const std::string &, std::string *chosen) override
    {
        dialogTitles.push_back(title);
        if (chosenFiles.empty())
            return false;
        *chosen = chosenFiles.front();
        chosenFiles.pop_front();
        return !chosen->empty();
    }
    void closeMainWindow() override { ++closeRequests; }
    void setLanguageCaptions(vtm::Language language) override { captionLanguage = language; }
    void showHelp(int context) override { helpContexts.push_back(context); }
    void showAbout() override { ++aboutBoxes; }
    void launchCalculator() override { ++calculatorLaunches; }
    // The go-to dialog answers from this queue (none left: cancelled).
    std::deque<std::int64_t> gotoAnswers;
    std::vector<std::pair<vtm::GotoFormMode, std::int64_t>> gotoOpened;
    bool runGotoDialog(vtm::GotoFormMode mode, std::int64_t initial, std::int64_t *value) override
    {
        gotoOpened.emplace_back(mode, initial);
        if (gotoAnswers.empty())
            return false;
        *value = gotoAnswers.front();
        gotoAnswers.pop_front();
        return true;
    }
    // The find dialog confirms with this search string when set.
    std::deque<std::vector<std::uint8_t>> findAnswers;
    bool runFindDialog(vtm::FindFormMode mode, vtm::FindState &state, int *result) override
    {
        findModes.push_back(mode);
        state.SearchAccepted = false;
        if (!findScripts.empty()) {
            FindScript script = findScripts.front();
            findScripts.pop_front();
            if (script.edit)
                script.edit(state);
            *result = script.result;
            state.SearchAccepted =
                script.result == vtm::mrOk || script.result == vtm::FindResultAll;
            return state.SearchAccepted;
        }
        if (findAnswers.empty()) {
            *result = vtm::mrCancel;
            return false;
        }
        state.FindBytes = findAnswers.front();
        findAnswers.pop_front();
        state.SearchAccepted = true;
        *result = vtm::mrOk;
        return true;
    }
    // The find dialog in the replace and mark modes: each entry edits the kept state and
    // gives the dialog's result (mrOk, FindResultAll or mrCancel).
    struct FindScript
    {
        std::function<void(vtm::FindState &)> edit;
        int result;
    };
    std::deque<FindScript> findScripts;
    std::vector<vtm::FindFormMode> findModes;
    // The screen and the clock; each tickCount call moves the clock on by tickStep.
    ScreenMetrics screen{1200, 900, 100};
    std::int64_t ticks = 0, tickStep = 0;
    ScreenMetrics screenMetrics() const override { return screen; }
    std::int64_t tickCount() const override
    {
        auto *self = const_cast<ScriptedHost *>(this);
        self->ticks += tickStep;
        return ticks;
    }
    // The clipboard: its formats with their data; the chooser picks from this queue (none
    // left: cancelled). whileChoosing runs while the chooser is open, to change the clipboard.
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> clipboard;
    std::deque<int> clipboardChoices;
    void putOnClipboard(const std::string &data, bool raw) override
    {
        clipboard = {{raw ? vtm::RawBytesMime : "text/plain;charset=utf-8",
                      std::vector<std::uint8_t>(data.begin(), data.end())}};
    }
    std::vector<std::vector<std::string>> chooserLines;
    std::function<void()> whileChoosing;
    int statisticsShown = 0;
    vtm::ByteStatistics shownStatistics;
    void showStatistics(const vtm::ByteStatistics &stats) override
    {
        ++statisticsShown;
        shownStatistics = stats;
    }
    // The checksum dialog: edits the request as `checksumChoice` says (when set) and
    // answers `checksumAnswer`; what it was shown and what was reported is kept.
    std::function<void(vtm::ChecksumRequest &)> checksumChoice;
    bool checksumAnswer = true;
    std::vector<vtm::ChecksumRequest> checksumRequests;
    std::vector<vtm::ChecksumReport> checksumReports;
    bool runChecksumDialog(vtm::ChecksumRequest &request) override
    {
        checksumRequests.push_back(request);
        if (checksumChoice)
            checksumChoice(request);
        return checksumAnswer;
    }
    void showChecksums(const vtm::ChecksumReport &report) override
    {
        checksumReports.push_back(report);
    }
    int printed = 0;
    void printDocument() override { ++printed; }
    // Long commands: the titles of the jobs begun, the polls of the running one (each with
    // the work done by then), and a stop the user asks for at poll stopAtPoll (from 1;
    // 0: never) or whenever stopWhen says so.
    std::vector<std::string> jobTitles;
    std::vector<std::int64_t> polls;
    std::int64_t stopAtPoll = 0;
    std::function<bool(const vtm::JobMeter &)> stopWhen;
    int jobsEnded = 0;
    class Meter : public vtm::JobMeter
    {
    public:
        // Polls at every count, so that tiny documents meet every stop point.
        explicit Meter(ScriptedHost &host)
            : m_host(host)
        {
            setPollEvery(0);
        }
        ~Meter() override { ++m_host.jobsEnded; }
        Meter(const Meter &) = delete;
        Meter &operator=(const Meter &) = delete;

    protected:
        bool poll() override
        {
            m_host.polls.push_back(done());
            if (m_host.stopAtPoll > 0 && std::int64_t(m_host.polls.size()) >= m_host.stopAtPoll)
                return false;
            return !(m_host.stopWhen && m_host.stopWhen(*this));
        }

    private:
        ScriptedHost &m_host;
    };
    std::unique_ptr<vtm::JobMeter> startJob(const std::string &title) override
    {
        jobTitles.push_back(title);
        polls.clear();
        return std::make_unique<Meter>(*this);
    }
    std::vector<vtm::ClipboardEntry> clipboardEntries() override
    {
        std::vector<vtm::ClipboardEntry> entries;
        for (const auto &[mime, bytes] : clipboard)
            entries.push_back({mime, std::int64_t(bytes.size())});
        return entries;
    }
    bool
    withClipboardData(const std::string &mime,
                      const std::function<void(const std::uint8_t *, std::int64_t)> &use) override
    {
        for (const auto &[name, bytes] : clipboard)
            if (name == mime) {
                use(bytes.data(), std::int64_t(bytes.size()));
                return true;
            }
        return false;
    }
    // The device chooser picks these entries (by path) when set; cancelled otherwise.
    std::deque<std::string> deviceChoices;
    std::vector<std::vector<vtm::BlockDeviceEntry>> deviceLists;
    bool runDeviceChooser(const std::vector<vtm::BlockDeviceEntry> &entries, int *index) override
    {
        deviceLists.push_back(entries);
        if (deviceChoices.empty())
            return false;
        const std::string path = deviceChoices.front();
        deviceChoices.pop_front();
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i].path == path) {
                *index = int(i);
                return true;
            }
        return false;
    }
    bool runClipboardChooser(const std::vector<std::string> &lines, int *index) override
    {
        chooserLines.push_back(lines);
        if (whileChoosing)
            whileChoosing();
        if (clipboardChoices.empty())
            return false;
        *index = clipboardChoices.front();
        clipboardChoices.pop_front();
        return true;
    }
    // The insert dialog confirms these (count, pattern) when set.
    std::deque<std::pair<std::int32_t, std::vector<std::uint8_t>>> insertAnswers;
    bool runInsertBytesDialog(bool, vtm::ByteRunMemory &memory) override
    {
        if (insertAnswers.empty())
            return false;
        memory.InsertCount = insertAnswers.front().first;
        memory.InsertPattern = insertAnswers.front().second;
        insertAnswers.pop_front();
        return true;
    }
    void setScrollInfo(int kind, int r, int p, int pos) override
    {
        const auto k = std::size_t(kind);
        range.at(k) = r;
        page.at(k) = p;
        position.at(k) = vtm::ClampScrollPosition(r, p, pos);
    }
    int trackPosition(int kind) const override { return track.at(std::size_t(kind)); }
};

inline std::vector<std::uint8_t> BytesOf(const vtm::Document &d)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(d.BufferSize()));
    d.ReadBytes(0, d.BufferSize(), bytes.data());
    return bytes;
}

inline std::vector<std::uint8_t> MarksOf(const vtm::Document &d)
{
    std::vector<std::uint8_t> marks(static_cast<std::size_t>(d.BufferSize()));
    d.MarkRuns().read(0, d.BufferSize(), marks.data());
    return marks;
}

inline std::vector<std::uint8_t> Iota(int n)
{
    std::vector<std::uint8_t> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        v[std::size_t(i)] = std::uint8_t(i);
    return v;
}

// Marks by offset from 0, one character per byte: '.' unmarked, '1'..'6' a colour.
inline void SetMarks(vtm::Document &doc, const std::string &marks)
{
    for (std::size_t i = 0; i < marks.size(); ++i)
        doc.SetMark(std::int32_t(i), marks[i] == '.' ? 0 : std::uint8_t(marks[i] - '0'));
}

// An editor with an 8x16 font on a loaded document, after one layout pass, log cleared.
class Rig
{
public:
    vtm::EditorState s;
    ScriptedHost host;
    vtm::Editor ed{s, host};

    explicit Rig(const std::vector<std::uint8_t> &bytes, int visibleRows = 10, bool hex = true)
    {
        s.view.fontCharWidth = 8;
        s.view.fontCharHeight = 16;
        s.view.HexMode = hex;
        s.doc.loadBytes(bytes.data(), std::int64_t(bytes.size()));
        host.editor = &ed;
        // toolbar 30, status bar 20, panel frame 4, scroll bar 17
        host.layout = {(visibleRows + 1) * 17 + 53, 30, 20, 4, 17};
        ed.ApplyLanguage();
        host.requestLayout();
        host.clearLog();
    }

    vtm::CellPos cursor() const { return {s.view.CursorCol, s.view.CursorRow}; }
    void place(int col, int row)
    {
        ed.MoveCursorTo(col, row, false);
        host.clearLog();
    }
};

inline std::vector<std::uint8_t> ReadFile(const std::string &path)
{
    std::vector<std::uint8_t> bytes;
    if (std::FILE *f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF)
            bytes.push_back(std::uint8_t(c));
        std::fclose(f);
    }
    return bytes;
}

inline void WriteFile(const std::string &path, const std::vector<std::uint8_t> &bytes)
{
    if (std::FILE *f = std::fopen(path.c_str(), "wb")) {
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

// While it lives, no file may grow past this size: a full disk that holds for root too.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
        : m_handler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    void (*m_handler)(int);
    rlimit m_saved{};
};

// A directory of the test's own, removed with everything in it at the end.
struct TempDir
{
    std::string path;
    TempDir()
    {
        static int n = 0;
        path = (std::filesystem::temp_directory_path()
                / ("vtm_dir_" + std::to_string(getpid()) + "_" + std::to_string(++n)))
                   .string();
        std::filesystem::create_directories(path);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    std::string operator/(const std::string &name) const { return path + "/" + name; }
};

// A file in the temporary directory, removed at the end of the test.
struct TempFile
{
    std::string path;

    explicit TempFile(const std::vector<std::uint8_t> &bytes)
    {
        static int counter = 0;
        path = (std::filesystem::temp_directory_path()
                / ("vtm_test_" + std::to_string(getpid()) + "_" + std::to_string(++counter)))
                   .string();
        if (std::FILE *f = std::fopen(path.c_str(), "wb")) {
            if (!bytes.empty())
                std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
    }
    ~TempFile()
    {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;
};

} // namespace vtmtest
