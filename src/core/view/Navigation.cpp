#include "view/Navigation.h"

namespace vtm {

std::optional<CellPos> MoveTarget(const DumpView &v, std::int64_t size, Move move)
{
    const int col = v.CursorCol;
    const std::int64_t row = v.CursorRow;
    const bool charArea = v.InCharArea(col);
    const int firstCol = charArea ? v.NumberColumns() : 0;
    const int lastCol = charArea ? v.ColumnCount() - 1 : v.NumberColumns() - 1;
    switch (move) {
    case Move::Up: return CellPos{col, row - 1};
    case Move::Down: return CellPos{col, row + 1};
    case Move::PageUp: return CellPos{col, row - v.VisibleRows};
    case Move::PageDown: return CellPos{col, row + v.VisibleRows};
    case Move::Right:
        if (col != lastCol)
            return CellPos{col + 1, row};
        // At the end of a full last row there is no next row: stay on the last byte.
        if ((row + 1) * v.BytesPerRow >= size)
            return CellPos{col, row};
        return CellPos{firstCol, row + 1};
    case Move::Left:
        if (col != firstCol)
            return CellPos{col - 1, row};
        if (row <= 0)
            return std::nullopt;
        return CellPos{lastCol, row - 1};
    case Move::Home: return CellPos{firstCol, 0};
    case Move::End: return CellPos{lastCol, v.RowCount};
    case Move::Tab:
        if (charArea)
            return CellPos{v.CellChars * (col - v.NumberColumns()), row};
        return CellPos{col / v.CellChars + v.NumberColumns(), row};
    }
    return std::nullopt;
}

namespace {
std::optional<int> ViewRowOf(const DumpView &v, std::int64_t offset)
{
    if (v.BytesPerRow <= 0 || offset < 0)
        return std::nullopt;
    const std::int64_t row = offset / v.BytesPerRow - v.TopRow();
    if (row < 0 || row >= v.VisibleRows)
        return std::nullopt;
    return int(row);
}
} // namespace

std::optional<PixelRect> NumberCellRect(const DumpView &v, std::int64_t offset)
{
    const auto b = ViewRowOf(v, offset);
    if (!b)
        return std::nullopt;
    const Metrics &m = v.metrics;
    return PixelRect{int(offset % v.BytesPerRow) * m.CellWidth, *b * m.RowHeight, m.CellWidth,
                     m.RowHeight};
}

std::optional<PixelRect> CharRowRect(const DumpView &v, std::int64_t offset)
{
    const auto b = ViewRowOf(v, offset);
    if (!b)
        return std::nullopt;
    const Metrics &m = v.metrics;
    return PixelRect{v.BytesPerRow * m.CellWidth, *b * m.RowHeight, m.CharAreaWidth, m.RowHeight};
}

} // namespace vtm
