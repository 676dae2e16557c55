#include "ScriptedHost.h"

#include "edit/EditTexts.h"
#include "edit/Typing.h"

#include <gtest/gtest.h>

using namespace vtm;
using namespace vtmtest;

namespace {
using Bytes = std::vector<std::uint8_t>;

void Type(Rig &r, const std::u32string &keys)
{
    for (const char32_t k : keys)
        r.ed.FormKeyPress(k);
}
} // namespace

TEST(Typing, DecimalDigitRules)
{
    struct Case
    {
        std::uint8_t old;
        int digit;
        char32_t key;
        bool accepted, beep;
        int value;
    };
    const Case cases[] = {
        {199, 0, U'2', true, true, 255}, // 299 is capped, with a beep
        {250, 1, U'6', false, true, 0},  {245, 2, U'9', true, false, 249},
        {205, 1, U'9', false, true, 0},  {5, 0, U'3', false, true, 0},
        {99, 1, U'0', true, false, 9},   {255, 2, U'5', true, false, 255},
        {120, 2, U'x', false, true, 0},
    };
    for (const Case &c : cases) {
        const TypedByte t = TypeIntoByte(false, false, 3 + c.digit, c.old, c.key);
        EXPECT_EQ(t.accepted, c.accepted) << int(c.old) << " " << c.digit;
        EXPECT_EQ(t.beep, c.beep) << int(c.old) << " " << c.digit;
        if (c.accepted) {
            EXPECT_EQ(t.value, c.value) << int(c.old) << " " << c.digit;
        }
    }
}

TEST(Typing, CharactersGoThroughWindows1252)
{
    const std::pair<char32_t, int> cases[] = {
        {U'g', 0x67},      {U'\u20AC', 0x80},   {U'\u0141', -1},   {U'\r', 13},
        {U'\x1B', 27},     {U'\u00FF', 0xFF},   {U'\u0178', 0x9F}, {U'\u0080', -1},
        {U'\u008D', 0x8D}, {U'\U0001F600', -1},
    };
    for (const auto &[key, byte] : cases) {
        const TypedByte t = TypeIntoByte(true, true, 40, 0x55, key);
        EXPECT_EQ(t.accepted, byte >= 0) << std::uint32_t(key);
        EXPECT_EQ(t.beep, byte < 0) << std::uint32_t(key);
        if (byte >= 0) {
            EXPECT_EQ(t.value, byte) << std::uint32_t(key);
        }
    }
}

TEST(Typing, HexDigitsStepThroughTheNibbles)
{
    Rig r({0x4F, 0x10, 0x20});
    Type(r, U"a");
    EXPECT_EQ(r.s.doc.ByteAt(0), 0xAF);
    EXPECT_EQ(r.cursor(), (CellPos{1, 0}));
    Type(r, U"3");
    EXPECT_EQ(r.s.doc.ByteAt(0), 0xA3);
    EXPECT_EQ(r.cursor(), (CellPos{2, 0}));
    EXPECT_EQ(r.s.History.ActionCount(), 2);
    EXPECT_NE(r.s.History.At(0).Group, r.s.History.At(1).Group);
    EXPECT_EQ(UndoCaption(LanguageEnglish, r.s.History.UndoName()), "&Undo (Change value)");

    r.host.clearLog();
    Type(r, U"g"); // not a digit: beep, nothing changes
    EXPECT_EQ(r.host.beepCount, 1);
    EXPECT_EQ(r.s.doc.ByteAt(1), 0x10);
    EXPECT_EQ(r.cursor(), (CellPos{2, 0}));

    // At the last byte the keys keep overwriting its last digit.
    Type(r, U"12345");
    EXPECT_EQ(BytesOf(r.s.doc), (Bytes{0xA3, 0x12, 0x35}));
    EXPECT_EQ(r.cursor(), (CellPos{5, 0}));

    // The character area takes the character itself.
    r.ed.runCommand(Command::Tab);
    Type(r, U"g\u20AC");
    EXPECT_EQ(r.s.doc.ByteAt(2), 0x80);
    EXPECT_EQ(r.s.view.CursorOffset(), 2);
    EXPECT_TRUE(r.s.view.InCharArea(r.s.view.CursorCol));
    EXPECT_EQ(r.s.doc.ChangeCount(), 9);
}

TEST(Typing, AtTheEndOfAFullRowAndInDecimal)
{
    Rig r(Iota(32));
    r.place(31, 1);
    Type(r, U"ff");
    EXPECT_EQ(r.s.doc.ByteAt(31), 0x1F); // f into the low nibble, then again
    EXPECT_EQ(r.s.doc.ByteAt(31) & 0x0F, 0x0F);
    EXPECT_EQ(r.cursor(), (CellPos{31, 1}));
    r.place(47, 1);
    Type(r, U"xy");
    EXPECT_EQ(r.s.doc.ByteAt(31), 'y');
    EXPECT_EQ(r.cursor(), (CellPos{47, 1}));

    Rig d({199, 250}, 10, false);
    Type(d, U"2");
    EXPECT_EQ(d.s.doc.ByteAt(0), 255);
    EXPECT_EQ(d.host.beepCount, 1);
    EXPECT_EQ(d.cursor(), (CellPos{1, 0}));
    d.place(4, 0);
    Type(d, U"6");
    EXPECT_EQ(d.s.doc.ByteAt(1), 250);
    EXPECT_EQ(d.host.beepCount, 1); // place() cleared the log
}

TEST(Typing, EmptyDocumentTakesNoKeysButInsertAndAppend)
{
    Rig r({});
    Type(r, U"a1\u0141");
    EXPECT_EQ(r.host.beepCount, 0);
    EXPECT_EQ(r.s.doc.BufferSize(), 0);
    EXPECT_FALSE(r.s.History.CanUndo());

    r.ed.runCommand(Command::Backspace);
    r.ed.runCommand(Command::Delete);
    EXPECT_FALSE(r.s.History.CanUndo());
    r.ed.runCommand(Command::Insert);
    EXPECT_EQ(BytesOf(r.s.doc), Bytes{0});
    EXPECT_EQ(r.s.doc.MarkAt(0), 0);
    EXPECT_EQ(r.s.view.CursorOffset(), 0);
    r.ed.runCommand(Command::AppendByte);
    EXPECT_EQ(r.s.doc.BufferSize(), 2);
    EXPECT_EQ(r.s.view.CursorOffset(), 1);
    EXPECT_EQ(UndoCaption(LanguageEnglish, r.s.History.UndoName()), "&Undo (Append)");
    r.ed.runCommand(Command::Undo);
    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(r.s.doc.BufferSize(), 0);
    EXPECT_EQ(r.s.doc.BufferCapacity(), 0);
    EXPECT_EQ(UndoCaption(LanguageEnglish, r.s.History.UndoName()), "&Undo ");
    r.ed.runCommand(Command::Redo);
    EXPECT_EQ(r.s.doc.BufferSize(), 1);
}

TEST(Typing, SingleByteCommands)
{
    Rig r(Iota(20));
    r.place(0, 0);
    r.ed.runCommand(Command::Backspace); // nothing before byte 0
    EXPECT_FALSE(r.s.History.CanUndo());
    const int before = r.s.CommandNumber;
    r.ed.MoveCursorToOffset(19, true, false);
    r.ed.runCommand(Command::Delete);
    EXPECT_EQ(r.s.doc.BufferSize(), 19);
    EXPECT_EQ(r.s.view.CursorOffset(), 18);
    r.ed.runCommand(Command::Backspace);
    EXPECT_EQ(BytesOf(r.s.doc).back(), 18);
    EXPECT_EQ(r.s.view.CursorOffset(), 17);
    r.ed.runCommand(Command::Insert);
    EXPECT_EQ(r.s.doc.ByteAt(17), 0);
    EXPECT_EQ(r.s.CommandNumber, before + 3);
    EXPECT_EQ(r.host.status[0], "Pos: 17 $11");

    r.ed.runCommand(Command::Undo);
    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(r.s.view.CursorOffset(), 18);
    EXPECT_TRUE(r.s.view.InCharArea(r.s.view.CursorCol));
    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(BytesOf(r.s.doc), Iota(20));
    EXPECT_EQ(r.s.view.CursorOffset(), 19);
    EXPECT_EQ(r.s.view.RowCount, 2);
}

TEST(Typing, IdenticalByteNavigation)
{
    Rig r({7, 1, 7, 2, 2, 7, 3});
    r.ed.MoveCursorToOffset(0, true, false);
    r.ed.runCommand(Command::NextIdenticalByte);
    EXPECT_EQ(r.s.view.CursorOffset(), 2);
    EXPECT_TRUE(r.s.view.InCharArea(r.s.view.CursorCol));
    r.ed.runCommand(Command::NextIdenticalByte);
    EXPECT_EQ(r.s.view.CursorOffset(), 5);
    r.ed.runCommand(Command::NextIdenticalByte); // the last 7: a beep, no move
    EXPECT_EQ(r.s.view.CursorOffset(), 5);
    EXPECT_EQ(r.host.beepCount, 1);
    r.ed.runCommand(Command::PreviousIdenticalByte);
    EXPECT_EQ(r.s.view.CursorOffset(), 2);

    // Longer than a word, so that the backward scan skips whole words.
    std::vector<std::uint8_t> bytes(100, 0);
    bytes[3] = bytes[90] = 9;
    Rig w(bytes);
    w.ed.MoveCursorToOffset(90, false, false);
    w.ed.runCommand(Command::PreviousIdenticalByte);
    EXPECT_EQ(w.s.view.CursorOffset(), 3);

    Rig e({});
    e.ed.runCommand(Command::NextIdenticalByte);
    EXPECT_EQ(e.host.beepCount, 1);
}
