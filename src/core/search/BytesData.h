#pragma once

#include "search/IntData.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace vtm {

// The three views of a byte string; each shows one byte per cell of this many digits.
enum class DataView { Hex, Dec, Char };

int CellCharCount(DataView view);
int CellWidth(DataView view, const EntryMetrics &metrics);

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

    // A start value from the dialog; the cursor is kept where it is legal.
    void SetBytes(std::vector<std::uint8_t> bytes);
    // A cursor from a mouse click, clamped to 0 .. 3 * ByteCount.
    void SetCursorPos(std::int64_t pos);
    // A view gained the focus: the cursor goes to the first digit of its byte, so the hex
    // view never works on a third position.
    void FocusView();

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
    EntryResult moveTo(std::int64_t pos);
    EntryResult putByte(std::uint8_t value, DataView view, bool beep);

    std::vector<std::uint8_t> m_bytes;
    std::int64_t m_cursorPos = 0;
};

} // namespace vtm
