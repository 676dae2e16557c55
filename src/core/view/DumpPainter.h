#pragma once

#include "document/Document.h"
#include "view/DumpView.h"
#include "view/Canvas.h"

#include <cstdint>
#include <string_view>

namespace vtm {

// What the painters read: the view, the document and the character filter.
struct DumpScene
{
    const DumpView &view;
    const Document &doc;
    bool NoUnknown;
};

// One cell: a gap, text.size() characters, a gap, then the bottom and right grid lines.
// fonts and backs hold text.size() + 2 colours: left gap, each character, right gap.
void PaintCell(Canvas &canvas, const Metrics &m, int x, int y, std::string_view text,
               const Color *fonts, const Color *backs, Color grid);

// The number cell of a byte, and the character row holding a byte, in view pixels.
void PaintNumberCell(Canvas &canvas, const DumpScene &s, std::int64_t offset);
void PaintCharRow(Canvas &canvas, const DumpScene &s, std::int64_t offset);

// Every view row that meets the pixel rows top..bottom (inclusive).
void PaintRows(Canvas &canvas, const DumpScene &s, int top, int bottom);

// The offset column and the header row, in the panel's client pixels.
void PaintPanel(Canvas &canvas, const DumpScene &s);

// Label of a document row: its first byte's offset in the layout's base.
std::string OffsetLabel(const DumpScene &s, std::int64_t row);

} // namespace vtm
