#pragma once

#include "document/Color.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vtm {

// The patterns of hatched marks, by mark 1..6.
enum class Hatch {
    None,
    Horizontal,
    Vertical,
    FallingDiagonal,
    RisingDiagonal,
    Cross,
    DiagonalCross
};

struct MarkBoxStyle
{
    bool outline = false; // a thin black frame
    Color fill = colors::White;
    Hatch hatch = Hatch::None; // black lines over the fill
    friend bool operator==(const MarkBoxStyle &, const MarkBoxStyle &) = default;
};

// Size of "0" and the line pitch in the print font at one size, in device pixels.
struct PrintFontMetrics
{
    int charWidth = 0;
    int charHeight = 0;
    int lineHeight = 0;
};

// What the print routine draws on: a printer, a PDF file, an image or a test recorder.
// Coordinates are device pixels of the printable area; text is black on a transparent
// background, placed by its top-left corner.
class PrintTarget
{
public:
    virtual ~PrintTarget() = default;

    virtual bool beginJob(const std::string &title) = 0;
    // Starts the next sheet; the first page needs no call.
    virtual bool newPage() = 0;
    virtual void endJob() = 0;

    virtual std::int64_t pageWidth() const = 0;
    virtual std::int64_t pageHeight() const = 0;

    // The fixed-pitch print font: measuring does not select it.
    virtual PrintFontMetrics measureFont(int size) = 0;
    virtual void setFont(int size) = 0;

    // Any UTF-8 text in the current font.
    virtual std::int64_t textWidth(const std::string &utf8) = 0;
    virtual void text(std::int64_t x, std::int64_t y, const std::string &utf8) = 0;
    // Windows-1252 characters, character i at x + i * charWidth, so that they stand
    // exactly over the boxes computed for them.
    virtual void cells(std::int64_t x, std::int64_t y, std::string_view cp1252) = 0;
    // Right and bottom edges exclusive.
    virtual void box(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                     const MarkBoxStyle &style) = 0;
};

} // namespace vtm
