#include "view/Layout.h"

#include <algorithm>

namespace vtm {

int OffsetDigitsFor(std::int64_t rowCount, int bytesPerRow)
{
    if (rowCount <= 0 || bytesPerRow <= 1)
        return 3;
    // The digits of the largest row index, by division so no power can overflow.
    int d = 0;
    for (std::int64_t v = rowCount - 1; v > 0; v /= bytesPerRow)
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

void ComputeLayout(DumpView &view, std::int64_t size)
{
    Metrics &m = view.metrics;
    m = MetricsForFont(view.fontCharWidth, view.fontCharHeight);
    view.BytesPerRow = view.HexMode ? 16 : 10;
    view.CellChars = view.HexMode ? 2 : 3;
    view.RowCount = (size + view.BytesPerRow - 1) / view.BytesPerRow;
    m.OffsetDigits = OffsetDigitsFor(view.RowCount, view.BytesPerRow);
    m.OffsetColumnWidth = (m.OffsetDigits + 1) * m.CharWidth;
    m.CellWidth = (view.CellChars + 1) * m.CharWidth;
    m.CharAreaWidth = (view.BytesPerRow + 1) * m.CharWidth;
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

CellPos MouseToCell(const DumpView &view, int x, int y)
{
    const Metrics &m = view.metrics;
    const std::int64_t row = view.TopRow() + (m.RowHeight > 0 ? y / m.RowHeight : 0);
    const int numberWidth = view.BytesPerRow * m.CellWidth;
    if (x < numberWidth) {
        const int k = m.CellWidth > 0 ? x / m.CellWidth : 0;
        return {k * view.CellChars + characterAt(x - k * m.CellWidth, m, view.CellChars - 1), row};
    }
    return {view.NumberColumns() + characterAt(x - numberWidth, m, view.BytesPerRow - 1), row};
}

LayoutResult LayoutView(DumpView &view, std::int64_t size, const LayoutInput &in)
{
    ComputeLayout(view, size);
    const Metrics &m = view.metrics;
    const int fit = in.clientHeight - in.toolbarHeight - in.statusBarHeight - in.panelFrame + 1;
    // At least one data row, so the view never loses its height.
    view.VisibleRows = std::max(1, (fit > 0 ? fit / m.RowHeight : 0) - 1);

    TPlixScrollBar &bar = view.VertBar;
    if (bar.Range != view.RowCount || bar.PageSize != view.VisibleRows) {
        std::int64_t p = bar.GetPosition();
        // Keep roughly the same part of the document in view: the row number of a
        // byte grows by 16/10 when rows get shorter.
        if (view.SwitchedToDec) {
            p = p * 16 / 10;
            view.SwitchedToDec = false;
        }
        if (view.SwitchedToHex) {
            p = p * 10 / 16;
            view.SwitchedToHex = false;
        }
        bar.SetParams(view.RowCount, view.VisibleRows, p);
    }

    LayoutResult r;
    r.viewLeft = m.OffsetColumnWidth;
    r.viewTop = m.RowHeight;
    r.viewClientWidth = view.BytesPerRow * m.CellWidth + m.CharAreaWidth - 1;
    r.viewClientHeight = view.VisibleRows * m.RowHeight - 1;
    r.viewOuterWidth = r.viewClientWidth + in.scrollBarWidth;
    r.viewOuterHeight = r.viewClientHeight;
    r.panelTop = in.toolbarHeight;
    r.panelOuterWidth = r.viewOuterWidth + m.OffsetColumnWidth + in.panelFrame;
    r.panelOuterHeight = r.viewOuterHeight + m.RowHeight + in.panelFrame;
    r.windowClientWidth = r.panelOuterWidth;
    r.windowClientHeight = r.panelOuterHeight + in.toolbarHeight + in.statusBarHeight;

    view.LastScrollPos = bar.GetPosition();
    return r;
}

} // namespace vtm
