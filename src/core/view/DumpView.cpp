#include "view/DumpView.h"

#include <algorithm>

namespace vtm {

std::int64_t DumpView::CellToOffset(int col, std::int64_t row) const
{
    const std::int64_t rowStart = row * BytesPerRow;
    if (InCharArea(col))
        return col - NumberColumns() + rowStart;
    return (CellChars > 0 ? col / CellChars : 0) + rowStart;
}

bool DumpView::CursorOnByte(std::int64_t size) const
{
    const std::int64_t o = CursorOffset();
    return o >= 0 && o < size;
}

CellPos DumpView::Normalise(CellPos p, std::int64_t size) const
{
    p.col = std::max(std::min(p.col, ColumnCount() - 1), 0);
    // Rows from the length itself, so a placement right after a length change is exact.
    const std::int64_t rows = BytesPerRow > 0 ? (size + BytesPerRow - 1) / BytesPerRow : 0;
    p.row = std::max<std::int64_t>(std::min(p.row, rows - 1), 0);
    if (CellToOffset(p.col, p.row) >= size) {
        const int rest = BytesPerRow > 0 ? int(size % BytesPerRow) : 0;
        p.col = InCharArea(p.col) ? rest + NumberColumns() - 1 : rest * CellChars - 1;
    }
    return p;
}

CellPos DumpView::PositionOf(std::int64_t offset, bool charArea) const
{
    if (BytesPerRow <= 0)
        return {};
    const std::int64_t row = offset / BytesPerRow;
    const int index = int(offset % BytesPerRow);
    return {charArea ? index + NumberColumns() : index * CellChars, row};
}

} // namespace vtm
