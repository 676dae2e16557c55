#pragma once

#include "document/Document.h"

#include <cstdint>
#include <string>

namespace vtm {

constexpr int LinesPerPage = 68;
// Header on line 0, column header on line 3, the first data row on line 5.
constexpr int PrintHeaderLines = 5;
constexpr int PrintLinesDown = PrintHeaderLines + LinesPerPage;
// Blank characters kept beside the widest row when the font is fitted across.
constexpr int PrintMarginChars = 3;

std::int64_t PrintRowCount(std::int64_t bufferSize, int bytesPerRow);
std::int64_t PageCount(std::int64_t rowCount);
// The page that holds the cursor, 1-based.
std::int64_t ProposedPage(std::int64_t cursorRow);
// The first row of page k and one past its last, clamped to rowCount.
std::int64_t PageFirstRow(std::int64_t page);
std::int64_t PageEndRow(std::int64_t page, std::int64_t rowCount);

// The columns of a printed row, one character per column.
struct PrintLayout
{
    bool HexMode = true;
    int BytesPerRow = 16;
    int CellChars = 2;
    int OffsetDigits = 3;

    // The view's layouts; offsetDigits is widened when the last row's offset needs more.
    static PrintLayout For(bool hexMode, int offsetDigits, std::int64_t bufferSize);

    // Extra blanks in front of column j: the hex layout groups by four, decimal by five.
    int GapsBefore(int j) const;
    int GroupGaps() const { return GapsBefore(BytesPerRow); }
    // Where the value of column j starts (after its leading blank).
    int NumberPos(int j) const;
    // Where the character of column j stands.
    int CharPos(int j) const;
    // Characters of the column header and of every data row.
    int RowChars() const;
};

// Column header and data row, as Windows-1252 characters of RowChars() each.
std::string PrintColumnHeader(const PrintLayout &layout);
std::string PrintRowText(const PrintLayout &layout, const Document &doc, std::int64_t row,
                         bool noUnknown);

struct PrintBox
{
    std::int64_t x1 = 0, y1 = 0, x2 = 0, y2 = 0; // x2, y2 exclusive
    friend bool operator==(const PrintBox &, const PrintBox &) = default;
};

// The boxes behind the value and the character of column j, for a row whose text starts
// at x0 and whose line starts at y; charWidth and charHeight are those of "0".
PrintBox NumberBox(const PrintLayout &layout, int j, std::int64_t x0, std::int64_t y, int charWidth,
                   int charHeight);
PrintBox CharBox(const PrintLayout &layout, int j, std::int64_t x0, std::int64_t y, int charWidth,
                 int charHeight);

} // namespace vtm
