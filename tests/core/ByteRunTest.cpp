#include "ScriptedHost.h"

#include "document/Language.h"
#include "edit/ByteRunCommands.h"
#include "edit/EditTexts.h"
#include "search/Goto.h"

#include <gtest/gtest.h>

#include <climits>

using namespace vtm;
using namespace vtmtest;

namespace {
using Bytes = std::vector<std::uint8_t>;

void PlaceAt(Rig &r, std::int64_t offset, bool charArea)
{
    r.ed.MoveCursorToOffset(offset, charArea, false);
    r.host.clearLog();
}

// The document's bytes and marks, to compare before and after undo/redo.
std::pair<Bytes, Bytes> Snapshot(Rig &r)
{
    if (r.s.doc.BufferSize() == 0)
        return {};
    return {BytesOf(r.s.doc), MarksOf(r.s.doc)};
}

// Undo gives back `before`, redo gives back `after`, each in one step.
void ExpectOneStepUndoRedo(Rig &r, const std::pair<Bytes, Bytes> &before)
{
    const auto after = Snapshot(r);
    ASSERT_TRUE(r.s.History.CanUndo());
    r.s.History.Undo();
    EXPECT_EQ(Snapshot(r), before);
    EXPECT_FALSE(r.s.History.CanUndo());
    r.s.History.Redo();
    EXPECT_EQ(Snapshot(r), after);
    EXPECT_FALSE(r.s.History.CanRedo());
}
} // namespace

// The one dialog serves two commands: the mode and the language choose its texts.
TEST(Goto, TextsFollowLanguageAndMode)
{
    EXPECT_EQ(GotoTexts(LanguageGerman, GotoFormMode::DeleteBytes).mainLabel, "&Anzahl:");
    EXPECT_EQ(GotoTexts(LanguageGerman, GotoFormMode::Goto).caption, "Gehe zu");
    EXPECT_EQ(GotoTexts(LanguageEnglish, GotoFormMode::DeleteBytes).caption, "Delete bytes");
    EXPECT_EQ(InsertBytesTexts(LanguageGerman, true).caption, "Bytes anfügen");
    EXPECT_EQ(InsertBytesTexts(LanguageEnglish, false).caption, "Insert bytes");
}

// The target is cut to the last byte with a beep; a negative value is left to the cursor
// placement (first row, no beep); the area stays; every confirmed value is remembered.
TEST(Goto, ClampsAtBothEndsAndKeepsArea)
{
    Rig r(Iota(40));
    GotoMemory m;
    PlaceAt(r, 3, true);
    GotoOffset(r.ed, m, 0x1F);
    EXPECT_EQ(r.s.view.CursorOffset(), 31);
    EXPECT_TRUE(r.s.view.InCharArea(r.s.view.CursorCol));
    EXPECT_EQ(r.host.beepCount, 0);
    EXPECT_EQ(m.LastGotoOffset, 31);

    GotoOffset(r.ed, m, 39);
    EXPECT_EQ(r.s.view.CursorOffset(), 39);
    EXPECT_EQ(r.host.beepCount, 0);

    for (std::int32_t past : {40, 1000, INT32_MAX}) {
        r.host.clearLog();
        GotoOffset(r.ed, m, past);
        EXPECT_EQ(r.s.view.CursorOffset(), 39) << past;
        EXPECT_EQ(r.host.beepCount, 1) << past;
        EXPECT_EQ(m.LastGotoOffset, past);
    }

    r.host.clearLog();
    GotoOffset(r.ed, m, INT32_MIN);
    EXPECT_EQ(r.s.view.CursorRow, 0);
    EXPECT_TRUE(r.s.view.InCharArea(r.s.view.CursorCol));
    EXPECT_EQ(r.host.beepCount, 0);
    EXPECT_EQ(m.LastGotoOffset, INT32_MIN);

    Rig empty(Bytes{});
    GotoMemory e{7};
    GotoOffset(empty.ed, e, 5);
    EXPECT_EQ(e.LastGotoOffset, 7);
    EXPECT_EQ(empty.host.beepCount, 0);
}

// Across the 64 KiB storage step: the run goes in front of the cursor byte with the
// marks moving along, the cursor stays on the first new byte, one Undo and Redo each.
TEST(ByteRun, InsertInFrontOfCursorByteAcrossStorageStep)
{
    Rig r(Iota(65530));
    SetMarks(r.s.doc, std::string(65527, '.') + "123");
    PlaceAt(r, 65528, true);
    const auto before = Snapshot(r);
    ByteRunMemory m;
    EXPECT_TRUE(InsertBytes(r.ed, m, 9, {0x12, 0x34}));

    ASSERT_EQ(r.s.doc.BufferSize(), 65539);
    const Bytes bytes = BytesOf(r.s.doc), marks = MarksOf(r.s.doc);
    EXPECT_EQ(Bytes(bytes.begin() + 65528, bytes.begin() + 65537),
              (Bytes{0x12, 0x34, 0x12, 0x34, 0x12, 0x34, 0x12, 0x34, 0x12}));
    EXPECT_EQ(bytes[65537], std::uint8_t(65528 % 256));
    EXPECT_EQ(marks[65527], 1);
    EXPECT_EQ(Bytes(marks.begin() + 65528, marks.begin() + 65537), Bytes(9, 0));
    EXPECT_EQ(marks[65537], 2);
    EXPECT_EQ(marks[65538], 3);
    EXPECT_EQ(r.s.view.CursorOffset(), 65528);
    EXPECT_TRUE(r.s.view.InCharArea(r.s.view.CursorCol));
    EXPECT_EQ(r.s.History.ActionCount(), 1);
    EXPECT_EQ(m.InsertCount, 9);
    EXPECT_EQ(m.InsertPattern, (Bytes{0x12, 0x34}));
    ExpectOneStepUndoRedo(r, before);
}

// Append adds after the last byte, also on an empty document; it is named Insert bytes
// and is its own undo step after another command.
TEST(ByteRun, AppendAtEndAcrossStorageStep)
{
    Rig r(Iota(65536));
    SetMarks(r.s.doc, std::string(65535, '.') + "5");
    PlaceAt(r, 10, false);
    ByteRunMemory m;
    ASSERT_TRUE(InsertBytes(r.ed, m, 1, {0xEE}));
    const auto before = Snapshot(r);
    EXPECT_TRUE(AppendBytes(r.ed, m, 3, {0xAB}));
    ASSERT_EQ(r.s.doc.BufferSize(), 65540);
    EXPECT_EQ(BytesOf(r.s.doc)[10], 0xEE);
    const Bytes bytes = BytesOf(r.s.doc);
    EXPECT_EQ(Bytes(bytes.begin() + 65537, bytes.end()), Bytes(3, 0xAB));
    EXPECT_EQ(MarksOf(r.s.doc)[65536], 5);
    EXPECT_EQ(r.s.view.CursorOffset(), 65537);
    EXPECT_EQ(r.s.History.UndoName(),
              "(" + ActionKindName(ActionKind::InsertBytes, LanguageEnglish) + ")");
    r.s.History.Undo();
    EXPECT_EQ(Snapshot(r), before);
    EXPECT_TRUE(r.s.History.CanUndo()); // the insert is a step of its own

    Rig e(Bytes{});
    ByteRunMemory em;
    EXPECT_TRUE(AppendBytes(e.ed, em, 5, {1, 2}));
    EXPECT_EQ(BytesOf(e.s.doc), (Bytes{1, 2, 1, 2, 1}));
    EXPECT_EQ(e.s.view.CursorOffset(), 0);
    ExpectOneStepUndoRedo(e, {});
}

// Delete removes from the cursor byte on, at most to the end; the remembered count is the
// one asked for, also when it was cut or did nothing.
TEST(ByteRun, DeleteClampsToEndAndRemembersCount)
{
    Rig r(Iota(65540));
    SetMarks(r.s.doc, std::string(65529, '.') + "1.2.3.4.5..");
    PlaceAt(r, 65530, false);
    const auto before = Snapshot(r);
    ByteRunMemory m;
    EXPECT_TRUE(DeleteBytes(r.ed, m, 100));
    EXPECT_EQ(r.s.doc.BufferSize(), 65530);
    EXPECT_EQ(r.s.view.CursorOffset(), 65529); // on the new last byte
    EXPECT_EQ(MarksOf(r.s.doc)[65529], 1);
    EXPECT_EQ(m.LastDeleteCount, 100);
    EXPECT_EQ(r.s.History.UndoName(),
              "(" + ActionKindName(ActionKind::Delete, LanguageEnglish) + ")");
    ExpectOneStepUndoRedo(r, before);

    r.s.History.Undo();
    PlaceAt(r, 65528, true);
    EXPECT_TRUE(DeleteBytes(r.ed, m, 4));
    EXPECT_EQ(r.s.doc.BufferSize(), 65536);
    EXPECT_EQ(BytesOf(r.s.doc)[65528], std::uint8_t(65532 % 256));
    EXPECT_EQ(MarksOf(r.s.doc)[65529], 3);
    EXPECT_EQ(r.s.view.CursorOffset(), 65528);
    EXPECT_TRUE(r.s.view.InCharArea(r.s.view.CursorCol));
    EXPECT_EQ(m.LastDeleteCount, 4);
}

// Counts that cannot be carried out record nothing and draw no command number; a size
// past the largest document is refused as out of memory, document unchanged.
TEST(ByteRun, InvalidAndOversizedCounts)
{
    Rig r(Iota(20));
    PlaceAt(r, 10, false);
    ByteRunMemory m;
    const int command = r.s.CommandNumber;
    EXPECT_FALSE(InsertBytes(r.ed, m, 0, {1}));
    EXPECT_FALSE(InsertBytes(r.ed, m, -5, {1}));
    EXPECT_FALSE(AppendBytes(r.ed, m, 4, {}));
    EXPECT_EQ(m.InsertCount, 4); // the dialog shows what was entered last
    EXPECT_TRUE(m.InsertPattern.empty());
    EXPECT_FALSE(DeleteBytes(r.ed, m, 0));
    EXPECT_FALSE(DeleteBytes(r.ed, m, -3));
    EXPECT_EQ(m.LastDeleteCount, -3);
    EXPECT_EQ(r.s.CommandNumber, command);
    EXPECT_EQ(r.s.History.ActionCount(), 0);
    EXPECT_EQ(BytesOf(r.s.doc), Iota(20));

    r.s.settings.Language = LanguageGerman;
    for (std::int64_t count : {INT64_MAX, Document::MaxBufferSize - 19}) {
        r.host.clearLog();
        InsertBytes(r.ed, m, count, {7});
        AppendBytes(r.ed, m, count, {7, 8});
        ASSERT_EQ(r.host.messages.size(), 2u) << count;
        EXPECT_EQ(r.host.messages[0].text, OutOfMemoryText(LanguageGerman));
        EXPECT_EQ(BytesOf(r.s.doc), Iota(20));
        EXPECT_FALSE(r.s.History.CanUndo());
    }

    // The largest document exactly still fits in size terms: the storage limit decides.
    r.s.doc.setStorageLimit(65536);
    r.host.clearLog();
    AppendBytes(r.ed, m, 65536, {1, 2});
    EXPECT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(r.s.doc.BufferSize(), 20);
}

// The commands as the keys reach them: the dialog's answer, or nothing when cancelled.
TEST(ByteRunCommands, ThroughTheirDialogs)
{
    Rig r(Iota(64));
    r.ed.runCommand(Command::Goto); // cancelled
    EXPECT_EQ(r.s.view.CursorOffset(), 0);
    r.host.gotoAnswers = {31};
    r.ed.runCommand(Command::Goto);
    EXPECT_EQ(r.s.view.CursorOffset(), 31);
    r.ed.runCommand(Command::Goto);
    EXPECT_EQ(r.host.gotoOpened.back(), std::make_pair(GotoFormMode::Goto, std::int64_t(31)));

    r.host.gotoAnswers = {4};
    r.ed.runCommand(Command::DeleteBytes);
    EXPECT_EQ(r.s.doc.BufferSize(), 60);
    EXPECT_EQ(r.host.menus.undoCaption, "&Undo (Delete)");
    r.ed.runCommand(Command::DeleteBytes);
    EXPECT_EQ(r.host.gotoOpened.back(), std::make_pair(GotoFormMode::DeleteBytes, std::int64_t(4)));

    r.host.insertAnswers = {{5, {0x12, 0x34}}};
    r.ed.runCommand(Command::InsertBytes);
    EXPECT_EQ(r.s.doc.BufferSize(), 65);
    EXPECT_EQ(r.s.doc.ByteAt(31), 0x12);
    EXPECT_EQ(r.s.doc.ByteAt(35), 0x12);
    EXPECT_EQ(r.host.menus.undoCaption, "&Undo (Insert bytes)");

    // An empty document takes appending only.
    Rig e({});
    e.host.gotoAnswers = {1};
    e.ed.runCommand(Command::Goto);
    e.ed.runCommand(Command::DeleteBytes);
    EXPECT_TRUE(e.host.gotoOpened.empty());
    e.host.insertAnswers = {{3, {7}}, {2, {9}}};
    e.ed.runCommand(Command::InsertBytes);
    EXPECT_EQ(e.s.doc.BufferSize(), 0);
    e.ed.runCommand(Command::AppendBytes);
    EXPECT_EQ(BytesOf(e.s.doc), (std::vector<std::uint8_t>{7, 7, 7}));
}
