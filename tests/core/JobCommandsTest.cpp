#include "ScriptedHost.h"

#include "marks/MarksFile.h"
#include "search/SearchBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <random>

#include <unistd.h>

using namespace vtm;
using namespace vtmtest;

namespace {
using Bytes = std::vector<std::uint8_t>;

// An editor over bytes read in spans of seven, so that a job polls often.
struct JobRig : Rig
{
    explicit JobRig(const Bytes &bytes)
        : Rig(bytes)
    {
        s.doc.setPieceLimitsForTesting(4, 7);
        s.doc.loadBytes(bytes.data(), std::int64_t(bytes.size()));
    }
};
using MakeRig = std::function<std::unique_ptr<JobRig>()>;

// Runs a command on fresh rigs: once to its end (which must poll), then stopped at the
// first poll, two in the middle and the last; check sees each stopped rig.
void AtEachStop(const MakeRig &make, const std::function<void(JobRig &)> &run,
                const std::function<void(JobRig &)> &check)
{
    std::int64_t polls = 0;
    {
        const auto whole = make();
        run(*whole);
        polls = std::int64_t(whole->host.polls.size());
        ASSERT_GE(polls, 2);
        EXPECT_EQ(whole->host.status[2].rfind("Stopped", 0), std::string::npos);
    }
    for (const std::int64_t at : {std::int64_t(1), polls / 2, polls - polls / 4, polls}) {
        SCOPED_TRACE("stopped at poll " + std::to_string(at) + " of " + std::to_string(polls));
        const auto r = make();
        r->host.stopAtPoll = at;
        run(*r);
        EXPECT_EQ(std::int64_t(r->host.polls.size()), at);
        EXPECT_EQ(r->host.status[2].rfind("Stopped", 0), 0u) << r->host.status[2];
        EXPECT_EQ(r->host.beepCount, 0);
        check(*r);
    }
}

// What the status says a stopped command changed ("Stopped at 40 %: 1,234 changed ..."),
// -1 when it says nothing of that.
std::int64_t ChangedIn(const std::string &status)
{
    const std::size_t at = status.find(": ");
    if (at == std::string::npos)
        return -1;
    std::int64_t n = 0;
    for (std::size_t i = at + 2; i < status.size() && status[i] != ' '; ++i)
        if (status[i] != ',')
            n = n * 10 + (status[i] - '0');
    return n;
}

// Marks that are the whole run's up to some offset, at least `reach` (backwards: from some
// offset on), and those before from there, as many changed as the status says; one Undo
// restores them.
void ExpectMarksKept(JobRig &r, const Bytes &whole, const Bytes &before, std::int64_t reach,
                     bool backward = false)
{
    const Bytes now = MarksOf(r.s.doc);
    const std::size_t size = now.size();
    const auto at = [&](std::size_t i) { return backward ? size - 1 - i : i; };
    std::size_t i = 0, changed = 0;
    for (; i < size && now[at(i)] == whole[at(i)]; ++i)
        changed += now[at(i)] != before[at(i)];
    EXPECT_GE(std::int64_t(i), reach);
    for (; i < size; ++i)
        EXPECT_EQ(now[at(i)], before[at(i)]) << at(i);
    EXPECT_EQ(ChangedIn(r.host.status[2]), std::int64_t(changed));
    if (changed > 0) {
        EXPECT_EQ(r.s.History.ActionCount(), 1);
        r.ed.runCommand(Command::Undo);
    }
    EXPECT_EQ(MarksOf(r.s.doc), before);
}

Bytes AlternatingMarks(Bytes marks, std::size_t from, std::size_t to, std::uint8_t a,
                       std::uint8_t b)
{
    for (std::size_t i = from; i < to; ++i)
        marks[i] = (i - from) % 2 ? b : a;
    return marks;
}

void Apply(Document &doc, const Bytes &marks)
{
    for (std::size_t i = 0; i < marks.size(); ++i)
        if (marks[i])
            doc.SetMark(std::int64_t(i), marks[i]);
}

} // namespace

TEST(JobCommands, StoppedLookingCommandsChangeNothing)
{
    // "Zq" at 3 and 4990, '#' at 2500 and 4995; unmarked at 0, then 4800 runs of 2 and 3
    // and red at 4900, so that the mark scans pass more runs than one count holds.
    Bytes bytes(5000), marks(5000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t('a' + i % 20);
    bytes[3] = bytes[4990] = 'Z';
    bytes[4] = bytes[4991] = 'q';
    bytes[2500] = bytes[4995] = '#';
    marks = AlternatingMarks(marks, 1, 4801, 2, 3);
    marks[4900] = 1;
    const struct
    {
        Command command;
        std::int64_t cursor, found;
    } cases[] = {
        {Command::Find, 2500, 4990},
        {Command::FindNext, 2500, 4990},
        {Command::FindPrevious, 2500, 3},
        {Command::NextIdenticalByte, 2500, 4995},
        {Command::PreviousIdenticalByte, 4995, 2500},
        {Command::NextMarkRed, 0, 4900},
        {Command::PreviousMarkRed, 4899, 4899}, // not found
        {Command::NextIdenticalMark, 0, 4801},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.command));
        const MakeRig make = [&] {
            auto r = std::make_unique<JobRig>(bytes);
            Apply(r->s.doc, marks);
            r->s.Find.FindBytes = {'Z', 'q'};
            r->s.Find.SearchAccepted = true;
            r->host.findAnswers.push_back({'Z', 'q'});
            r->ed.MoveCursorToOffset(c.cursor, false, false);
            return r;
        };
        AtEachStop(
            make, [&](JobRig &r) { r.ed.runCommand(c.command); },
            [&](JobRig &r) {
                EXPECT_EQ(r.s.view.CursorOffset(), c.cursor);
                EXPECT_EQ(BytesOf(r.s.doc), bytes);
                EXPECT_EQ(MarksOf(r.s.doc), marks);
                EXPECT_FALSE(r.s.History.CanUndo());
            });
        const auto whole = make();
        whole->ed.runCommand(c.command);
        EXPECT_EQ(whole->s.view.CursorOffset(), c.found);
    }
}

TEST(JobCommands, StoppedReplaceAndFindAndMarkKeepOneStep)
{
    std::mt19937 rng(5);
    Bytes bytes(300);
    for (auto &b : bytes)
        b = std::uint8_t("ab"[rng() % 2]);
    std::vector<std::size_t> at; // the occurrences of "ab", which never overlap
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 'a' && bytes[i + 1] == 'b')
            at.push_back(i);
    // The bytes with the first (forward) or last k occurrences replaced by "XYZ".
    const auto replaced = [&](std::size_t k, bool backward) {
        Bytes out = bytes;
        for (std::size_t j = at.size(); j-- > 0;)
            if (backward ? j >= at.size() - k : j < k) {
                out[at[j]] = 'X';
                out[at[j] + 1] = 'Z';
                out.insert(out.begin() + std::ptrdiff_t(at[j]) + 1, 'Y');
            }
        return out;
    };

    for (const bool backward : {false, true}) {
        SCOPED_TRACE(backward ? "backward" : "forward");
        const MakeRig make = [&] {
            auto r = std::make_unique<JobRig>(bytes);
            r->host.findScripts.push_back({[=](FindState &st) {
                                               st.FindBytes = {'a', 'b'};
                                               st.ReplaceBytes = {'X', 'Y', 'Z'};
                                               st.Confirm = false;
                                               st.BeginAtCursor = false;
                                               st.Backward = backward;
                                           },
                                           FindResultAll});
            r->ed.MoveCursorToOffset(150, false, false);
            // The bar never runs past its end, however close the occurrences.
            r->host.stopWhen = [](const JobMeter &m) {
                EXPECT_LE(m.done(), m.total());
                return false;
            };
            return r;
        };
        AtEachStop(
            make, [](JobRig &r) { r.ed.runCommand(Command::Replace); },
            [&](JobRig &r) {
                const auto k = std::size_t(ChangedIn(r.host.status[2]));
                ASSERT_LE(k, at.size());
                EXPECT_EQ(BytesOf(r.s.doc), replaced(k, backward));
                if (k == 0) {
                    EXPECT_EQ(r.s.view.CursorOffset(), 150);
                    EXPECT_FALSE(r.s.History.CanUndo());
                    return;
                }
                // On the last replacement made, as at the end.
                EXPECT_EQ(r.s.view.CursorOffset(),
                          std::int64_t(backward ? at[at.size() - k] : at[k - 1] + k - 1));
                EXPECT_EQ(r.s.History.ActionCount(), 1);
                r.ed.runCommand(Command::Undo);
                EXPECT_EQ(BytesOf(r.s.doc), bytes);
            });

        Bytes whole(bytes.size()), before(bytes.size());
        for (const std::size_t p : at)
            whole[p] = whole[p + 1] = 4;
        AtEachStop(
            [&] {
                auto r = make();
                r->host.findScripts.front().edit = [=](FindState &st) {
                    st.FindBytes = {'a', 'b'};
                    st.MarkColor = 4;
                    st.Confirm = false;
                    st.BeginAtCursor = false;
                    st.Backward = backward;
                };
                return r;
            },
            [](JobRig &r) { r.ed.runCommand(Command::FindAndMark); },
            [&](JobRig &r) {
                ExpectMarksKept(r, whole, before, r.host.polls.back() - 9, backward);
            });
    }

    // Asking each: the replacements made stay, one Undo takes them back.
    JobRig r(bytes);
    r.host.findScripts.push_back({[](FindState &st) {
                                      st.FindBytes = {'a', 'b'};
                                      st.ReplaceBytes = {'X', 'Y', 'Z'};
                                      st.BeginAtCursor = false;
                                  },
                                  FindResultAll});
    r.host.answers = {mrYes, mrNo, mrYes};
    r.host.stopWhen = [&](const JobMeter &) { return r.host.messages.size() >= 3; };
    r.ed.runCommand(Command::Replace);
    Bytes two = replaced(1, false);
    const std::size_t third = at[2] + 1; // after the first replacement's extra byte
    two[third] = 'X';
    two[third + 1] = 'Z';
    two.insert(two.begin() + std::ptrdiff_t(third) + 1, 'Y');
    EXPECT_EQ(BytesOf(r.s.doc), two);
    EXPECT_EQ(ChangedIn(r.host.status[2]), 2);
    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(BytesOf(r.s.doc), bytes);
    EXPECT_FALSE(r.s.History.CanUndo());
}

TEST(JobCommands, StoppedMarkCommandsKeepOneStep)
{
    // Unmark all: the first slices hold more runs than one count takes.
    const Bytes none(210000);
    const Bytes marked = AlternatingMarks(none, 0, 6000, 1, 2);
    AtEachStop(
        [&] {
            auto r = std::make_unique<JobRig>(Bytes(none.size(), 'x'));
            Apply(r->s.doc, marked);
            return r;
        },
        [](JobRig &r) { r.ed.runCommand(Command::UnmarkAll); },
        [&](JobRig &r) { ExpectMarksKept(r, none, marked, r.host.polls.back()); });

    // Open marks: two blocks of runs for [0, 70000), then the old marks past them undone a
    // stretch of runs at a time.
    TempDir dir;
    const std::string file = dir / "m.mrk";
    Bytes content(MarksMagic.begin(), MarksMagic.end());
    for (int i = 0; i < 70000; ++i)
        content.push_back(std::uint8_t(i % 2 ? 2 : 1));
    WriteFile(file, content);
    const Bytes old = AlternatingMarks(Bytes(100000), 60000, 100000, 5, 0);
    const Bytes loaded = AlternatingMarks(Bytes(100000), 0, 70000, 1, 2);
    AtEachStop(
        [&] {
            auto r = std::make_unique<JobRig>(Bytes(old.size(), 'x'));
            Apply(r->s.doc, old);
            r->host.chosenFiles = {file};
            r->s.MarksFileName = "/d/before.mrk";
            return r;
        },
        [](JobRig &r) { r.ed.runCommand(Command::OpenMarks); },
        [&](JobRig &r) {
            EXPECT_TRUE(r.host.messages.empty());
            EXPECT_EQ(r.s.MarksFileName, "/d/before.mrk");
            ExpectMarksKept(r, loaded, old, r.host.polls.back());
        });

    // Compare and mark: a stop while counting marks nothing and asks nothing.
    Bytes bytes = Iota(3000), other(2500);
    for (std::size_t i = 0; i < other.size(); ++i)
        other[i] = std::uint8_t(i % 10 ? bytes[i] : ~bytes[i]);
    WriteFile(dir / "other", other);
    Bytes compared(3000, 6), before(3000);
    for (std::size_t i = 0; i < other.size(); ++i)
        compared[i] = other[i] != bytes[i] ? 1 : 0;
    before[7] = 3;
    AtEachStop(
        [&] {
            auto r = std::make_unique<JobRig>(bytes);
            Apply(r->s.doc, before);
            r->host.chosenFiles = {dir / "other"};
            return r;
        },
        [](JobRig &r) { r.ed.runCommand(Command::Compare); },
        [&](JobRig &r) {
            if (!r.host.messages.empty())
                ExpectMarksKept(r, compared, before, r.host.polls.back() - 2500);
            else // only looked
                EXPECT_EQ(ChangedIn(r.host.status[2]), -1);
            EXPECT_EQ(MarksOf(r.s.doc), before);
        });
}

TEST(JobCommands, StoppedSaveMarksLeavesTheOldFile)
{
    TempDir dir;
    const std::string target = dir / "m.mrk";
    const Bytes old = {'o', 'l', 'd'};
    // 2000 runs of 3200 bytes: 200000 bytes of runs, written in several blocks.
    const std::int64_t covered = 6400000; // the offsets the runs cover, counted first
    const auto marked = [&] {
        auto r = std::make_unique<JobRig>(Bytes(std::size_t(covered) + 5000, 'x'));
        for (std::int64_t k = 0; k < 2000; ++k)
            r->s.doc.FillMarks(k * 3200, 3200, std::uint8_t(k % 2 ? 4 : 3));
        r->host.chosenFiles = {target};
        return r;
    };
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "written in place" : "written beside");
        const auto make = [&] {
            WriteFile(target, old);
            if (linked && !std::filesystem::exists(dir / "twin")) {
                ASSERT_EQ(::link(target.c_str(), (dir / "twin").c_str()), 0);
            }
        };
        // Stopped while encoding, while writing, and after the last block.
        const std::vector<std::function<bool(const JobMeter &)>> stops = {
            [](const JobMeter &) { return true; },
            [&](const JobMeter &m) { return m.done() > covered; },
            [&](const JobMeter &m) { return m.done() >= m.total(); },
        };
        for (const auto &stop : stops) {
            make();
            const auto r = marked();
            r->s.settings.CreateBackUp = false;
            r->host.stopWhen = stop;
            r->ed.runCommand(Command::SaveMarksAs);
            EXPECT_EQ(r->host.status[2].rfind("Stopped", 0), 0u);
            EXPECT_EQ(r->host.messages.size(), 1u); // only the question to overwrite
            EXPECT_EQ(ReadFile(target), old);
            using Files = std::filesystem::directory_iterator;
            EXPECT_EQ(std::distance(Files(dir.path), Files()), linked ? 2 : 1); // no temporary
            EXPECT_EQ(r->s.MarksFileName, "");
        }
    }
    // Not stopped, the file is written whole, counted while encoding and while writing.
    const auto r = marked();
    r->ed.runCommand(Command::SaveMarksAs);
    EXPECT_EQ(ReadFile(target).size(), MarksMagicSize + 200000u);
    EXPECT_GE(r->host.polls.size(), 6u);
}

TEST(JobCommands, PollingMeterLeavesSearchesAsTheyWere)
{
    class Polling : public JobMeter
    {
    public:
        Polling() { setPollEvery(0); }

    protected:
        bool poll() override { return true; }
    };
    std::mt19937 rng(11);
    for (int round = 0; round < 30; ++round) {
        Bytes bytes(std::size_t(1 + rng() % 400));
        for (auto &b : bytes)
            b = std::uint8_t("aAbB"[rng() % 4]);
        Document plain, cut;
        plain.loadBytes(bytes.data(), std::int64_t(bytes.size()));
        cut.setPieceLimitsForTesting(4, 1 + rng() % 5);
        cut.loadBytes(bytes.data(), std::int64_t(bytes.size()));
        Polling meter;
        const MeterScope<Document> scope(cut, &meter);
        for (int q = 0; q < 40; ++q) {
            Bytes pattern(std::size_t(1 + rng() % 6));
            for (auto &b : pattern)
                b = std::uint8_t("aAbB"[rng() % 4]);
            const std::int64_t start = std::int64_t(rng() % (bytes.size() + 2)) - 1;
            const bool backward = rng() % 2, fold = rng() % 2;
            ASSERT_EQ(SearchDocument(cut, pattern, start, backward, fold),
                      SearchDocument(plain, pattern, start, backward, fold));
        }
        EXPECT_GT(meter.done(), 0);
    }
}
