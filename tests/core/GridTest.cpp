#include "ScriptedHost.h"
#include "document/StatusTexts.h"
#include "view/DumpPainter.h"
#include "view/Navigation.h"

#include <gtest/gtest.h>

using namespace vtm;
using namespace vtmtest;

TEST(Grid, NormaliseAndOffsets)
{
    Rig hex(Iota(20));
    EXPECT_EQ(hex.s.view.RowCount, 2);
    EXPECT_EQ(hex.s.Normalise({47, 5}), (CellPos{35, 1}));
    EXPECT_EQ(hex.s.Normalise({31, 1}), (CellPos{7, 1}));
    EXPECT_EQ(hex.s.view.CellToOffset(5, 0), 2);
    EXPECT_EQ(hex.s.view.CellToOffset(32, 3), 48);
    EXPECT_EQ(hex.s.view.CellToOffset(-1, 2), 32);

    Rig dec(Iota(30), 10, false);
    EXPECT_EQ(dec.s.view.RowCount, 3);
    EXPECT_EQ(dec.s.Normalise({29, 2}), (CellPos{29, 2}));
    EXPECT_EQ(dec.s.view.CellToOffset(35, 1), 15);

    Rig empty({});
    EXPECT_EQ(empty.s.Normalise({5, 3}), (CellPos{-1, 0}));
    EXPECT_EQ(empty.s.Normalise({40, 3}), (CellPos{31, 0}));
}

TEST(Grid, MetricsOfAnEightBySixteenFont)
{
    Rig hex(Iota(20), 7);
    const Metrics &m = hex.s.view.metrics;
    EXPECT_EQ(std::vector({m.LeftGap, m.RightGap, m.RowHeight, m.CellWidth, m.CharAreaWidth}),
              std::vector({3, 4, 17, 24, 136}));
    EXPECT_EQ(m.OffsetDigits, 3);
    EXPECT_EQ(m.OffsetColumnWidth, 32);
    EXPECT_EQ(hex.host.lastLayout.viewClientWidth, 519);
    EXPECT_EQ(hex.host.lastLayout.viewClientHeight, 7 * 17 - 1);
    EXPECT_EQ(hex.s.view.VisibleRows, 7);
    hex.host.layout.clientHeight -= 1;
    hex.host.requestLayout();
    EXPECT_EQ(hex.s.view.VisibleRows, 6);

    Rig dec(Iota(20), 7, false);
    EXPECT_EQ(dec.s.view.metrics.CellWidth, 32);
    EXPECT_EQ(dec.s.view.metrics.CharAreaWidth, 88);
    EXPECT_EQ(dec.host.lastLayout.viewClientWidth, 407);

    auto digits = [](int bytes, bool hexMode) {
        EditorState s;
        s.view.HexMode = hexMode;
        const std::vector<std::uint8_t> v(static_cast<std::size_t>(bytes));
        s.doc.loadBytes(v.data(), bytes);
        ComputeLayout(s.view, s.doc.BufferSize());
        return s.view.metrics.OffsetDigits;
    };
    EXPECT_EQ(digits(0, true), 3);
    EXPECT_EQ(digits(4096, true), 3);
    EXPECT_EQ(digits(4097, true), 4);
    EXPECT_EQ(digits(1000, false), 3);
    EXPECT_EQ(digits(1001, false), 4);
}

TEST(Grid, MouseToCell)
{
    Rig hex(Iota(16 * 40));
    hex.s.view.VertBar.SetPosition(2);
    EXPECT_EQ(MouseToCell(hex.s.view, 2, 0), (CellPos{0, 2})); // left gap
    EXPECT_EQ(MouseToCell(hex.s.view, 11, 16), (CellPos{1, 2}));
    EXPECT_EQ(MouseToCell(hex.s.view, 23, 0), (CellPos{1, 2})); // right grid line
    EXPECT_EQ(MouseToCell(hex.s.view, 24, 0), (CellPos{2, 2}));
    EXPECT_EQ(MouseToCell(hex.s.view, 384 + 3 + 8 * 5, 17), (CellPos{37, 3}));
    EXPECT_EQ(MouseToCell(hex.s.view, 519, 17 * 4), (CellPos{47, 6}));

    Rig dec(Iota(100), 10, false);
    EXPECT_EQ(MouseToCell(dec.s.view, 31, 0), (CellPos{2, 0}));
    EXPECT_EQ(MouseToCell(dec.s.view, 406, 0), (CellPos{39, 0}));
}

// Rows and offsets past 2^31 and 2^32, from the layout to the status bar; the view needs
// only the length, so no bytes are held.
TEST(Grid, RowsAndOffsetsOfTheLargestDocument)
{
    const std::int64_t size = Document::MaxBufferSize - 3;
    ScriptedHost host;
    DumpView v;
    v.fontCharWidth = 8;
    v.fontCharHeight = 16;
    v.VertBar.Owner = &host;
    LayoutInput in;
    in.clientHeight = 17 * 12;
    LayoutView(v, size, in);
    const std::int64_t rows = (size + 15) / 16;
    EXPECT_EQ(v.RowCount, rows);
    EXPECT_EQ(v.metrics.OffsetDigits, 10); // FFFFFFFFF0: the last row
    // The window's bar gets a scaled range that fits an int.
    EXPECT_EQ(host.range[1], int(rows / ScrollBarScale(rows)));
    v.VertBar.HandleScroll(ScrollRequest::Bottom);
    EXPECT_EQ(v.TopRow(), rows - v.VisibleRows);

    const CellPos last{44, rows - 1}; // 13 bytes in the last row
    EXPECT_EQ(v.Normalise({46, std::int64_t(1) << 50}, size), last);
    EXPECT_EQ(v.CellToOffset(last.col, last.row), size - 1);
    EXPECT_EQ(v.PositionOf(size - 1, false), (CellPos{24, rows - 1}));
    const std::int64_t past32 = (std::int64_t(1) << 32) + 5;
    EXPECT_EQ(v.PositionOf(past32 * 16 + 2, true), (CellPos{34, past32}));
    v.CursorCol = 4;
    v.CursorRow = past32;
    EXPECT_EQ(v.CursorOffset(), past32 * 16 + 2);
    EXPECT_EQ(MoveTarget(v, size, Move::PageDown), (CellPos{4, past32 + v.VisibleRows}));
    EXPECT_EQ(MoveTarget(v, size, Move::End), (CellPos{31, rows}));
    EXPECT_EQ(MouseToCell(v, 0, 17 * 2), (CellPos{0, v.TopRow() + 2}));

    const Document empty;
    EXPECT_EQ(OffsetLabel({v, empty, false}, rows - 1), "FFFFFFFFF0");
    v.HexMode = false;
    ComputeLayout(v, size);
    EXPECT_EQ(v.metrics.OffsetDigits, 13); // 1099511627770
    EXPECT_EQ(OffsetLabel({v, empty, false}, v.RowCount - 1), "1099511627770");

    EXPECT_EQ(PositionText(past32), "Pos: 4294967301 $100000005");
    EXPECT_EQ(DistanceText(-past32), "Dist: -4294967301 -$100000005");
    EXPECT_EQ(DistanceText(INT64_MIN), "Dist: -9223372036854775808 -$8000000000000000");
}
