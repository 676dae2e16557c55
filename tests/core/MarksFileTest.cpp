#include "ScriptedHost.h"

#include "document/Language.h"
#include "document/SafeFile.h"
#include "edit/TActions.h"
#include "edit/TCompoundMarkAction.h"
#include "marks/MarksContext.h"
#include "marks/MarksFile.h"
#include "marks/MarksFileCommands.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <sys/resource.h>
#include <unistd.h>

using namespace vtm;
using vtmtest::ReadFile;
using vtmtest::TempDir;
using vtmtest::WriteFile;
namespace fs = std::filesystem;

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes Magic()
{
    return Bytes(MarksMagic.begin(), MarksMagic.end());
}

Bytes ShortMagic()
{
    return Bytes(MarksMagic.begin(), MarksMagic.end() - 1);
}

Bytes MarksFileOf(const Bytes &runs)
{
    Bytes file = Magic();
    file.insert(file.end(), runs.begin(), runs.end());
    return file;
}

// Marks written as text: '.' unmarked, '1'..'7' a colour index.
Bytes MarksFromText(const std::string &text)
{
    Bytes marks;
    for (const char c : text)
        marks.push_back(c == '.' ? 0 : std::uint8_t(c - '0'));
    return marks;
}

Bytes MarksOf(const Document &doc)
{
    Bytes marks(static_cast<std::size_t>(doc.BufferSize()));
    doc.MarkRuns().read(0, doc.BufferSize(), marks.data());
    return marks;
}

// The straightforward per-byte encoder, to hold the fast one against.
Bytes NaiveEncode(const Bytes &marks)
{
    Bytes runs;
    std::int64_t last = std::int64_t(marks.size()) - 1;
    while (last >= 0 && marks[std::size_t(last)] == 0)
        --last;
    if (last < 0)
        return runs;
    int run = 0;
    std::uint8_t k = marks[0];
    for (std::int64_t j = 0; j <= last; ++j) {
        if (j == last || run == 31 || marks[std::size_t(j + 1)] != k) {
            runs.push_back(std::uint8_t(run * 8 + k));
            run = 0;
            if (j < last)
                k = marks[std::size_t(j + 1)];
        } else {
            ++run;
        }
    }
    return runs;
}

// The straightforward decoder: the marks the document should have after loading.
Bytes NaiveDecode(Bytes marks, const Bytes &runs)
{
    std::size_t i = 0;
    for (const std::uint8_t r : runs) {
        const std::uint8_t k = (r & 7) == 7 ? 0 : r & 7;
        for (int n = (r >> 3) + 1; n > 0 && i < marks.size(); --n)
            marks[i++] = k;
    }
    for (; i < marks.size(); ++i)
        marks[i] = 0;
    return marks;
}

// Stands in for the editor: records what the commands ask, answers from queues.
class MarksRig : public MarksContext
{
public:
    Document doc;
    TActions history;
    vtm::Language language = LanguageEnglish;
    int commands = 0;
    int cursorMoves = 0, invalidations = 0, viewUpdates = 0, menuUpdates = 0;
    std::vector<std::string> progress;
    std::vector<MessageRequest> messages;
    std::deque<int> answers;
    // File choosers answer from this queue; none left cancels.
    std::deque<std::string> chosenFiles;
    int dialogs = 0;
    bool backUp = false;
    std::string initialDir = "/start", fileName;

    explicit MarksRig(std::int64_t size = 0)
    {
        history.setContext(this);
        const Bytes bytes(std::size_t(size), 0x41);
        doc.loadBytes(bytes.data(), size);
    }

    void setMarks(const Bytes &marks) { doc.SetMarks(0, marks.data(), std::int64_t(marks.size())); }

    Document &Doc() override { return doc; }
    TActions &History() override { return history; }
    vtm::Language Language() const override { return language; }
    int NextCommandNumber() override { return ++commands; }
    std::int64_t CursorOffset() const override { return 0; }
    bool CursorInCharArea() const override { return false; }
    void MoveCursorToOffset(std::int64_t, bool, bool) override { ++cursorMoves; }
    void RequestLayout() override {}
    void UpdateView() override { ++viewUpdates; }
    void InvalidateView() override { ++invalidations; }
    void UpdateMainWindow() override {}
    void Beep() override {}
    int ShowMessageDlg(const std::string &text, MessageKind kind, unsigned buttons,
                       int helpContext) override
    {
        messages.push_back({text, kind, buttons, helpContext});
        return answer();
    }
    int ShowMessageDlgDefault(const std::string &text, MessageKind kind, unsigned buttons,
                              int helpContext, unsigned defaultButton) override
    {
        MessageRequest m{text, kind, buttons, helpContext};
        m.variant = MessageVariant::WithDefault;
        m.defaultButton = defaultButton;
        messages.push_back(m);
        return answer();
    }
    void ShowProgress(const std::string &text) override { progress.push_back(text); }
    void UpdateMenus() override { ++menuUpdates; }
    bool RunMarksDialog(bool, const std::string &, const std::string &,
                        std::string *chosen) override
    {
        ++dialogs;
        if (chosenFiles.empty())
            return false;
        *chosen = chosenFiles.front();
        chosenFiles.pop_front();
        return true;
    }
    bool CreateBackUp() const override { return backUp; }
    std::string &MarksInitialDir() override { return initialDir; }
    std::string &MarksFileName() override { return fileName; }

private:
    int answer()
    {
        if (answers.empty())
            return mrOk;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
};

// Loads a marks file held in memory onto the rig's document as one step.
bool Load(MarksRig &r, const Bytes &file)
{
    auto changes =
        std::make_unique<TCompoundMarkAction>(ActionKind::LoadMark, r.NextCommandNumber(), false);
    if (!DecodeMarks(r.doc, *changes, file.data(), file.size()))
        return false;
    if (!changes->Empty())
        r.history.AddAction(std::move(changes), false);
    return true;
}

Bytes RandomMarks(std::mt19937 &rng, std::size_t n)
{
    Bytes marks(n, 0);
    const int style = int(rng() % 4);
    std::size_t i = 0;
    while (i < n) {
        // Runs of one colour, long or short, with much or little left unmarked.
        const std::size_t len = 1 + rng() % (style == 0 ? 3 : style == 1 ? 40 : 300);
        const std::uint8_t colour = rng() % (style == 3 ? 8 : 2) == 0 ? std::uint8_t(rng() % 7) : 0;
        for (std::size_t j = i; j < std::min(n, i + len); ++j)
            marks[j] = colour;
        i += len;
    }
    return marks;
}
} // namespace

TEST(MarksFile, EncodesRuns)
{
    struct Case
    {
        std::string marks;
        Bytes runs;
    };
    const Case cases[] = {
        {"..111....6", {0x08, 0x11, 0x18, 0x06}},
        {"", {}},
        {"..........", {}},
        {"3.........", {0x03}},
        {std::string(40, '1') + "..", {0xF9, 0x39}},
        {std::string(32, '5') + "....", {0xFD}},
        {std::string(33, '5') + "....", {0xFD, 0x05}},
        {std::string(100, '.') + "2", {0xF8, 0xF8, 0xF8, 0x18, 0x02}},
        {"6" + std::string(63, '6') + "1", {0xFE, 0xFE, 0x01}},
    };
    for (const Case &c : cases) {
        MarksRig r{std::int64_t(c.marks.size())};
        r.setMarks(MarksFromText(c.marks));
        EXPECT_EQ(EncodeMarks(r.doc), MarksFileOf(c.runs)) << c.marks;
    }

    // 256 runs exactly.
    MarksRig r(300);
    Bytes alternate(256);
    for (std::size_t i = 0; i < alternate.size(); ++i)
        alternate[i] = std::uint8_t(1 + i % 2);
    r.setMarks(alternate);
    EXPECT_EQ(EncodeMarks(r.doc).size(), 25u + 256u);
}

TEST(MarksFile, DecodesOntoTheDocument)
{
    struct Case
    {
        std::string before;
        Bytes runs;
        std::string after;
    };
    const Case cases[] = {
        {"..........", {0x08, 0x11, 0x18, 0x06}, "..111....6"},
        // Longer than the document: only its bytes are marked; huge runs are cut.
        {"....", {0x08, 0x11, 0x18, 0x06}, "..11"},
        {"....", {0xF9, 0xFA, 0xFB}, "1111"},
        // Shorter: the bytes it does not describe become unmarked.
        {"44444444", {0x11}, "111....."},
        {"44444444", {}, "........"},
        // Index 7 is no colour.
        {"2222", {0x0F, 0x03}, "..3."},
        {"1.1.", {0x18}, "...."},
    };
    for (const Case &c : cases) {
        MarksRig r{std::int64_t(c.before.size())};
        r.setMarks(MarksFromText(c.before));
        ASSERT_TRUE(Load(r, MarksFileOf(c.runs)));
        EXPECT_EQ(MarksOf(r.doc), MarksFromText(c.after)) << c.before;
        EXPECT_EQ(r.doc.MarkedCount(),
                  std::count_if(c.after.begin(), c.after.end(), [](char m) { return m != '.'; }));
    }

    // Not a marks file: nothing recorded.
    MarksRig r(8);
    r.setMarks(MarksFromText("1..2..3."));
    Bytes wrong = MarksFileOf({0x00});
    wrong[24] = '2';
    for (const Bytes &bad : {Bytes{}, ShortMagic(), wrong}) {
        TCompoundMarkAction changes(ActionKind::LoadMark, 1, false);
        EXPECT_FALSE(DecodeMarks(r.doc, changes, bad.data(), bad.size()));
        EXPECT_TRUE(changes.Empty());
    }

    // Fed in blocks of any size, the runs give the same as whole.
    const Bytes runs{0x08, 0x11, 0xFB, 0x18, 0x06, 0x00, 0x0A};
    MarksRig whole(60), split(60);
    ASSERT_TRUE(Load(whole, MarksFileOf(runs)));
    TCompoundMarkAction changes(ActionKind::LoadMark, 1, false);
    MarksDecoder decoder(split.doc, changes);
    for (const std::uint8_t b : runs)
        EXPECT_TRUE(decoder.Feed(&b, 1));
    EXPECT_EQ(decoder.Described(), 2 + 3 + 32 + 4 + 1 + 1 + 2);
    decoder.UnmarkRest();
    const Bytes wholeMarks = MarksOf(whole.doc);
    EXPECT_EQ(wholeMarks[44], 2);
    for (std::int32_t p = 0; p < 60; ++p)
        EXPECT_EQ(changes.ColourAfter(split.doc, p), wholeMarks[std::size_t(p)]) << p;
}

// The undo step a load makes, and the percentages both directions show.
TEST(MarksFile, OneUndoStepAndProgress)
{
    MarksRig r(1000);
    Bytes before(1000, 0);
    before[999] = 4;
    before[10] = 2;
    r.setMarks(before);
    const Bytes file = MarksFileOf({0x08, 0x11}); // bytes 2..4 red
    ASSERT_TRUE(Load(r, file));
    EXPECT_EQ(r.history.UndoName(), "(5 * Load mark)"); // 3 marked, 2 unmarked
    EXPECT_EQ(r.doc.MarkedCount(), 3);
    EXPECT_EQ(r.doc.ChangeCount(), 0);
    r.history.Undo();
    EXPECT_EQ(MarksOf(r.doc), before);
    r.history.Redo();

    // Loading what the document already has records nothing.
    const int steps = r.history.ActionCount();
    ASSERT_TRUE(Load(r, file));
    EXPECT_EQ(r.history.ActionCount(), steps);
    EXPECT_EQ(r.history.UndoName(), "(5 * Load mark)");

    std::mt19937 rng(7);
    MarksRig big(1 << 20);
    big.setMarks(RandomMarks(rng, 1 << 20));
    std::vector<int> shown;
    const MarksProgress record = [&](int p) { shown.push_back(p); };
    const Bytes encoded = EncodeMarks(big.doc, record);
    const auto rising = [&] {
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_GT(shown[i], i == 0 ? 0 : shown[i - 1]);
            EXPECT_LE(shown[i], 100);
        }
    };
    rising();
    EXPECT_GE(shown.size(), 95u);
    shown.clear();
    MarksRig onto(1 << 20);
    TCompoundMarkAction changes(ActionKind::LoadMark, 1, false);
    ASSERT_TRUE(DecodeMarks(onto.doc, changes, encoded.data(), encoded.size(), record));
    rising();
    EXPECT_GE(shown.size(), 95u);
}

TEST(MarksFile, RandomMarkingsRoundTrip)
{
    std::mt19937 rng(42);
    for (int round = 0; round < 300; ++round) {
        const std::size_t n = round % 50 == 0 ? 70000 + rng() % 5000 : 1 + rng() % 3000;
        const Bytes marks = RandomMarks(rng, n);
        MarksRig r{std::int64_t(n)};
        r.setMarks(marks);
        const Bytes file = EncodeMarks(r.doc);
        ASSERT_EQ(file, MarksFileOf(NaiveEncode(marks))) << "length " << n;

        // Onto another marking of another length.
        const std::size_t m = rng() % 2 ? n : 1 + rng() % (2 * n);
        MarksRig onto{std::int64_t(m)};
        const Bytes old = RandomMarks(rng, m);
        onto.setMarks(old);
        ASSERT_TRUE(Load(onto, file));
        Bytes expected(marks.begin(), marks.begin() + std::ptrdiff_t(std::min(n, m)));
        expected.resize(m, 0);
        ASSERT_EQ(MarksOf(onto.doc), expected) << "length " << n << " onto " << m;
        if (onto.history.CanUndo()) {
            onto.history.Undo();
            ASSERT_EQ(MarksOf(onto.doc), old);
        }
    }
}

// Random and damaged files: the decoder stays in bounds and does what the simple
// reading of the format says. VTM_FUZZ_SECONDS makes a longer run.
TEST(MarksFuzz, RandomAndMutatedFiles)
{
    const char *env = std::getenv("VTM_FUZZ_SECONDS");
    const double seconds = env && *env ? std::strtod(env, nullptr) : 1.0;
    const char *seedEnv = std::getenv("VTM_FUZZ_SEED");
    std::mt19937 rng(seedEnv && *seedEnv ? unsigned(std::strtoul(seedEnv, nullptr, 10)) : 1);
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    long inputs = 0;
    while (std::chrono::steady_clock::now() < until && !HasFailure()) {
        ++inputs;
        const std::size_t size = rng() % 4 == 0 ? rng() % 5 : rng() % 2000;
        Bytes file;
        if (rng() % 2) {
            file = MarksFileOf(NaiveEncode(RandomMarks(rng, rng() % 3000)));
            for (int e = int(rng() % 6); e > 0 && !file.empty(); --e) {
                const std::size_t at = rng() % file.size();
                switch (rng() % 4) {
                case 0: file[at] = std::uint8_t(rng()); break;
                case 1: file.resize(at); break;
                case 2: file.insert(file.begin() + std::ptrdiff_t(at), rng() % 40, 0xFF); break;
                default: file.erase(file.begin() + std::ptrdiff_t(at)); break;
                }
            }
        } else {
            file = Magic();
            for (std::size_t i = rng() % 600; i > 0; --i)
                file.push_back(std::uint8_t(rng()));
        }
        MarksRig r{std::int64_t(size)};
        const Bytes old = RandomMarks(rng, size);
        r.setMarks(old);
        int last = 0;
        TCompoundMarkAction changes(ActionKind::LoadMark, 1, false);
        const bool ok = DecodeMarks(r.doc, changes, file.data(), file.size(), [&](int p) {
            ASSERT_GT(p, last);
            ASSERT_LE(p, 100);
            last = p;
        });
        ASSERT_EQ(ok, file.size() >= 25
                          && std::equal(file.begin(), file.begin() + 25, MarksMagic.begin()));
        if (!ok)
            continue;
        const Bytes expected = NaiveDecode(old, Bytes(file.begin() + 25, file.end()));
        for (std::size_t p = 0; p < size; ++p)
            ASSERT_EQ(changes.ColourAfter(r.doc, std::int32_t(p)), expected[p]) << p;
    }
    EXPECT_GT(inputs, 100);
}

TEST(MarksCommands, OpenMarks)
{
    TempDir dir;
    const std::string good = dir / "colours.mrk", bad = dir / "other.mrk";
    WriteFile(good, MarksFileOf({0x08, 0x11, 0x18, 0x06}));
    WriteFile(bad, ShortMagic());

    for (const Language language : {LanguageEnglish, LanguageGerman}) {
        MarksRig r(12);
        r.language = language;
        r.setMarks(MarksFromText("...........5"));
        r.fileName = "/old/x.mrk";
        r.chosenFiles = {good};
        OpenMarks(r);
        EXPECT_EQ(MarksOf(r.doc), MarksFromText("..111....6.."));
        EXPECT_EQ(r.history.ActionCount(), 1);
        EXPECT_EQ(r.history.UndoName(),
                  language == LanguageEnglish ? "(5 * Load mark)" : "(5 * Markierung laden)");
        EXPECT_EQ(r.cursorMoves, 0);
        EXPECT_TRUE(r.messages.empty());
        EXPECT_EQ(r.fileName, good);
        EXPECT_EQ(r.initialDir, dir.path);
        EXPECT_EQ(r.progress.back(), "");
        EXPECT_EQ(r.menuUpdates, 1);
        EXPECT_GE(r.invalidations, 1);

        // The same again: nothing to record, no step.
        r.chosenFiles = {good};
        OpenMarks(r);
        EXPECT_EQ(r.history.ActionCount(), 1);

        // Wrong magic, a file too short, a missing one, a directory: nothing changes.
        const std::string missing = dir / "missing.mrk";
        const std::pair<std::string, std::string> failures[] = {
            {bad,
             language == LanguageEnglish ? "Not a compatible file!" : "Inkompatibles Dateiformat!"},
            {missing, language == LanguageEnglish
                          ? "Reading failed!\rWhile opening: no such file or folder."
                          : "Konnte nicht lesen!\rBeim Öffnen: Datei oder Ordner existiert nicht."},
            {dir.path, language == LanguageEnglish ? "Reading failed!\rIt is a folder."
                                                   : "Konnte nicht lesen!\rEs ist ein Ordner."},
        };
        for (const auto &[name, text] : failures) {
            r.chosenFiles = {name};
            OpenMarks(r);
            ASSERT_FALSE(r.messages.empty()) << name;
            EXPECT_EQ(r.messages.back().text, text);
            EXPECT_EQ(r.messages.back().kind, MessageKind::Error);
            EXPECT_EQ(r.fileName, good) << name;
            EXPECT_EQ(r.history.ActionCount(), 1);
            EXPECT_EQ(MarksOf(r.doc), MarksFromText("..111....6.."));
        }

        // Cancelled: the previous name stays.
        r.fileName = "/d/prev.mrk";
        OpenMarks(r);
        EXPECT_EQ(r.fileName, "/d/prev.mrk");
        EXPECT_EQ(r.initialDir, "/d");
    }

    // An empty document: not even the dialog.
    MarksRig empty;
    empty.chosenFiles = {good};
    OpenMarks(empty);
    EXPECT_EQ(empty.dialogs, 0);
    EXPECT_EQ(empty.menuUpdates, 0);
    EXPECT_EQ(empty.fileName, "");

    // A file of only the magic unmarks everything in one step.
    const std::string blank = dir / "blank.mrk";
    WriteFile(blank, Magic());
    MarksRig r(5);
    r.setMarks(MarksFromText("12.45"));
    r.chosenFiles = {blank};
    OpenMarks(r);
    EXPECT_EQ(r.doc.MarkedCount(), 0);
    EXPECT_EQ(r.history.UndoName(), "(4 * Load mark)");
}

TEST(MarksCommands, SaveMarksAs)
{
    TempDir dir;
    const std::string target = dir / "colours.mrk", backup = dir / "colours.~mr";
    MarksRig r(10);
    r.setMarks(MarksFromText("..111....6"));
    const Bytes expected = MarksFileOf({0x08, 0x11, 0x18, 0x06});

    r.chosenFiles = {target};
    SaveMarksAs(r);
    EXPECT_EQ(ReadFile(target), expected);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(r.fileName, target);
    EXPECT_EQ(r.initialDir, dir.path);
    EXPECT_EQ(r.progress.back(), "");
    EXPECT_FALSE(r.history.CanUndo());

    // Overwriting asks, with No as the safe default; Yes with backups on keeps the old one.
    r.backUp = true;
    r.setMarks(MarksFromText("3........."));
    r.chosenFiles = {target};
    r.answers = {mrYes};
    SaveMarksAs(r);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text, "File " + target + " already exists. Overwrite existing file?");
    EXPECT_EQ(r.messages[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(r.messages[0].buttons, unsigned(mbYesNoCancel));
    EXPECT_EQ(r.messages[0].defaultButton, unsigned(mbNo));
    EXPECT_EQ(ReadFile(target), MarksFileOf({0x03}));
    EXPECT_EQ(ReadFile(backup), expected);

    // No, then the dialog is cancelled; Cancel; No, then another name.
    r.fileName = "/prev/p.mrk";
    r.chosenFiles = {target};
    r.answers = {mrNo};
    r.language = LanguageGerman;
    SaveMarksAs(r);
    EXPECT_EQ(r.messages.back().text,
              "Die Datei " + target + " existiert bereits. Bestehende Datei überschreiben?");
    r.chosenFiles = {target};
    r.answers = {mrCancel};
    SaveMarksAs(r);
    EXPECT_EQ(r.dialogs, 5);
    EXPECT_EQ(r.fileName, "/prev/p.mrk");
    EXPECT_EQ(r.initialDir, "/prev");
    const std::string other = dir / "other";
    r.chosenFiles = {target, other};
    r.answers = {mrNo};
    SaveMarksAs(r);
    EXPECT_EQ(ReadFile(other), MarksFileOf({0x03}));
    EXPECT_FALSE(fs::exists(dir / "other.~"));
    EXPECT_EQ(r.fileName, other);
    EXPECT_EQ(ReadFile(backup), expected);

    // A failed write leaves the old file and the old backup as they were.
    r.setMarks(MarksFromText("4444444444"));
    {
        const vtmtest::FileSizeLimit full(1);
        r.chosenFiles = {target};
        r.answers = {mrYes};
        SaveMarksAs(r);
    }
    EXPECT_EQ(r.messages.back().text,
              "Konnte nicht schreiben!\rBeim Schreiben: die Datei wäre zu groß für das "
              "Dateisystem.");
    EXPECT_EQ(r.messages.back().kind, MessageKind::Error);
    EXPECT_EQ(ReadFile(target), MarksFileOf({0x03}));
    EXPECT_EQ(ReadFile(backup), expected);
    EXPECT_EQ(r.fileName, other);
    EXPECT_EQ(r.progress.back(), "");

    // The backup cannot take its name: the file is saved and the user told.
    r.language = LanguageEnglish;
    fs::create_directories(dir / "x.~mr/full");
    WriteFile(dir / "x.mrk", expected);
    r.chosenFiles = {dir / "x.mrk"};
    r.answers = {mrYes};
    SaveMarksAs(r);
    EXPECT_EQ(ReadFile(dir / "x.mrk"), MarksFileOf({0x4C}));
    EXPECT_EQ(r.messages.back().kind, MessageKind::Warning);
    EXPECT_EQ(r.messages.back().text,
              "The file was saved, but the backup copy " + dir / "x.~mr"
                  + " could not be made!\rWhile making the backup: it is a folder.");
    EXPECT_EQ(r.fileName, dir / "x.mrk");

    for (const auto &entry : fs::directory_iterator(dir.path))
        EXPECT_NE(entry.path().filename().string()[0], '.') << "a temporary file was left";
    EXPECT_FALSE(r.history.CanUndo());
    EXPECT_FALSE(r.doc.isModified());
}
