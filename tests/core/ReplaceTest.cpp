#include "ScriptedHost.h"

#include "edit/TActions.h"
#include "search/ReplaceCommands.h"
#include "search/SearchBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace vtm;
using namespace vtmtest;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::int64_t CountOf(const Document &doc, std::uint8_t value)
{
    const Bytes bytes = BytesOf(doc);
    return std::count(bytes.begin(), bytes.end(), value);
}

// The dialog closes with `result` after setting the strings and options.
void Script(Rig &r, Bytes find, Bytes replace, int result, bool confirm, bool backward = false,
            bool fromCursor = false)
{
    r.host.findScripts.push_back({[=](FindState &st) {
                                      st.FindBytes = find;
                                      st.ReplaceBytes = replace;
                                      st.Confirm = confirm;
                                      st.Backward = backward;
                                      st.BeginAtCursor = fromCursor;
                                  },
                                  result});
}

} // namespace

TEST(RunsReplacement, OnePassEqualsReplacingEachRunInTurn)
{
    // Against a plain model: each run replaced in order from the back, marks as the edit
    // actions keep them (first min(from, to) stay, added ones 0 or the given extra marks).
    std::mt19937 rng(7);
    for (int round = 0; round < 400; ++round) {
        const int size = int(rng() % 200);
        const std::int64_t from = rng() % 4, to = rng() % 5;
        Bytes bytes(static_cast<std::size_t>(size)), marks(bytes.size());
        for (auto &b : bytes)
            b = std::uint8_t(rng());
        for (auto &m : marks)
            m = rng() % 3 == 0 ? std::uint8_t(rng() % 7) : 0;
        std::vector<std::int64_t> at;
        for (std::int64_t p = rng() % 5; p + from <= size; p += from + rng() % 6)
            at.push_back(std::int64_t(p));
        Bytes repl(std::size_t(at.size() * std::size_t(to))), extra;
        for (auto &b : repl)
            b = std::uint8_t(rng());
        if (to > from && rng() % 2) {
            extra.resize(at.size() * std::size_t(to - from));
            for (auto &m : extra)
                m = std::uint8_t(rng() % 7);
        }

        Bytes wantB = bytes, wantM = marks;
        for (std::size_t k = at.size(); k-- > 0;) {
            const auto p = std::size_t(at[k]);
            Bytes runM(wantM.begin() + std::ptrdiff_t(p),
                       wantM.begin() + std::ptrdiff_t(p + std::size_t(std::min(from, to))));
            for (std::int64_t i = from; i < to; ++i)
                runM.push_back(
                    extra.empty() ? 0 : extra[k * std::size_t(to - from) + std::size_t(i - from)]);
            wantB.erase(wantB.begin() + std::ptrdiff_t(p),
                        wantB.begin() + std::ptrdiff_t(p + std::size_t(from)));
            wantB.insert(wantB.begin() + std::ptrdiff_t(p),
                         repl.begin() + std::ptrdiff_t(k * std::size_t(to)),
                         repl.begin() + std::ptrdiff_t((k + 1) * std::size_t(to)));
            wantM.erase(wantM.begin() + std::ptrdiff_t(p),
                        wantM.begin() + std::ptrdiff_t(p + std::size_t(from)));
            wantM.insert(wantM.begin() + std::ptrdiff_t(p), runM.begin(), runM.end());
        }

        Document doc;
        if (round % 2) { // the same bytes in many small pieces and chunks
            doc.setPieceLimitsForTesting(4, 7);
            doc.loadBytes(bytes.data(), size / 2);
            doc.InsertBytes(size / 2, bytes.data() + size / 2, size - size / 2);
            for (int i = 0; i < size; i += 1 + int(rng() % 5))
                doc.WriteBytes(i, &bytes[std::size_t(i)], 1);
        } else {
            doc.loadBytes(bytes.data(), size);
        }
        for (int i = 0; i < size; ++i)
            doc.SetMark(i, marks[std::size_t(i)]);
        doc.replaceRuns(at.data(), std::int64_t(at.size()), 0, from, to, repl.data(), to,
                        extra.empty() ? nullptr : extra.data());
        ASSERT_EQ(BytesOf(doc), wantB) << "round " << round;
        ASSERT_EQ(MarksOf(doc), wantM) << "round " << round;
        const auto marked =
            std::count_if(wantM.begin(), wantM.end(), [](auto m) { return m != 0; });
        ASSERT_EQ(doc.MarkedCount(), marked);
        ASSERT_LE(doc.MarkedEnd(), doc.BufferSize());
        if (doc.MarkedEnd() > 0) {
            ASSERT_NE(doc.MarkAt(doc.MarkedEnd() - 1), 0);
        }
        ASSERT_LE(doc.MarkRuns().end(), doc.BufferSize()); // no stale marks past the end
    }
}

TEST(RunsReplacement, RunsOutOfOrderOrTooLargeChangeNothing)
{
    Document doc;
    const Bytes b{1, 2, 3, 4};
    doc.loadBytes(b.data(), 4);
    const std::int64_t overlapping[] = {0, 1};
    EXPECT_THROW(doc.replaceRuns(overlapping, 2, 0, 2, 1, b.data(), 0, nullptr),
                 std::invalid_argument);
    const std::int64_t past[] = {3};
    EXPECT_THROW(doc.replaceRuns(past, 1, 0, 2, 1, b.data(), 0, nullptr), std::invalid_argument);
    doc.setStorageLimit(Document::StorageStep);
    std::vector<std::int64_t> all{0, 1, 2, 3};
    Bytes big(100000, 7);
    EXPECT_THROW(doc.replaceRuns(all.data(), 4, 0, 1, 40000, big.data(), 0, nullptr),
                 OutOfMemoryError);
    EXPECT_EQ(BytesOf(doc), b);
}

TEST(Replace, AllWithoutConfirmationTheClassicCases)
{
    { // Forwards the replacement is not searched again.
        Rig r({0x41, 0x41});
        Script(r, {0x41}, {0x41, 0x41}, FindResultAll, false);
        r.ed.runCommand(Command::Replace);
        EXPECT_EQ(BytesOf(r.s.doc), (Bytes{0x41, 0x41, 0x41, 0x41}));
        EXPECT_EQ(r.host.menus.undoCaption, "&Undo (2 * Replace)");
    }
    { // Backwards the search goes on before the occurrence, whatever its replacement.
        Rig r({0x41, 0x41, 0x41});
        Script(r, {0x41}, {0x42, 0x42}, FindResultAll, false, true);
        r.ed.runCommand(Command::Replace);
        EXPECT_EQ(BytesOf(r.s.doc), Bytes(6, 0x42));
        Rig s({0x41, 0x41, 0x42, 0x41, 0x41});
        Script(s, {0x41, 0x41}, {}, FindResultAll, false, true);
        s.ed.runCommand(Command::Replace);
        EXPECT_EQ(BytesOf(s.s.doc), (Bytes{0x42}));
    }
    { // Deleting every 00 byte, and one Undo brings them back with their marks.
        Rig r({0, 1, 0, 0, 2, 0});
        SetMarks(r.s.doc, "12.3.4");
        Script(r, {0}, {}, FindResultAll, false);
        r.ed.runCommand(Command::Replace);
        EXPECT_EQ(BytesOf(r.s.doc), (Bytes{1, 2}));
        EXPECT_EQ(MarksOf(r.s.doc), (Bytes{2, 0}));
        EXPECT_TRUE(r.s.doc.isModified());
        EXPECT_EQ(r.s.History.ActionCount(), 1);
        r.ed.runCommand(Command::Undo);
        EXPECT_EQ(BytesOf(r.s.doc), (Bytes{0, 1, 0, 0, 2, 0}));
        EXPECT_EQ(MarksOf(r.s.doc), (Bytes{1, 2, 0, 3, 0, 4}));
        EXPECT_FALSE(r.s.doc.isModified());
        EXPECT_EQ(r.s.view.CursorOffset(), 0);
        r.ed.runCommand(Command::Redo);
        EXPECT_EQ(BytesOf(r.s.doc), (Bytes{1, 2}));
        EXPECT_EQ(r.s.view.CursorOffset(), 1);
        EXPECT_EQ(r.host.status[2], "");
    }
    { // Case-folded matches get their own bytes back.
        Rig r({'a', 'B', 'A', 'b', 'x'});
        Script(r, {'a', 'b'}, {'-'}, FindResultAll, false);
        r.host.findScripts.back().edit = [old = r.host.findScripts.back().edit](FindState &st) {
            old(st);
            st.CaseSensitive = false;
        };
        r.ed.runCommand(Command::Replace);
        EXPECT_EQ(BytesOf(r.s.doc), (Bytes{'-', '-', 'x'}));
        r.ed.runCommand(Command::Undo);
        EXPECT_EQ(BytesOf(r.s.doc), (Bytes{'a', 'B', 'A', 'b', 'x'}));
    }
}

TEST(Replace, NothingFoundCancelledOrEmptyChangesNothing)
{
    Rig r({1, 2, 3});
    Script(r, {9}, {7}, FindResultAll, false);
    r.ed.runCommand(Command::Replace);
    EXPECT_EQ(r.host.beepCount, 1);
    EXPECT_FALSE(r.s.History.CanUndo());
    Script(r, {1}, {7}, mrCancel, false);
    r.ed.runCommand(Command::Replace);
    EXPECT_EQ(BytesOf(r.s.doc), (Bytes{1, 2, 3}));
    // An empty string that slipped through never loops on a match that does not advance.
    FindState st;
    st.FindBytes.clear();
    st.Confirm = false;
    ReplaceCommand(r.ed, r.ed, st, FindResultAll);
    FindAndMarkCommand(r.ed, r.ed, st, FindResultAll);
    EXPECT_EQ(r.host.beepCount, 3);
    EXPECT_FALSE(r.s.History.CanUndo());
    EXPECT_EQ(r.host.findModes,
              (std::vector<FindFormMode>{FindFormMode::Replace, FindFormMode::Replace}));
}

TEST(Replace, ConfirmationAsksPlacedOffTheCursorAndAllTakesOver)
{
    Bytes bytes(40 * 16, 0);
    for (int i = 0; i < 40; ++i)
        bytes[std::size_t(i * 16)] = 0x41;
    Rig r(bytes, 10);
    // OK with confirmation: the cursor goes to the occurrence; No changes nothing.
    Script(r, {0x41}, {0x42, 0x43}, mrOk, true);
    r.host.answers = {mrNo};
    r.ed.runCommand(Command::Replace);
    ASSERT_EQ(r.host.messages.size(), 1u);
    const MessageRequest &q = r.host.messages[0];
    EXPECT_EQ(q.text, "Replace?");
    EXPECT_EQ(q.kind, MessageKind::Confirmation);
    EXPECT_EQ(q.buttons, unsigned(mbYes | mbNo | mbCancel | mbAll));
    EXPECT_EQ(q.left, 200);
    EXPECT_EQ(q.top, 600); // the cursor's row is in the upper half
    EXPECT_EQ(r.s.view.CursorOffset(), 0);
    EXPECT_FALSE(r.s.History.CanUndo());
    EXPECT_EQ(BytesOf(r.s.doc), bytes);

    // The row in the lower half: the question goes up.
    EXPECT_EQ(PlaceQuestion(1200, 900, 100, 30, 0, 16).top, 150);
    EXPECT_EQ(PlaceQuestion(1200, 900, 100, 30, 20, 16).top, 600);

    // Yes to the first, All to the second: the rest without questions, one undo step.
    r.host.messages.clear();
    Script(r, {0x41}, {0x42, 0x43}, FindResultAll, true);
    r.host.answers = {mrYes, mrAll};
    r.ed.runCommand(Command::Replace);
    EXPECT_EQ(r.host.messages.size(), 2u);
    EXPECT_EQ(CountOf(r.s.doc, 0x42), 40);
    EXPECT_EQ(r.host.menus.undoCaption, "&Undo (40 * Replace)");
    EXPECT_EQ(r.host.progress.front(), "3%"); // 17 of 679
    EXPECT_EQ(r.host.status[2], "");
    EXPECT_EQ(r.s.view.CursorOffset(), 39 * 17);
    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(BytesOf(r.s.doc), bytes);
    EXPECT_EQ(r.s.view.CursorOffset(), 0);

    // Cancel stops; what was replaced stays and is one step.
    Script(r, {0x41}, {0x44}, FindResultAll, true);
    r.host.answers = {mrYes, mrNo, mrYes, mrCancel};
    r.ed.runCommand(Command::Replace);
    EXPECT_EQ(CountOf(r.s.doc, 0x44), 2);
    EXPECT_EQ(r.s.view.CursorOffset(), 3 * 16);
    EXPECT_EQ(r.host.menus.undoCaption, "&Undo (2 * Replace)");
}

TEST(Replace, TimeQuestionStopsALongRun)
{
    EXPECT_EQ(EstimateMinutes(90000, 0, 100), 2); // the bare elapsed time at first
    EXPECT_EQ(EstimateMinutes(30000, 6, 12), 1);
    EXPECT_EQ(EstimateMinutes(90000, 6, 12), 3);
    EXPECT_EQ(EstimateMinutes(150000, 100, 100), 2); // 2.5 to the even neighbour
    EXPECT_EQ(EstimateMinutes(210000, 100, 100), 4); // 3.5
    EXPECT_EQ(EstimateMinutes(3000000, 6, 1000000), 60);
    // Six in the first milliseconds of a million: too early to scale up.
    EXPECT_EQ(EstimateMinutes(1, 6, 1000000), 0);
    EXPECT_EQ(EstimateMinutes(999, 600, 1000000), 0);
    EXPECT_EQ(EstimateMinutes(1000, 600, 1000000), 28);
    EXPECT_EQ(EstimateQuestionText(LanguageEnglish, 60),
              "Estimated time for this operation: Several hours. Continue?");
    EXPECT_EQ(EstimateQuestionText(LanguageGerman, 5),
              "Geschätzte Zeit für diese Operation: 5 min. Fortfahren?");

    // Each occurrence takes 10 s on this clock: at the seventh the run projects past a
    // minute and a No stops it there, the occurrences before replaced.
    Rig r(Bytes(10, 0x41));
    r.host.tickStep = 10000;
    Script(r, {0x41}, {0x42}, FindResultAll, false);
    r.host.answers = {mrNo};
    r.ed.runCommand(Command::Replace);
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(r.host.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(r.host.messages[0].buttons, unsigned(mbYesNoCancel));
    const Bytes now = BytesOf(r.s.doc);
    const auto replaced = std::count(now.begin(), now.begin() + 10, 0x42);
    EXPECT_GT(replaced, 0);
    EXPECT_LT(replaced, 10);
    EXPECT_EQ(r.host.menus.undoCaption, "&Undo (" + std::to_string(replaced) + " * Replace)");
}

TEST(Replace, ManyAtOnceEqualsOneByOne)
{
    // Replacing all without questions (one pass at the end) gives exactly the bytes, marks
    // and cursors of answering Yes to each occurrence (one edit action each).
    std::mt19937 rng(11);
    for (int round = 0; round < 150; ++round) {
        Bytes bytes(std::size_t(1 + rng() % 120));
        for (auto &b : bytes)
            b = std::uint8_t("aAbB\x00\x01"[rng() % 6]);
        std::string marks(bytes.size(), '.');
        for (auto &m : marks)
            m = rng() % 4 == 0 ? char('1' + rng() % 6) : '.';
        Bytes find(std::size_t(1 + rng() % 3)), repl(std::size_t(rng() % 4));
        for (auto &b : find)
            b = std::uint8_t("aAbB\x00\x01"[rng() % 6]);
        for (auto &b : repl)
            b = std::uint8_t("xyz"[rng() % 3]);
        const bool backward = rng() % 2, fromCursor = rng() % 2, folded = rng() % 2;
        const std::int64_t cursor = std::int64_t(rng() % bytes.size());

        Rig a(bytes), b(bytes);
        for (Rig *r : {&a, &b}) {
            SetMarks(r->s.doc, marks);
            r->ed.MoveCursorToOffset(cursor, false, false);
            Script(*r, find, repl, FindResultAll, r == &b, backward, fromCursor);
            r->host.findScripts.back().edit = [old = r->host.findScripts.back().edit,
                                               folded](FindState &st) {
                old(st);
                st.CaseSensitive = !folded;
            };
            r->ed.runCommand(Command::Replace);
        }
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(BytesOf(a.s.doc), BytesOf(b.s.doc));
        ASSERT_EQ(MarksOf(a.s.doc), MarksOf(b.s.doc));
        ASSERT_EQ(a.s.view.CursorOffset(), b.s.view.CursorOffset());
        ASSERT_EQ(a.s.History.UndoName(), b.s.History.UndoName());
        for (Command c : {Command::Undo, Command::Redo, Command::Undo}) {
            a.ed.runCommand(c);
            b.ed.runCommand(c);
            ASSERT_EQ(BytesOf(a.s.doc), BytesOf(b.s.doc));
            ASSERT_EQ(MarksOf(a.s.doc), MarksOf(b.s.doc));
            ASSERT_EQ(a.s.view.CursorOffset(), b.s.view.CursorOffset());
        }
        ASSERT_EQ(BytesOf(a.s.doc), bytes);
    }
}

TEST(Replace, GrowthPastMemoryIsReportedAndLosesNothing)
{
    Bytes bytes(60000, 0x41);
    Rig r(bytes);
    r.s.doc.setStorageLimit(Document::StorageStep);
    Script(r, {0x41}, {0x42, 0x42}, FindResultAll, false);
    r.ed.runCommand(Command::Replace);
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(r.host.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(BytesOf(r.s.doc), bytes);
    EXPECT_FALSE(r.s.History.CanUndo());
    EXPECT_FALSE(r.s.doc.isModified());
}

TEST(FindAndMark, ColoursOccurrencesAsOneStep)
{
    Rig r({0, 0x41, 0x42, 0, 0x41, 0x42, 0});
    auto script = [&](int result, bool confirm, int colour) {
        r.host.findScripts.push_back({[=](FindState &st) {
                                          st.FindBytes = {0x41, 0x42};
                                          st.Confirm = confirm;
                                          st.MarkColor = colour;
                                          st.BeginAtCursor = false;
                                      },
                                      result});
        r.ed.runCommand(Command::FindAndMark);
    };
    script(FindResultAll, false, 2);
    EXPECT_EQ(MarksOf(r.s.doc), (Bytes{0, 2, 2, 0, 2, 2, 0}));
    EXPECT_EQ(r.host.menus.undoCaption, "&Undo (4 * Mark)");
    EXPECT_EQ(r.s.view.CursorOffset(), 5);
    EXPECT_EQ(r.host.findModes.back(), FindFormMode::FindAndMark);
    EXPECT_EQ(r.host.progress, (std::vector<std::string>{"17%", "67%"}));

    // Again in the same colour: found, nothing recorded, the cursor on the last one found.
    r.ed.MoveCursorToOffset(0, false, false);
    script(FindResultAll, false, 2);
    EXPECT_EQ(r.s.History.ActionCount(), 1);
    EXPECT_EQ(r.s.view.CursorOffset(), 4);

    // Partly marked: only the bytes of another colour get actions.
    SetMarks(r.s.doc, ".33.3..");
    script(FindResultAll, false, 3);
    EXPECT_EQ(MarksOf(r.s.doc), (Bytes{0, 3, 3, 0, 3, 3, 0}));
    EXPECT_EQ(r.host.menus.undoCaption, "&Undo (Mark)");
    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(MarksOf(r.s.doc), (Bytes{0, 3, 3, 0, 3, 0, 0}));

    // No to every question: nothing changes, every occurrence visited.
    r.host.messages.clear();
    r.host.answers = {mrNo, mrNo};
    script(FindResultAll, true, 6);
    EXPECT_EQ(r.host.messages.size(), 2u);
    EXPECT_EQ(r.host.messages[0].text, "Mark?");
    EXPECT_EQ(MarksOf(r.s.doc), (Bytes{0, 3, 3, 0, 3, 0, 0}));
    EXPECT_EQ(r.s.view.CursorOffset(), 4);

    // OK with a Yes: one occurrence, its actions shown one by one but one step.
    r.host.answers = {mrYes};
    script(mrOk, true, 6);
    EXPECT_EQ(MarksOf(r.s.doc), (Bytes{0, 6, 6, 0, 3, 0, 0}));
    EXPECT_EQ(r.host.menus.undoCaption, "&Undo (2 * Mark)");
}

// Marking all at once in one walk finds exactly what a run of searches finds, one at a time,
// over small pieces (occurrences across their edges), in both directions, with and without
// folding, onto marks of both forms; one Undo restores the marks before.
TEST(FindAndMark, AllAtOnceEqualsSearchingOneAtATime)
{
    std::mt19937 rng(20261210);
    for (int round = 0; round < 60; ++round) {
        Bytes bytes(std::size_t(1 + rng() % 3000));
        for (auto &b : bytes)
            b = std::uint8_t("aAbB\0"[rng() % 5]);
        Rig r({});
        if (round % 2)
            r.s.doc.setPieceLimitsForTesting(4, 1 + int(rng() % 9));
        r.s.doc.loadBytes(bytes.data(), std::int64_t(bytes.size()));
        for (int i = 0; i < 40; ++i) // typed bytes: pieces of one byte
            r.s.doc.WriteBytes(std::int64_t(rng() % bytes.size()), &bytes[rng() % bytes.size()], 1);
        r.host.requestLayout();
        const Bytes now = BytesOf(r.s.doc);
        Bytes marks(now.size(), 0);
        const bool dense = rng() % 2;
        for (std::size_t i = 0; i < marks.size(); i += dense ? 1 : 1 + rng() % 50)
            marks[i] = std::uint8_t(rng() % 7);
        r.s.doc.SetMarks(0, marks.data(), std::int64_t(marks.size()));

        Bytes pattern(std::size_t(1 + rng() % (round % 3 ? 3 : 12)));
        for (auto &b : pattern)
            b = std::uint8_t("aAbB\0"[rng() % 5]);
        const bool backward = rng() % 2, fold = rng() % 2;
        const auto size = std::int64_t(now.size());
        const std::int64_t cursor = std::int64_t(rng() % std::uint64_t(size));
        const auto colour = std::uint8_t(1 + rng() % 6);
        Bytes want = marks;
        for (std::int64_t p = cursor;;) {
            p = SearchBytes(now, pattern, p, backward, fold);
            if (p < 0)
                break;
            std::fill_n(want.begin() + p, pattern.size(), colour);
            p += backward ? -std::int64_t(pattern.size()) : std::int64_t(pattern.size());
        }
        r.ed.MoveCursorToOffset(cursor, false, false);
        r.host.findScripts.push_back({[=](FindState &st) {
                                          st.FindBytes = pattern;
                                          st.Confirm = false;
                                          st.Backward = backward;
                                          st.BeginAtCursor = true;
                                          st.CaseSensitive = !fold;
                                          st.MarkColor = colour;
                                      },
                                      FindResultAll});
        r.ed.runCommand(Command::FindAndMark);
        ASSERT_EQ(MarksOf(r.s.doc), want) << "round " << round;
        if (want != marks) {
            r.s.History.Undo();
            ASSERT_EQ(MarksOf(r.s.doc), marks) << "round " << round;
            r.s.History.Redo();
            ASSERT_EQ(MarksOf(r.s.doc), want) << "round " << round;
        }
    }
}
