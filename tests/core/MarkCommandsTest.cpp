#include "ScriptedHost.h"

#include "edit/EditTexts.h"
#include "marks/MarkCommands.h"

#include <gtest/gtest.h>

#include <random>

using namespace vtm;
using namespace vtmtest;

namespace {
using Bytes = std::vector<std::uint8_t>;
} // namespace

TEST(Marking, CursorByteAndItsUndo)
{
    Rig r(Iota(20));
    r.ed.MoveCursorToOffset(5, true, false);
    r.ed.runCommand(Command::MarkRed);
    r.ed.runCommand(Command::MarkRed); // already red: nothing recorded
    EXPECT_EQ(r.s.History.ActionCount(), 1);
    r.ed.runCommand(Command::MarkBlue);
    EXPECT_EQ(r.s.doc.MarkAt(5), 3);
    EXPECT_EQ(r.s.view.CursorOffset(), 5); // the cursor does not advance
    EXPECT_TRUE(r.s.view.InCharArea(r.s.view.CursorCol));
    EXPECT_EQ(r.host.menus.undoCaption, "&Undo (Mark)");
    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(r.s.doc.MarkAt(5), 1);
    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(r.s.doc.MarkAt(5), 0);
    r.ed.runCommand(Command::Unmark); // unmarked already
    EXPECT_TRUE(r.s.History.CanRedo());
    r.ed.runCommand(Command::MarkCyan);
    r.ed.runCommand(Command::Unmark);
    EXPECT_EQ(r.host.menus.undoCaption, "&Undo (Unmark)");
    EXPECT_FALSE(r.s.doc.isModified());

    Rig e({});
    e.ed.runCommand(Command::MarkRed);
    e.ed.runCommand(Command::UnmarkAll);
    EXPECT_FALSE(e.s.History.CanUndo());
}

TEST(Marking, NavigationNeverWraps)
{
    Rig r(Iota(40));
    SetMarks(r.s.doc, "..1...3...1.......................2....");
    r.ed.MoveCursorToOffset(0, true, false);
    r.ed.runCommand(Command::NextMark);
    EXPECT_EQ(r.s.view.CursorOffset(), 2);
    EXPECT_TRUE(r.s.view.InCharArea(r.s.view.CursorCol));
    r.ed.runCommand(Command::NextIdenticalMark); // red to red, over the blue one
    EXPECT_EQ(r.s.view.CursorOffset(), 10);
    r.ed.runCommand(Command::NextIdenticalMark);
    EXPECT_EQ(r.s.view.CursorOffset(), 10);
    EXPECT_EQ(r.host.beepCount, 1);
    GotoNextMarkOf(r.ed, 2);
    EXPECT_EQ(r.s.view.CursorOffset(), 34);
    r.ed.runCommand(Command::NextMark);
    EXPECT_EQ(r.host.beepCount, 2);
    r.ed.runCommand(Command::PreviousMark);
    EXPECT_EQ(r.s.view.CursorOffset(), 10);
    GotoPreviousMarkOf(r.ed, 3);
    EXPECT_EQ(r.s.view.CursorOffset(), 6);
    // From an unmarked byte, identical means the nearest unmarked one.
    r.ed.MoveCursorToOffset(7, false, false);
    r.ed.runCommand(Command::NextIdenticalMark);
    EXPECT_EQ(r.s.view.CursorOffset(), 8);
    r.ed.MoveCursorToOffset(3, false, false);
    r.ed.runCommand(Command::PreviousIdenticalMark);
    EXPECT_EQ(r.s.view.CursorOffset(), 1);
    r.ed.MoveCursorToOffset(0, false, false);
    r.ed.runCommand(Command::PreviousMark);
    EXPECT_EQ(r.host.beepCount, 3);
}

// The scans agree with the byte-by-byte rule everywhere.
TEST(Marking, ScansMatchThePlainRule)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        const int n = 1 + int(rng() % 300);
        Rig r(Iota(n));
        std::string marks(std::size_t(n), '.');
        for (char &c : marks)
            c = rng() % 4 == 0 ? char('1' + rng() % 6) : '.';
        if (round % 5 == 0)
            marks.assign(std::size_t(n), '.');
        SetMarks(r.s.doc, marks);
        for (int colour = AnyMark; colour <= 6; ++colour) {
            for (int from = 0; from < n; ++from) {
                auto match = [&](int i) {
                    const int m = marks[std::size_t(i)] == '.' ? 0 : marks[std::size_t(i)] - '0';
                    return colour == AnyMark ? m != 0 : m == colour;
                };
                int next = -1, prev = -1;
                for (int i = from; i < n && next < 0; ++i)
                    next = match(i) ? i : -1;
                for (int i = from; i >= 0 && prev < 0; --i)
                    prev = match(i) ? i : -1;
                ASSERT_EQ(FindMarkForward(r.s.doc, from, colour), next) << colour << " " << from;
                ASSERT_EQ(FindMarkBackward(r.s.doc, from, colour), prev) << colour << " " << from;
            }
        }
    }
}

TEST(Marking, UnmarkAllIsOneStep)
{
    Rig r(Iota(100000));
    Bytes before(100000, 0);
    std::mt19937 rng(3);
    for (int i = 0; i < 600; ++i) {
        const int p = int(rng() % 100000);
        before[std::size_t(p)] = std::uint8_t(1 + rng() % 6);
        r.s.doc.SetMark(p, before[std::size_t(p)]);
    }
    const std::int64_t marked = r.s.doc.MarkedCount();
    int first = 0, last = 0;
    for (int i = 0; i < 100000; ++i)
        if (before[std::size_t(i)]) {
            last = i;
            first = first ? first : i;
        }
    r.place(0, 0);
    r.ed.runCommand(Command::UnmarkAll);
    EXPECT_EQ(MarksOf(r.s.doc), Bytes(100000, 0));
    EXPECT_EQ(r.host.menus.undoCaption, "&Undo (" + std::to_string(marked) + " * Unmark)");
    EXPECT_EQ(r.s.view.CursorOffset(), last);
    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(MarksOf(r.s.doc), before);
    EXPECT_EQ(r.s.view.CursorOffset(), first);
    r.ed.runCommand(Command::Redo);
    EXPECT_EQ(r.s.view.CursorOffset(), last);

    // Nothing marked: nothing recorded, the cursor to the newest step's place.
    r.place(0, 0);
    r.ed.runCommand(Command::UnmarkAll);
    EXPECT_EQ(r.s.History.ActionCount(), 1);
    EXPECT_EQ(r.s.view.CursorOffset(), last);

    // Progress: each percentage at most once, never 0 % or 100 %.
    Rig p(Iota(100));
    for (int i = 0; i < 100; ++i)
        p.s.doc.SetMark(i, 2);
    p.ed.runCommand(Command::UnmarkAll);
    EXPECT_EQ(p.host.menus.undoCaption, "&Undo (100 * Unmark)");
    ASSERT_EQ(p.host.progress.size(), 99u);
    EXPECT_EQ(p.host.progress.front(), "1%");
    EXPECT_EQ(p.host.progress.back(), "99%");
}
