#include "ScriptedHost.h"

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
