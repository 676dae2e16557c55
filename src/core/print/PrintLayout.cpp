#include "print/PrintLayout.h"

#include "document/Format.h"

#include <algorithm>
#include <vector>

namespace vtm {

namespace {
std::string offsetText(bool hexMode, std::int64_t offset, int width)
{
    return ZeroPadded(std::uint64_t(std::max<std::int64_t>(offset, 0)), width, hexMode);
}
} // namespace

std::int64_t PrintRowCount(std::int64_t bufferSize, int bytesPerRow)
{
    if (bufferSize <= 0 || bytesPerRow <= 0)
        return 0;
    return (bufferSize + bytesPerRow - 1) / bytesPerRow;
}

std::int64_t PageCount(std::int64_t rowCount)
{
    return rowCount <= 0 ? 0 : (rowCount + LinesPerPage - 1) / LinesPerPage;
}

std::int64_t ProposedPage(std::int64_t cursorRow)
{
    return std::max<std::int64_t>(0, cursorRow) / LinesPerPage + 1;
}

std::int64_t PageFirstRow(std::int64_t page)
{
    return (std::max<std::int64_t>(1, page) - 1) * LinesPerPage;
}

std::int64_t PageEndRow(std::int64_t page, std::int64_t rowCount)
{
    return std::min(PageFirstRow(page) + LinesPerPage, std::max<std::int64_t>(0, rowCount));
}

PrintLayout PrintLayout::For(bool hexMode, int offsetDigits, std::int64_t bufferSize)
{
    PrintLayout l;
    l.HexMode = hexMode;
    l.BytesPerRow = hexMode ? 16 : 10;
    l.CellChars = hexMode ? 2 : 3;
    const std::int64_t rowCount = PrintRowCount(bufferSize, l.BytesPerRow);
    const std::int64_t lastOffset = std::max<std::int64_t>(0, rowCount - 1) * l.BytesPerRow;
    const int needed = int(offsetText(hexMode, lastOffset, 0).size());
    l.OffsetDigits = std::max({1, offsetDigits, needed});
    return l;
}

int PrintLayout::GapsBefore(int j) const
{
    if (HexMode)
        return int(j > 3) + int(j > 7) + int(j > 11);
    return int(j > 4);
}

int PrintLayout::NumberPos(int j) const
{
    return OffsetDigits + 3 + j * (CellChars + 1) + GapsBefore(j);
}

int PrintLayout::CharPos(int j) const
{
    return OffsetDigits + 2 + BytesPerRow * (CellChars + 1) + GroupGaps() + 3 + j;
}

int PrintLayout::RowChars() const
{
    return CharPos(BytesPerRow);
}

std::string PrintColumnHeader(const PrintLayout &layout)
{
    std::string s(std::size_t(layout.RowChars()), ' ');
    for (int j = 0; j < layout.BytesPerRow; ++j) {
        // The digit stands under the last character of the value.
        s[std::size_t(layout.NumberPos(j) + layout.CellChars - 1)] = HexDigit(unsigned(j));
        s[std::size_t(layout.CharPos(j))] = HexDigit(unsigned(j));
    }
    return s;
}

std::string PrintRowText(const PrintLayout &layout, const Document &doc, std::int64_t row,
                         bool noUnknown)
{
    std::string s(std::size_t(layout.RowChars()), ' ');
    const std::int64_t start = row * layout.BytesPerRow;
    const std::string offset = offsetText(layout.HexMode, start, layout.OffsetDigits);
    s.replace(0, offset.size(), offset);
    const std::int64_t size = doc.BufferSize();
    const int count = int(std::clamp<std::int64_t>(size - start, 0, layout.BytesPerRow));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    doc.ReadBytes(start, count, bytes.data());
    for (int j = 0; j < count; ++j) {
        const std::uint8_t b = bytes[std::size_t(j)];
        const std::size_t at = std::size_t(layout.NumberPos(j));
        if (layout.HexMode) {
            s[at] = HexDigit(b >> 4u);
            s[at + 1] = HexDigit(b);
        } else {
            s.replace(at, 3, PadNumber(b, 3, true));
        }
        s[std::size_t(layout.CharPos(j))] = DisplayChar(b, false, noUnknown);
    }
    return s;
}

PrintBox NumberBox(const PrintLayout &layout, int j, std::int64_t x0, std::int64_t y, int charWidth,
                   int charHeight)
{
    // Half a character beyond the value on each side, so neighbouring boxes meet.
    const std::int64_t x1 = x0 + std::int64_t(layout.NumberPos(j)) * charWidth - charWidth / 2;
    return {x1, y, x1 + std::int64_t(layout.CellChars + 1) * charWidth, y + charHeight};
}

PrintBox CharBox(const PrintLayout &layout, int j, std::int64_t x0, std::int64_t y, int charWidth,
                 int charHeight)
{
    const std::int64_t x1 = x0 + std::int64_t(layout.CharPos(j)) * charWidth;
    return {x1, y, x1 + charWidth, y + charHeight};
}

} // namespace vtm
