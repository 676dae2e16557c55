#include "ScriptedHost.h"

#include "edit/EditTexts.h"
#include "edit/TCompoundMarkAction.h"
#include "edit/TDeleteAction.h"
#include "edit/TDeleteBytesAction.h"
#include "edit/TInsertBytesAction.h"
#include "edit/TMarkAction.h"

#include <gtest/gtest.h>

using namespace vtm;
using namespace vtmtest;

namespace {
using Bytes = std::vector<std::uint8_t>;

// A one-action command marking byte p.
void Mark(Rig &r, int p, std::uint8_t colour = 1, ActionKind kind = ActionKind::Mark)
{
    r.s.History.AddAction(
        std::make_unique<TMarkAction>(kind, r.ed.NextCommandNumber(), p, false, colour), true);
}
} // namespace

TEST(History, RedoTailIsCutAndNamesFollow)
{
    Rig r(Iota(100));
    TActions &h = r.s.History;
    EXPECT_EQ(h.UndoName(), "");
    EXPECT_EQ(UndoCaption(LanguageEnglish, h.UndoName()), "&Undo ");
    h.Undo(); // nothing to undo: no effect at all
    h.Redo();
    EXPECT_EQ(r.host.requestLayoutCount + r.host.updateNowCount, 0);

    Mark(r, 1);
    Mark(r, 2);
    Mark(r, 3);
    h.Undo();
    h.Undo();
    EXPECT_EQ(h.RedoName(), "(Mark)");
    EXPECT_EQ(RedoCaption(LanguageGerman, h.RedoName()), "&Wiederrufen (Mark)");
    r.s.History.AddAction(
        std::make_unique<TDeleteAction>(ActionKind::Delete, r.ed.NextCommandNumber(), 50, false),
        true);
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.ActionCount(), 2);
    EXPECT_EQ(h.UndoName(), "(Delete)");
    r.s.settings.Language = LanguageGerman;
    EXPECT_EQ(UndoCaption(r.s.settings.Language, h.UndoName()), "&Rückgängig (Löschen)");
    EXPECT_EQ(MarksOf(r.s.doc)[1], 1);
    EXPECT_EQ(MarksOf(r.s.doc)[2], 0);
}

TEST(History, GroupsUndoAsOneStepWithTheirPlaces)
{
    Rig r(Iota(100));
    TActions &h = r.s.History;
    const int g = r.ed.NextCommandNumber();
    for (int p : {40, 5, 70})
        h.AddAction(std::make_unique<TMarkAction>(ActionKind::Unmark, g, p, true, 3), false);
    h.UpdateView();
    EXPECT_EQ(r.s.view.CursorOffset(), 70);
    EXPECT_EQ(h.UndoName(), "(3 * Unmark)");
    h.Undo();
    EXPECT_EQ(MarksOf(r.s.doc), Bytes(100, 0));
    EXPECT_EQ(r.s.view.CursorOffset(), 40); // the oldest of the group
    EXPECT_TRUE(r.s.view.InCharArea(r.s.view.CursorCol));
    EXPECT_EQ(h.RedoName(), "(3 * Unmark)");
    h.Redo();
    EXPECT_EQ(r.s.view.CursorOffset(), 70); // the newest
    EXPECT_EQ(r.s.doc.MarkAt(5), 3);
}

TEST(History, TrimmingDropsWholeOldestCommands)
{
    Rig r(Iota(1000));
    TActions &h = r.s.History;
    for (int i = 0; i < 512; ++i)
        Mark(r, i);
    Mark(r, 512);
    EXPECT_EQ(h.ActionCount(), 257);
    EXPECT_EQ(h.Current(), 256);

    // One command of 600 actions is never split, however long the list gets.
    h.Forget();
    const int g = r.ed.NextCommandNumber();
    for (int i = 0; i < 600; ++i)
        h.AddAction(std::make_unique<TMarkAction>(ActionKind::Mark, g, i, false, 2), false);
    EXPECT_EQ(h.ActionCount(), 600);
    EXPECT_EQ(h.UndoName(), "(600 * Mark)");
    // The next command drops all of it or none: here all, as it is the oldest.
    Mark(r, 900, 4);
    EXPECT_EQ(h.ActionCount(), 1);
    h.Undo();
    EXPECT_FALSE(h.CanUndo());
    EXPECT_EQ(r.s.doc.MarkAt(599), 2); // the dropped command stays done

    // Commands of several actions go whole: 170 groups of 3 fill 510 places.
    h.Forget();
    for (int c = 0; c < 171; ++c) {
        const int group = r.ed.NextCommandNumber();
        for (int k = 0; k < 3; ++k)
            h.AddAction(std::make_unique<TMarkAction>(ActionKind::Mark, group, c, false, 1), false);
    }
    EXPECT_EQ(h.ActionCount(), 513 - 258);
    EXPECT_EQ(h.At(0).Group, h.At(2).Group);
    EXPECT_NE(h.At(2).Group, h.At(3).Group);
}

TEST(History, CompoundMarkCommandIsOneCompactStep)
{
    Rig r(Iota(1 << 20));
    // 600 scattered marks of several colours, then "unmark all" as one action.
    Bytes before(1 << 20, 0);
    for (int i = 0; i < 600; ++i) {
        const int p = (i * 1747) % (1 << 20);
        before[std::size_t(p)] = std::uint8_t(1 + i % 6);
        r.s.doc.SetMark(p, before[std::size_t(p)]);
    }
    Mark(r, 3, 6); // an earlier command
    before[3] = 6;
    r.place(0, 0);

    TActions &h = r.s.History;
    auto unmark =
        std::make_unique<TCompoundMarkAction>(ActionKind::Unmark, r.ed.NextCommandNumber(), true);
    std::int32_t first = -1, last = -1;
    for (std::int32_t p = 0; p < r.s.doc.BufferSize(); ++p) {
        if (unmark->ColourAfter(r.s.doc, p) == 0)
            continue;
        unmark->Add(r.s.doc, p, 0);
        first = first < 0 ? p : first;
        last = p;
    }
    EXPECT_EQ(unmark->ColourAfter(r.s.doc, 3), 0);
    EXPECT_EQ(r.s.doc.MarkAt(3), 6); // nothing changes before it is performed
    h.AddAction(std::move(unmark), false);
    h.UpdateView();
    EXPECT_EQ(r.s.view.CursorOffset(), last);
    EXPECT_EQ(MarksOf(r.s.doc), Bytes(1 << 20, 0));
    EXPECT_EQ(h.UndoName(), "(601 * Unmark)");
    EXPECT_LT(h.UndoBytes(), 601 * 80);

    h.Undo();
    EXPECT_EQ(MarksOf(r.s.doc), before);
    EXPECT_EQ(r.s.view.CursorOffset(), first);
    EXPECT_EQ(h.UndoName(), "(Mark)");
    h.Redo();
    EXPECT_EQ(MarksOf(r.s.doc), Bytes(1 << 20, 0));
    EXPECT_EQ(r.s.view.CursorOffset(), last);
    EXPECT_EQ(r.s.doc.ChangeCount(), 0);

    // Dense changes are runs: a member for each byte whose colour changes.
    h.Undo();
    auto all =
        std::make_unique<TCompoundMarkAction>(ActionKind::Mark, r.ed.NextCommandNumber(), false);
    for (std::int32_t p = 0; p < r.s.doc.BufferSize(); ++p)
        all->Add(r.s.doc, p, 4);
    h.AddAction(std::move(all), false);
    const auto same = std::count(before.begin(), before.end(), 4);
    EXPECT_EQ(h.UndoName(), "(" + std::to_string((1 << 20) - same) + " * Mark)");
    EXPECT_LT(h.UndoBytes(), 601 * 80);
    h.Undo();
    EXPECT_EQ(MarksOf(r.s.doc), before);
}

TEST(History, UndoMemoryDropsWholeOldestCommands)
{
    Rig r(Iota(4000));
    TActions &h = r.s.History;
    h.setUndoByteLimit(2500);
    const Bytes pattern(1000, 9); // each insertion keeps its 1000 bytes
    const auto insert = [&] {
        h.AddAction(std::make_unique<TInsertBytesAction>(r.ed.NextCommandNumber(), 0, false, 1000,
                                                         pattern.data(), 1000),
                    true);
    };
    for (int i = 0; i < 3; ++i)
        insert();
    EXPECT_EQ(h.ActionCount(), 2);
    EXPECT_EQ(h.UndoBytes(), 2000);
    // The newest command stays, however large.
    insert();
    h.setUndoByteLimit(10);
    Mark(r, 0);
    h.AddAction(std::make_unique<TDeleteBytesAction>(r.ed, r.ed.NextCommandNumber(),
                                                     r.s.doc.BufferSize(), 1000, false),
                true); // nothing to delete past the end: an empty step
    EXPECT_EQ(h.ActionCount(), 2);
    EXPECT_EQ(h.UndoBytes(), 0);
}
