#include "view/Layout.h"

#include <algorithm>

namespace vtm {

int OffsetDigitsFor(int rowCount, int bytesPerRow)
{
    if (rowCount <= 0 || bytesPerRow <= 1)
        return 3;
    int d = 0;
    for (std::int64_t power = 1; power < rowCount; power *= bytesPerRow)
        ++d;
    return std::max(3, d + 1);
}

Metrics MetricsForFont(int charWidth, int charHeight)
{
    Metrics m;
    m.CharWidth = charWidth;
    m.CharHeight = charHeight;
    m.RowHeight = charHeight + 1;
    m.LeftGap = (charWidth - 1) / 2;
    m.RightGap = charWidth - m.LeftGap - 1;
    return m;
}

void ComputeLayout(EditorState &s)
{
    Metrics &m = s.metrics;
    m = MetricsForFont(s.fontCharWidth, s.fontCharHeight);
    s.BytesPerRow = s.HexMode ? 16 : 10;
    s.CellChars = s.HexMode ? 2 : 3;
    s.RowCount = int((std::int64_t(s.doc.BufferSize()) + s.BytesPerRow - 1) / s.BytesPerRow);
    m.OffsetDigits = OffsetDigitsFor(s.RowCount, s.BytesPerRow);
    m.OffsetColumnWidth = (m.OffsetDigits + 1) * m.CharWidth;
    m.CellWidth = (s.CellChars + 1) * m.CharWidth;
    m.CharAreaWidth = (s.BytesPerRow + 1) * m.CharWidth;
}

namespace {
// Steps through the characters of a cell or area: gap and first character give 0,
// anything right of the last character gives the last.
int characterAt(int r, const Metrics &m, int maxSteps)
{
    int steps = 0;
    if (r >= m.LeftGap) {
        r -= m.LeftGap;
        while (r >= m.CharWidth && steps < maxSteps) {
            ++steps;
            r -= m.CharWidth;
        }
    }
    return steps;
}
} // namespace

CellPos MouseToCell(const EditorState &s, int x, int y)
{
    const Metrics &m = s.metrics;
    const int row = s.TopRow() + (m.RowHeight > 0 ? y / m.RowHeight : 0);
    const int numberWidth = s.BytesPerRow * m.CellWidth;
    if (x < numberWidth) {
        const int k = m.CellWidth > 0 ? x / m.CellWidth : 0;
        return {k * s.CellChars + characterAt(x - k * m.CellWidth, m, s.CellChars - 1), row};
    }
    return {s.NumberColumns() + characterAt(x - numberWidth, m, s.BytesPerRow - 1), row};
}

} // namespace vtm
