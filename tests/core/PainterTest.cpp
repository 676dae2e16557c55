#include "ScriptedHost.h"
#include "view/DumpPainter.h"

#include <gtest/gtest.h>

#include <map>

using namespace vtm;
using namespace vtmtest;

namespace {

constexpr Color kUnpainted{1, 2, 3}, kRed{255, 0, 0}, kGrey{128, 128, 128};
constexpr Color kGreen{0, 255, 0}, kDarkGreen{0, 128, 0}, kBlue{0, 0, 255};

// Pixels as an 8x16 font covers them, and which character went where in what colour.
struct PixelCanvas : Canvas
{
    static constexpr int W = 560, H = 17 * 12;
    std::vector<Color> px = std::vector<Color>(W * H, kUnpainted);
    std::map<std::pair<int, int>, std::pair<char, Color>> glyphs;
    std::map<std::pair<int, int>, std::string> texts;
    std::map<int, std::vector<Color>> textBacks; // of every drawText, by y

    void fillRect(int x, int y, int w, int h, Color c) override
    {
        for (int j = std::max(y, 0); j < std::min(y + h, H); ++j)
            for (int i = std::max(x, 0); i < std::min(x + w, W); ++i)
                px[std::size_t(j * W + i)] = c;
    }
    void drawText(int x, int y, std::string_view text, Color fg, Color bg) override
    {
        texts[{x, y}] = text;
        textBacks[y].push_back(bg);
        fillRect(x, y, int(text.size()) * 8, 16, bg);
        for (std::size_t i = 0; i < text.size(); ++i)
            glyphs[{x + 8 * int(i), y}] = {text[i], fg};
    }
    Color at(int x, int y) const { return px[std::size_t(y * W + x)]; }
    char ch(int x, int y) const { return glyphs.at({x, y}).first; }
    Color fg(int x, int y) const { return glyphs.at({x, y}).second; }
    std::string text(int x, int y) const { return texts.count({x, y}) ? texts.at({x, y}) : ""; }
    bool rowCovered(int row, int width) const
    {
        for (int y = row * 17; y < row * 17 + 17; ++y)
            for (int x = 0; x < width; ++x)
                if (at(x, y) == kUnpainted)
                    return false;
        return true;
    }
};

// Left pixel of a byte's digit in the number area, and of its character.
int DigitX(int index, int digit)
{
    return index * 24 + 3 + digit * 8;
}
int CharX(int index)
{
    return 384 + 3 + index * 8;
}

PixelCanvas Paint(const EditorState &s)
{
    PixelCanvas c;
    PaintRows(c, s.Scene(), 0, s.view.VisibleRows * 17 - 1);
    return c;
}

} // namespace

TEST(Painter, CursorAndItsEcho)
{
    Rig r(Iota(40));
    SetMarks(r.s.doc, ".....2");
    r.place(11, 0); // second digit of byte 5
    PixelCanvas c = Paint(r.s);
    EXPECT_EQ(c.ch(DigitX(5, 1), 0), '5');
    EXPECT_EQ(c.fg(DigitX(5, 1), 0), colors::White);
    EXPECT_EQ(c.at(DigitX(5, 1) + 2, 5), colors::Black);
    EXPECT_EQ(c.at(DigitX(5, 0) + 2, 5), kGreen);
    EXPECT_EQ(c.fg(CharX(5), 0), colors::White);
    EXPECT_EQ(c.at(CharX(5) + 2, 5), kDarkGreen);

    r.s.view.CursorVisible = false; // blink phase: the echo stays
    c = Paint(r.s);
    EXPECT_EQ(c.fg(DigitX(5, 1), 0), colors::Black);
    EXPECT_EQ(c.at(DigitX(5, 1) + 2, 5), kGreen);
    EXPECT_EQ(c.at(CharX(5) + 2, 5), kDarkGreen);

    r.s.view.CursorVisible = true;
    r.place(6, 1); // unmarked byte 19
    c = Paint(r.s);
    EXPECT_EQ(c.at(DigitX(3, 0) + 1, 17 + 5), colors::Black);
    EXPECT_EQ(c.at(CharX(3) + 1, 17 + 5), kGrey);

    r.place(32 + 5, 0); // in the character area the echo is on the number cell
    c = Paint(r.s);
    EXPECT_EQ(c.at(CharX(5) + 2, 5), colors::Black);
    EXPECT_EQ(c.fg(CharX(5), 0), colors::White);
    for (int d = 0; d < 2; ++d) {
        EXPECT_EQ(c.fg(DigitX(5, d), 0), colors::White);
        EXPECT_EQ(c.at(DigitX(5, d) + 2, 5), kDarkGreen);
    }
    EXPECT_TRUE(c.rowCovered(0, 520));
}

TEST(Painter, RowsInOneMarkColourAreOneRun)
{
    Rig r(Iota(40));
    SetMarks(r.s.doc, "................"
                      "....3..........."
                      "11111111");
    PixelCanvas c = Paint(r.s);

    // Row 2: bytes 32..39 red, then blank cells.
    const int y = 2 * 17;
    EXPECT_EQ(c.textBacks[y], std::vector{kRed});
    EXPECT_EQ(c.ch(DigitX(7, 1), y), '7');
    EXPECT_EQ(c.ch(CharX(1), y), '!');
    EXPECT_EQ(c.ch(DigitX(10, 0), y), ' ');
    EXPECT_EQ(c.at(DigitX(10, 0) + 2, y + 5), kRed);
    EXPECT_EQ(c.at(384 + 1, y + 5), colors::White); // character-area margins
    EXPECT_EQ(c.at(384 + 136 - 3, y + 5), colors::White);
    EXPECT_EQ(c.at(23, y + 5), colors::ButtonFace); // grid lines over the run
    EXPECT_EQ(c.at(100, y + 16), colors::ButtonFace);
    EXPECT_TRUE(c.rowCovered(2, 520));

    // Row 1: one blue byte among unmarked ones, cell by cell.
    EXPECT_EQ(c.textBacks[17].size(), 32u);
    EXPECT_EQ(c.at(DigitX(4, 0) + 1, 17 + 5), kBlue);
    EXPECT_EQ(c.at(DigitX(4, 0) - 2, 17 + 5), kBlue);
    EXPECT_EQ(c.at(CharX(4) + 1, 17 + 5), kBlue);
    EXPECT_TRUE(c.rowCovered(1, 520));
}

TEST(Painter, EmptyDocumentShowsNoCursor)
{
    for (bool hex : {true, false}) {
        Rig r({}, 10, hex);
        for (int col : {-1, 0, 31, 32}) {
            r.s.view.CursorCol = col;
            PixelCanvas c = Paint(r.s);
            for (const Color &p : c.px)
                ASSERT_NE(p, colors::Black) << col;
            for (const auto &g : c.glyphs)
                ASSERT_NE(g.second.second, colors::White) << col;
            EXPECT_TRUE(c.rowCovered(0, r.host.lastLayout.viewClientWidth + 1));
        }
    }
}

TEST(Painter, OffsetLabelsAndHeader)
{
    Rig hex(Iota(40));
    EXPECT_EQ(OffsetLabel(hex.s.Scene(), 0x12), "120");
    PixelCanvas c;
    PaintPanel(c, hex.s.Scene());
    EXPECT_EQ(c.text(32 + 15 * 24 + 3, 0), " F");
    EXPECT_EQ(c.text(32 + 16 * 24 + 3, 0).substr(0, 16), "0123456789ABCDEF");
    EXPECT_EQ(c.text(3, 2 * 17), "010");
    // Scrolled past row 2^32 of the largest document: the labels follow the 64-bit top row.
    ComputeLayout(hex.s.view, Document::MaxBufferSize);
    hex.s.view.VertBar.SetParams(hex.s.view.RowCount, hex.s.view.VisibleRows,
                                 std::int64_t(1) << 33);
    PixelCanvas far;
    PaintPanel(far, hex.s.Scene());
    EXPECT_EQ(far.text(3, 17), "2000000000");

    Rig dec(Iota(100), 10, false);
    EXPECT_EQ(OffsetLabel(dec.s.Scene(), 7), "070");
    PixelCanvas d;
    PaintPanel(d, dec.s.Scene());
    EXPECT_EQ(d.text(32 + 9 * 32 + 3, 0), "  9");
}
