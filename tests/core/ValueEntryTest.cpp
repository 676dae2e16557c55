#include "search/BytesData.h"
#include "search/IntData.h"

#include <gtest/gtest.h>

using namespace vtm;
using Bytes = std::vector<std::uint8_t>;

namespace {

// A go-to group: one value, a hex and a decimal view that follow each other.
struct IntGroup
{
    TIntData data;
    IntEditModel hex{data, IntBase::Hex};
    IntEditModel dec{data, IntBase::Dec};

    IntGroup()
    {
        data.Observer1 = [this](const void *s) { dec.DataChanged(s); };
        data.Observer2 = [this](const void *s) { hex.DataChanged(s); };
    }
    int type(IntEditModel &view, const std::string &keys)
    {
        int beeps = 0;
        for (char c : keys)
            beeps += view.KeyPress(char32_t(c)).beep;
        return beeps;
    }
};

TBytesData bytesAt(Bytes bytes, std::int64_t cursor)
{
    TBytesData d;
    d.SetBytes(std::move(bytes));
    d.SetCursorPos(cursor);
    return d;
}

} // namespace

TEST(ValueEntryInt, TypingKeepsTheViewsInStep)
{
    IntGroup g;
    EXPECT_EQ(g.type(g.hex, "1fF:G"), 2);
    EXPECT_EQ(g.hex.Text(), "1FF");
    EXPECT_EQ(g.dec.Text(), "511");
    EXPECT_EQ(g.type(g.dec, "007a"), 1); // overtypes from the front, keeps the zeros
    EXPECT_EQ(g.dec.Text(), "007");
    EXPECT_EQ(g.hex.Text(), "7");
    g.data.SetValue(7, nullptr); // the same value: nobody rebuilds
    EXPECT_EQ(g.dec.Text(), "007");
    g.data.SetValue(0, nullptr);
    EXPECT_EQ(g.dec.Text(), "0");
    EXPECT_EQ(g.dec.CursorPos(), 1);
}

TEST(ValueEntryInt, EditingKeysAtStartMiddleAndEnd)
{
    IntGroup g;
    g.type(g.hex, "123");
    g.hex.KeyDown(EntryKey::Left);
    g.hex.KeyPress(BackspaceChar);
    EXPECT_EQ(g.hex.Text(), "13");
    EXPECT_EQ(g.hex.CursorPos(), 1);
    g.hex.KeyDown(EntryKey::Insert);
    EXPECT_EQ(g.dec.Text(), "259"); // 103
    g.hex.KeyDown(EntryKey::Delete);
    g.hex.KeyDown(EntryKey::End);
    g.hex.KeyDown(EntryKey::Insert); // behind the last digit: times the base
    EXPECT_EQ(g.data.Value, 0x130);
    EXPECT_EQ(g.hex.CursorPos(), 2);
    g.hex.KeyDown(EntryKey::End);
    EXPECT_FALSE(g.hex.KeyDown(EntryKey::Delete).dataChanged);
    g.hex.KeyDown(EntryKey::Home);
    EXPECT_FALSE(g.hex.KeyDown(EntryKey::Left).cursorMoved);
    EXPECT_FALSE(g.hex.KeyPress(BackspaceChar).dataChanged);
    g.hex.KeyDown(EntryKey::Insert); // at the front: value unchanged
    EXPECT_EQ(g.hex.Text(), "0130");
    EXPECT_EQ(g.data.Value, 0x130);
    for (int i = 0; i < 4; ++i)
        g.hex.KeyDown(EntryKey::Delete);
    EXPECT_EQ(g.hex.Text(), ""); // blank while the value is 0
    EXPECT_EQ(g.dec.Text(), "0");
}

TEST(ValueEntryInt, DigitLimitsAndTheSignedRange)
{
    // Offsets past 2^31 and 2^32 go through both views unchanged.
    IntGroup g;
    EXPECT_EQ(g.type(g.dec, "4294967296"), 0);
    EXPECT_EQ(g.hex.Text(), "100000000");
    g.hex.KeyDown(EntryKey::End);
    EXPECT_EQ(g.type(g.hex, "8"), 0);
    EXPECT_EQ(g.data.Value, 0x1000000008);
    EXPECT_EQ(g.dec.Text(), "68719476744");

    IntGroup m; // refused with a beep, never wrapped
    EXPECT_EQ(m.type(m.dec, "92233720368547758087"), 1);
    EXPECT_EQ(m.type(m.dec, "0"), 1); // the twentieth digit
    EXPECT_EQ(m.hex.Text(), "7FFFFFFFFFFFFFFF");
    EXPECT_EQ(m.type(m.hex, "8"), 1); // 8FFFFFFFFFFFFFFF
    EXPECT_EQ(m.data.Value, INT64_MAX);

    IntGroup s;
    s.type(s.hex, "FFFFFFFFFFFFFFF");
    EXPECT_TRUE(s.hex.KeyDown(EntryKey::Insert).beep); // would be FFFFFFFFFFFFFFF0
    s.hex.KeyDown(EntryKey::Home);
    s.hex.KeyDown(EntryKey::Insert);
    EXPECT_EQ(s.hex.Text(), "0FFFFFFFFFFFFFFF");
    const EntryResult full = s.hex.KeyDown(EntryKey::Insert);
    EXPECT_FALSE(full.beep || full.dataChanged);
}

TEST(ValueEntryBytes, OneCursorInThirdsSharedByTheViews)
{
    TBytesData d = bytesAt({0x41, 0x42}, 0);
    int updates = 0;
    d.OnChange = [&](TBytesData &) { ++updates; };
    const std::pair<DataView, EntryKey> steps[] = {
        {DataView::Hex, EntryKey::Right},  {DataView::Hex, EntryKey::Right},
        {DataView::Hex, EntryKey::Right},  {DataView::Dec, EntryKey::Right},
        {DataView::Hex, EntryKey::Left},   {DataView::Char, EntryKey::Right},
        {DataView::Char, EntryKey::Right}, {DataView::Char, EntryKey::Left},
        {DataView::Dec, EntryKey::Home},   {DataView::Char, EntryKey::Left},
        {DataView::Hex, EntryKey::End},    {DataView::Hex, EntryKey::Right}};
    const std::int64_t expected[] = {1, 3, 4, 5, 4, 6, 6, 3, 0, 0, 6, 6};
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        d.KeyDown(steps[i].first, steps[i].second);
        EXPECT_EQ(d.CursorPos(), expected[i]) << i;
    }
    EXPECT_EQ(updates, 12);
    d.SetCursorPos(5); // a decimal units digit; the hex view takes the focus
    d.FocusView();
    EXPECT_EQ(d.CursorPos(), 3);
}

TEST(ValueEntryBytes, DigitsAndCharacters)
{
    TBytesData d = bytesAt({0x41, 0x42}, 6);
    d.KeyPress(DataView::Hex, '4');
    d.KeyPress(DataView::Hex, '3');
    for (char32_t bad : {U'g', U':', U'\u00e4'}) // appends nothing
        EXPECT_TRUE(d.KeyPress(DataView::Hex, bad).beep);
    d.SetCursorPos(0);
    d.KeyPress(DataView::Hex, 'f');
    d.KeyPress(DataView::Hex, 'e');
    d.KeyPress(DataView::Hex, '0');
    EXPECT_EQ(d.Bytes(), (Bytes{0xFE, 0x02, 0x43}));

    d.Clear();
    EXPECT_EQ(d.KeyPress(DataView::Dec, '2').beep + d.KeyPress(DataView::Dec, '5').beep, 0);
    const EntryResult six = d.KeyPress(DataView::Dec, '6');
    EXPECT_TRUE(six.beep && !six.dataChanged);
    EXPECT_EQ(d.Bytes(), Bytes{250});
    d.KeyPress(DataView::Dec, '5');
    EXPECT_TRUE(d.KeyPress(DataView::Dec, '3').beep); // hundreds
    EXPECT_EQ(d.Bytes(), Bytes{255});

    // Over 255 by the digits as they stand: capped with a beep, the digit still taken.
    d.SetBytes({199, 209});
    d.SetCursorPos(0);
    EXPECT_TRUE(d.KeyPress(DataView::Dec, '2').beep);
    d.SetCursorPos(4);
    EXPECT_TRUE(d.KeyPress(DataView::Dec, '5').beep);
    EXPECT_EQ(d.Bytes(), (Bytes{255, 255}));
    EXPECT_EQ(d.CursorPos(), 5);

    d.KeyPress(DataView::Char, 'z'); // the second byte
    d.KeyPress(DataView::Char, U'\u20ac');
    d.KeyPress(DataView::Char, 1); // control characters are bytes too
    const EntryResult r = d.KeyPress(DataView::Char, U'\u0416');
    EXPECT_TRUE(r.beep && !r.dataChanged && !r.cursorMoved);
    EXPECT_EQ(d.Bytes(), (Bytes{255, 'z', 0x80, 0x01}));
}

TEST(ValueEntryBytes, BackspaceDeleteInsertAndClear)
{
    TBytesData d = bytesAt({1, 2, 3}, 0);
    EXPECT_FALSE(d.KeyPress(DataView::Hex, BackspaceChar).dataChanged);
    d.KeyDown(DataView::Hex, EntryKey::Insert);
    EXPECT_EQ(d.Bytes(), (Bytes{0, 1, 2, 3}));
    d.SetCursorPos(7);
    d.KeyPress(DataView::Dec, BackspaceChar);
    EXPECT_EQ(d.Bytes(), (Bytes{0, 2, 3}));
    EXPECT_EQ(d.CursorPos(), 3); // same byte, first digit
    d.SetCursorPos(4);
    d.KeyDown(DataView::Dec, EntryKey::Delete); // the cursor stays
    EXPECT_EQ(d.CursorPos(), 4);
    d.KeyDown(DataView::Dec, EntryKey::Delete); // the last byte: to its first digit
    EXPECT_EQ(d.CursorPos(), 3);
    EXPECT_FALSE(d.KeyDown(DataView::Dec, EntryKey::Delete).dataChanged);
    d.KeyDown(DataView::Char, EntryKey::Insert); // appends
    EXPECT_EQ(d.Bytes(), (Bytes{0, 0}));
    d.KeyDown(DataView::Char, EntryKey::End);
    d.KeyPress(DataView::Char, BackspaceChar);
    EXPECT_EQ(d.ByteCount(), 1);
    EXPECT_EQ(d.CursorPos(), 3);
    d.Clear();
    EXPECT_EQ(d.ByteCount() + d.CursorPos(), 0);
}

TEST(ValueEntry, MouseClicks)
{
    const EntryMetrics m{8, 2, 3}; // hex cells 22 wide, decimal cells 30
    IntGroup g;
    g.type(g.hex, "ABC");
    g.hex.MouseDown(2 + 8 + 7, m);
    EXPECT_EQ(g.hex.CursorPos(), 1);

    TBytesData d = bytesAt({1, 2, 3, 4}, 0);
    d.MouseDown(DataView::Hex, 22 + 11, 1, m); // right half of the second cell shown
    EXPECT_EQ(d.CursorPos(), 7);
    d.MouseDown(DataView::Hex, 22 * 9, 0, m);
    EXPECT_EQ(d.CursorPos(), 12);
    for (auto [x, pos] : {std::pair{30 + 2 + 8, 4}, {30 + 1, 3}, {30 + 29, 5}}) {
        d.MouseDown(DataView::Dec, x, 0, m);
        EXPECT_EQ(d.CursorPos(), pos) << x;
    }
    d.MouseDown(DataView::Char, 2 * 8 + 5, 1, m); // the nearer character edge
    EXPECT_EQ(d.CursorPos(), 9);
}

TEST(ValueEntryBytes, ViewsScrollOnlyAsFarAsTheCursorNeeds)
{
    const EntryMetrics m{8, 2, 3}; // hex cells 22 wide, characters 8
    TBytesData d;
    d.SetBytes(Bytes(40, 0x80));
    d.SetCursorPos(3 * 40);
    EXPECT_EQ(d.FirstByte(DataView::Hex), 0); // not laid out yet
    d.SetViewWidth(DataView::Hex, 22 * 10 + 5, m);
    d.SetViewWidth(DataView::Char, 8 * 10, m);
    EXPECT_EQ(d.FirstByte(DataView::Hex), 31); // the append position in the last cell
    EXPECT_EQ(d.FirstByte(DataView::Char), 31);
    for (int i = 0; i < 5; ++i)
        d.DoLeft(DataView::Hex);
    EXPECT_EQ(d.FirstByte(DataView::Hex), 31); // still in sight: no scroll back
    d.SetCursorPos(3 * 20);
    EXPECT_EQ(d.FirstByte(DataView::Dec), 0); // never laid out, never scrolled
    EXPECT_EQ(d.FirstByte(DataView::Hex), 20);
    d.SetViewWidth(DataView::Hex, 22 * 3, m);
    d.DoEnd();
    EXPECT_EQ(d.FirstByte(DataView::Hex), 38);
    d.Clear();
    EXPECT_EQ(d.FirstByte(DataView::Hex) + d.FirstByte(DataView::Char), 0);

    d.SetBytes({0x41, 0x00, 0x80, 0xFF});
    EXPECT_EQ(d.ViewText(DataView::Hex), "41 00 80 FF");
    EXPECT_EQ(d.ViewText(DataView::Dec), "065 000 128 255");
    EXPECT_EQ(d.ViewText(DataView::Char), std::string("A\0\u20AC\u00FF", 7));
}
