#pragma once

#include "view/TPlixScrollBar.h"

#include <cstdint>

namespace vtm {

// Pixel metrics of the dump, all derived from the size of "0" in the dump font.
struct Metrics
{
    int CharWidth = 0;
    int CharHeight = 0;
    int RowHeight = 1;
    int LeftGap = 0;
    int RightGap = 0;
    int CellWidth = 1;
    int CharAreaWidth = 1;
    int OffsetDigits = 3;
    int OffsetColumnWidth = 0;
};

struct CellPos
{
    int col = 0;
    std::int64_t row = 0;
    friend bool operator==(CellPos, CellPos) = default;
};

// The dump as the user sees it: the grid of rows and columns, the cursor, the pixel
// metrics and the scroll position. Columns count digits in the number area, then
// characters. The view owns the scroll position; the window's scroll bar mirrors it.
struct DumpView
{
    bool HexMode = true;
    int BytesPerRow = 0;
    int CellChars = 1;
    std::int64_t RowCount = 0;
    int VisibleRows = 0; // screen rows, so an int
    int CursorCol = 0;
    std::int64_t CursorRow = 0;
    int MouseX = -1;
    int MouseY = -1;
    bool CursorVisible = true;

    Metrics metrics;
    // Size of "0" in the dump font, measured once by the window system.
    int fontCharWidth = 0;
    int fontCharHeight = 0;

    TPlixScrollBar HorzBar{0};
    TPlixScrollBar VertBar{1};
    std::int64_t LastScrollPos = 0;

    bool PendingCursorRestore = false;
    std::int64_t SavedCursorOffset = 0;
    bool SavedInCharArea = false;
    bool SwitchedToHex = false;
    bool SwitchedToDec = false;

    std::int64_t TopRow() const { return VertBar.GetPosition(); }
    int NumberColumns() const { return BytesPerRow * CellChars; }
    int ColumnCount() const { return BytesPerRow * (CellChars + 1); }
    bool InCharArea(int col) const { return col >= NumberColumns(); }
    // Not clamped: may lie past the end of the document.
    std::int64_t CellToOffset(int col, std::int64_t row) const;
    std::int64_t CursorOffset() const { return CellToOffset(CursorCol, CursorRow); }
    // The cursor stands on one of a document's `size` bytes.
    bool CursorOnByte(std::int64_t size) const;
    // Clamps a requested position onto the grid and pulls it back onto the last byte.
    CellPos Normalise(CellPos p, std::int64_t size) const;
    // The grid position of an offset: the cell's first digit, or its character.
    CellPos PositionOf(std::int64_t offset, bool charArea) const;
};

} // namespace vtm
