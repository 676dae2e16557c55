#include "app/EditorState.h"

#include <algorithm>

namespace vtm {

std::int64_t EditorState::CellToOffset(int col, int row) const
{
    const std::int64_t rowStart = std::int64_t(row) * BytesPerRow;
    if (InCharArea(col))
        return col - NumberColumns() + rowStart;
    return (CellChars > 0 ? col / CellChars : 0) + rowStart;
}

bool EditorState::CursorOnByte() const
{
    const std::int64_t o = CursorOffset();
    return o >= 0 && o < doc.BufferSize();
}

CellPos EditorState::Normalise(CellPos p) const
{
    p.col = std::max(std::min(p.col, ColumnCount() - 1), 0);
    // Rows from the length itself, so a placement right after a length change is exact.
    const int rows =
        BytesPerRow > 0 ? int((std::int64_t(doc.BufferSize()) + BytesPerRow - 1) / BytesPerRow) : 0;
    p.row = std::max(std::min(p.row, rows - 1), 0);
    if (CellToOffset(p.col, p.row) >= doc.BufferSize()) {
        const int rest = BytesPerRow > 0 ? doc.BufferSize() % BytesPerRow : 0;
        p.col = InCharArea(p.col) ? rest + NumberColumns() - 1 : rest * CellChars - 1;
    }
    return p;
}

CellPos EditorState::PositionOf(std::int64_t offset, bool charArea) const
{
    if (BytesPerRow <= 0)
        return {};
    const int row = int(offset / BytesPerRow);
    const int index = int(offset % BytesPerRow);
    return {charArea ? index + NumberColumns() : index * CellChars, row};
}

} // namespace vtm
