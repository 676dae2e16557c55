#pragma once

#include "view/DumpView.h"

#include <cstdint>

namespace vtm {

// Base-BytesPerRow digits of the largest row index plus one, at least 3.
int OffsetDigitsFor(std::int64_t rowCount, int bytesPerRow);
// The font's share of the metrics: character size, row height and the gaps beside a cell's
// characters. The dump and the value-entry fields both take theirs from here.
Metrics MetricsForFont(int charWidth, int charHeight);
// Recomputes the grid and the pixel metrics from the font size, the layout and the length.
void ComputeLayout(DumpView &view, std::int64_t size);
// The grid position under a view pixel; not clamped.
CellPos MouseToCell(const DumpView &view, int x, int y);

// Sizes the window system reports for a layout pass.
struct LayoutInput
{
    int clientHeight = 0;  // the window's proposed client height
    int toolbarHeight = 0; // everything above the panel (menu bar, toolbar)
    int statusBarHeight = 0;
    int panelFrame = 0;     // the panel's outer minus client size
    int scrollBarWidth = 0; // the view's vertical scroll bar
};

// Geometry a layout pass decides; the window system applies it.
struct LayoutResult
{
    int viewLeft = 0, viewTop = 0; // inside the panel's client area
    int viewClientWidth = 0, viewClientHeight = 0;
    int viewOuterWidth = 0, viewOuterHeight = 0; // with the scroll bar
    int panelTop = 0;
    int panelOuterWidth = 0, panelOuterHeight = 0;
    int windowClientWidth = 0, windowClientHeight = 0;
};

// The layout pass as far as it needs no window: grid and metrics, the rows that fit, the
// scroll range (keeping about the same part of the document in view after a switch of
// layout) and the geometry the window applies.
LayoutResult LayoutView(DumpView &view, std::int64_t size, const LayoutInput &in);

} // namespace vtm
