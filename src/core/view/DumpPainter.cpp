#include "view/DumpPainter.h"
#include "document/Format.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace vtm {

namespace {

constexpr int kMaxCellChars = 64;

// "000".."255", so the fast path does no number formatting.
const std::array<std::array<char, 3>, 256> &decimalTexts()
{
    static const auto table = [] {
        std::array<std::array<char, 3>, 256> t{};
        for (int v = 0; v < 256; ++v)
            t[std::size_t(v)] = {char('0' + v / 100), char('0' + v / 10 % 10), char('0' + v % 10)};
        return t;
    }();
    return table;
}

void appendCellText(std::string &out, const DumpScene &s, std::uint8_t v)
{
    if (s.view.HexMode) {
        out += HexDigit(v >> 4u);
        out += HexDigit(v);
    } else {
        const auto &d = decimalTexts()[v];
        out.append(d.data(), 3);
    }
}

bool rowVisible(const DumpScene &s, std::int64_t rowStart, int *viewRow)
{
    const std::int64_t top = s.view.TopRow() * s.view.BytesPerRow;
    if (s.view.BytesPerRow <= 0 || rowStart < top
        || rowStart >= top + std::int64_t(s.view.VisibleRows) * s.view.BytesPerRow)
        return false;
    *viewRow = int((rowStart - top) / s.view.BytesPerRow);
    return true;
}

// The bytes the dump may show: none of a file that can no longer be read, whose rows paint
// as past the end rather than as bytes nobody can vouch for.
std::int64_t shownSize(const DumpScene &s)
{
    return s.doc.SourceFailed() ? 0 : s.doc.BufferSize();
}

// Paints with f; when the file under the document fails during it (also where a nested
// painter caught it), paints again without its bytes, so that none read before stay on
// screen. Whoever checks the document next reports the failure.
template <class F>
void paintGuarded(const DumpScene &s, F f)
{
    const bool failedBefore = s.doc.SourceFailed();
    try {
        f();
    } catch (const SourceReadError &) {
    }
    if (!failedBefore && s.doc.SourceFailed())
        f();
}

void fillGaps(Canvas &c, const Metrics &m, int x0, int y0, int n, Color left, Color right)
{
    const int h = m.RowHeight - 1;
    c.fillRect(x0, y0, m.LeftGap, h, left);
    c.fillRect(x0 + m.LeftGap + n * m.CharWidth, y0, m.RightGap, h, right);
}

} // namespace

void PaintCell(Canvas &canvas, const Metrics &m, int x, int y, std::string_view text,
               const Color *fonts, const Color *backs, Color grid)
{
    const int n = int(text.size());
    bool uniform = true;
    for (int j = 1; j <= n && uniform; ++j)
        uniform = fonts[j] == fonts[1];
    for (int j = 0; j <= n + 1 && uniform; ++j)
        uniform = backs[j] == backs[0];

    fillGaps(canvas, m, x, y, n, backs[0], backs[n + 1]);
    if (uniform) {
        canvas.drawText(x + m.LeftGap, y, text, fonts[1], backs[1]);
    } else {
        for (int j = 1; j <= n; ++j)
            canvas.drawText(x + m.LeftGap + (j - 1) * m.CharWidth, y,
                            text.substr(std::size_t(j - 1), 1), fonts[j], backs[j]);
    }
    const int right = x + m.LeftGap + n * m.CharWidth + m.RightGap;
    canvas.fillRect(x, y + m.RowHeight - 1, right - x, 1, grid);
    canvas.fillRect(right, y, 1, m.RowHeight, grid);
}

namespace {

void paintNumberCell(Canvas &canvas, const DumpScene &s, std::int64_t o)
{
    int viewRow;
    if (o < 0 || s.view.BytesPerRow <= 0 || !rowVisible(s, o - o % s.view.BytesPerRow, &viewRow))
        return;
    const Metrics &m = s.view.metrics;
    const int n = std::min(s.view.CellChars, kMaxCellChars);
    std::string text;
    Color fonts[kMaxCellChars + 2];
    Color backs[kMaxCellChars + 2];
    if (o < shownSize(s)) {
        const std::uint8_t mark = s.doc.MarkAt(o);
        appendCellText(text, s, s.doc.ByteAt(o));
        std::fill_n(fonts, n + 2, colors::Black);
        std::fill_n(backs, n + 2, BrightMarkColor(mark));
        if (o / s.view.BytesPerRow == s.view.CursorRow) {
            const int index = int(o % s.view.BytesPerRow);
            if (!s.view.InCharArea(s.view.CursorCol)) {
                if (index == s.view.CursorCol / s.view.CellChars && s.view.CursorVisible) {
                    const int digit = 1 + s.view.CursorCol % s.view.CellChars;
                    fonts[digit] = colors::White;
                    backs[digit] = colors::Black;
                }
            } else if (index == s.view.CursorCol - s.view.NumberColumns()) {
                std::fill_n(fonts, n + 2, colors::White);
                std::fill_n(backs, n + 2, DarkMarkColor(mark));
            }
        }
    } else {
        text.assign(std::size_t(n), ' ');
        std::fill_n(fonts, n + 2, colors::Black);
        std::fill_n(backs, n + 2, colors::White);
    }
    PaintCell(canvas, m, int(o % s.view.BytesPerRow) * m.CellWidth, viewRow * m.RowHeight, text,
              fonts, backs, colors::ButtonFace);
}

void paintCharRow(Canvas &canvas, const DumpScene &s, std::int64_t o)
{
    int viewRow;
    if (o < 0 || s.view.BytesPerRow <= 0)
        return;
    const std::int64_t start = o - o % s.view.BytesPerRow;
    if (!rowVisible(s, start, &viewRow))
        return;
    const Metrics &m = s.view.metrics;
    const int n = std::min(s.view.BytesPerRow, kMaxCellChars);
    std::string text;
    Color fonts[kMaxCellChars + 2];
    Color backs[kMaxCellChars + 2];
    std::fill_n(fonts, n + 2, colors::Black);
    std::fill_n(backs, n + 2, colors::White);
    const std::int64_t size = shownSize(s);
    for (int k = 0; k < n; ++k) {
        const std::int64_t i = start + k;
        if (i < size) {
            text += DisplayChar(s.doc.ByteAt(i), false, s.NoUnknown);
            backs[k + 1] = BrightMarkColor(s.doc.MarkAt(i));
        } else {
            text += ' ';
        }
    }
    if (start / s.view.BytesPerRow == s.view.CursorRow) {
        if (!s.view.InCharArea(s.view.CursorCol)) {
            const int k = s.view.CursorCol / s.view.CellChars;
            if (start + k < size) {
                fonts[k + 1] = colors::White;
                backs[k + 1] = DarkMarkColor(s.doc.MarkAt(start + k));
            }
        } else if (s.view.CursorVisible && s.view.CursorOffset() < size) {
            const std::size_t k = std::size_t(s.view.CursorCol - s.view.NumberColumns() + 1);
            fonts[k] = colors::White;
            backs[k] = colors::Black;
        }
    }
    PaintCell(canvas, m, s.view.BytesPerRow * m.CellWidth, viewRow * m.RowHeight, text, fonts,
              backs, colors::ButtonFace);
}

void paintRows(Canvas &canvas, const DumpScene &s, int top, int bottom)
{
    const Metrics &m = s.view.metrics;
    if (s.view.BytesPerRow <= 0 || m.RowHeight <= 0)
        return;
    const int first = std::max(0, top / m.RowHeight);
    const int last = std::min(s.view.VisibleRows - 1, bottom / m.RowHeight);
    const std::int64_t size = shownSize(s);
    std::vector<std::uint8_t> bytes(std::size_t(std::max(s.view.BytesPerRow, 0)));
    const int areaX = s.view.BytesPerRow * m.CellWidth;
    std::string run;
    run.reserve(std::size_t(2 + s.view.BytesPerRow * (s.view.CellChars + 2)));

    for (int b = first; b <= last; ++b) {
        const std::int64_t row = s.view.TopRow() + b;
        const std::int64_t start = row * s.view.BytesPerRow;
        const std::int64_t end = std::min<std::int64_t>(start + s.view.BytesPerRow, size);
        // One colour unless a run of marks begins or ends inside the row.
        std::uint8_t mark = 0;
        bool mixed = false;
        if (const MarkMap::Cursor c = s.doc.MarkRuns().firstEndingAfter(start);
            c.valid() && c.run().start < end) {
            mark = c.run().colour;
            mixed = c.run().start > start || c.run().end < end;
        }
        const int y = b * m.RowHeight;

        if (mixed || row == s.view.CursorRow) {
            for (std::int64_t o = start; o < start + s.view.BytesPerRow; ++o)
                PaintNumberCell(canvas, s, o);
            PaintCharRow(canvas, s, start);
            continue;
        }

        // A row in one colour without the cursor: one text run.
        if (end > start)
            s.doc.ReadBytes(start, end - start, bytes.data());
        run.assign(1, ' ');
        for (std::int64_t o = start; o < start + s.view.BytesPerRow; ++o) {
            if (o < end)
                appendCellText(run, s, bytes[std::size_t(o - start)]);
            else
                run.append(std::size_t(s.view.CellChars), ' ');
            run += ' ';
        }
        for (std::int64_t o = start; o < start + s.view.BytesPerRow; ++o)
            run += o < end ? DisplayChar(bytes[std::size_t(o - start)], false, s.NoUnknown) : ' ';
        run += ' ';
        const Color back = BrightMarkColor(mark);
        canvas.drawText(m.LeftGap - m.CharWidth, y, run, colors::Black, back);
        if (back != colors::White) {
            // The character area's margins never show marks.
            canvas.fillRect(areaX, y, m.LeftGap, m.RowHeight, colors::White);
            canvas.fillRect(areaX + m.CharAreaWidth - m.RightGap - 1, y, m.RightGap + 1,
                            m.RowHeight, colors::White);
        }
        for (int e = 0; e <= s.view.BytesPerRow; ++e)
            canvas.fillRect(e * m.CellWidth - 1, y, 1, m.RowHeight, colors::ButtonFace);
        canvas.fillRect(areaX + m.CharAreaWidth - 1, y, 1, m.RowHeight - 1, colors::ButtonFace);
        canvas.fillRect(0, y + m.RowHeight - 1, areaX + m.CharAreaWidth, 1, colors::ButtonFace);
    }
}

} // namespace

void PaintNumberCell(Canvas &canvas, const DumpScene &s, std::int64_t o)
{
    paintGuarded(s, [&] { paintNumberCell(canvas, s, o); });
}

void PaintCharRow(Canvas &canvas, const DumpScene &s, std::int64_t o)
{
    paintGuarded(s, [&] { paintCharRow(canvas, s, o); });
}

void PaintRows(Canvas &canvas, const DumpScene &s, int top, int bottom)
{
    paintGuarded(s, [&] { paintRows(canvas, s, top, bottom); });
}

std::string OffsetLabel(const DumpScene &s, std::int64_t row)
{
    return ZeroPadded(std::uint64_t(std::max<std::int64_t>(row, 0)),
                      s.view.metrics.OffsetDigits - 1, s.view.HexMode)
           + '0';
}

void PaintPanel(Canvas &canvas, const DumpScene &s)
{
    const Metrics &m = s.view.metrics;
    Color fonts[kMaxCellChars + 2];
    Color backs[kMaxCellChars + 2];
    std::fill_n(fonts, kMaxCellChars + 2, colors::Black);
    std::fill_n(backs, kMaxCellChars + 2, colors::ButtonFace);
    auto cell = [&](int x, int y, const std::string &text) {
        PaintCell(canvas, m, x, y, std::string_view(text).substr(0, kMaxCellChars), fonts, backs,
                  colors::ButtonShadow);
    };
    const std::int64_t top = s.view.TopRow();
    for (int i = 0; i <= s.view.VisibleRows; ++i) {
        cell(0, i * m.RowHeight,
             i == 0 ? std::string(std::size_t(m.OffsetDigits), ' ') : OffsetLabel(s, top + i - 1));
    }
    std::string chars;
    for (int a = 0; a < s.view.BytesPerRow; ++a) {
        std::string head(std::size_t(std::max(0, s.view.CellChars - 1)), ' ');
        head += HexDigit(unsigned(a));
        cell(m.OffsetColumnWidth + a * m.CellWidth, 0, head);
        chars += HexDigit(unsigned(a));
    }
    cell(m.OffsetColumnWidth + s.view.BytesPerRow * m.CellWidth, 0, chars + "    ");
}

} // namespace vtm
