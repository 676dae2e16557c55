#pragma once

#include "search/IntData.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vtm {

// The three views of a byte string; each shows one byte per cell of this many digits.
enum class DataView { Hex, Dec, Char };

int CellCharCount(DataView view);
int CellWidth(DataView view, const EntryMetrics &metrics);
// How far apart a view's bytes stand: a cell, or one character in the character view.
int CellPitch(DataView view, const EntryMetrics &metrics);
// A byte as its view shows it: two hex digits, three decimal ones or one Windows-1252
// character.
std::string CellText(DataView view, std::uint8_t byte);
// The first byte a view of cells cells shows once the cursor's byte is in sight: it scrolls
// only as far as it must.
std::int64_t ScrollToCursor(std::int64_t firstByte, std::int64_t cursorByte, std::int64_t cells);

// A byte string of any length with one cursor shared by its hexadecimal, decimal and
// character views. The cursor counts thirds of a byte: byte CursorPos / 3, digit
// CursorPos % 3; 3 * ByteCount is the append position behind the last byte.
class TBytesData
{
public:
    using Notify = std::function<void(TBytesData &)>;

    // Repaints the views; the window layer sets it.
    std::function<void()> UpdateViews;
    // For the dialog; called after every change and cursor move, after the views.
    Notify OnChange;

    const std::vector<std::uint8_t> &Bytes() const { return m_bytes; }
    std::int64_t ByteCount() const { return std::int64_t(m_bytes.size()); }
    std::int64_t CursorPos() const { return m_cursorPos; }
    std::int64_t CursorByte() const { return m_cursorPos / 3; }
    int CursorPosInByte() const { return int(m_cursorPos % 3); }
    // The first byte the view shows; it follows the cursor on every change.
    std::int64_t FirstByte(DataView view) const { return m_scroll[index(view)].firstByte; }
    // The whole string as the view reads it to a screen reader, in UTF-8.
    std::string ViewText(DataView view) const;

    // A start value from the dialog; the cursor is kept where it is legal.
    void SetBytes(std::vector<std::uint8_t> bytes);
    // A cursor from a mouse click, clamped to 0 .. 3 * ByteCount.
    void SetCursorPos(std::int64_t pos);
    // A view gained the focus: the cursor goes to the first digit of its byte, so the hex
    // view never works on a third position.
    void FocusView();

    // The view's client width in pixels; until it is known the view does not scroll.
    void SetViewWidth(DataView view, int width, const EntryMetrics &metrics);

    void Clear();
    void DoUpdateAll();

    EntryResult DoLeft(DataView view);
    EntryResult DoRight(DataView view);
    EntryResult DoHome();
    EntryResult DoEnd();
    EntryResult DoBack();
    EntryResult DoDel();
    EntryResult DoIns();
    EntryResult DoChar(DataView view, char32_t ch);

    EntryResult KeyPress(DataView view, char32_t ch);
    EntryResult KeyDown(DataView view, EntryKey key);
    // A click at x client pixels in a view scrolled to firstByte; the view has taken the
    // focus (FocusView) before.
    EntryResult MouseDown(DataView view, int x, std::int64_t firstByte,
                          const EntryMetrics &metrics);

private:
    struct Scroll
    {
        std::int64_t firstByte = 0;
        std::int64_t cells = 0; // whole cells in sight; 0 while the width is unknown
    };

    static std::size_t index(DataView view) { return std::size_t(view); }
    void followCursor(Scroll &scroll) const;
    EntryResult moveTo(std::int64_t pos);
    EntryResult putByte(std::uint8_t value, DataView view, bool beep);

    std::vector<std::uint8_t> m_bytes;
    std::int64_t m_cursorPos = 0;
    std::array<Scroll, 3> m_scroll{};
};

} // namespace vtm
