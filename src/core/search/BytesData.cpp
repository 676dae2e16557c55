#include "search/BytesData.h"
#include "document/Format.h"

#include <algorithm>

namespace vtm {

int CellCharCount(DataView view)
{
    switch (view) {
    case DataView::Hex: return 2;
    case DataView::Dec: return 3;
    case DataView::Char: return 1;
    }
    return 1;
}

int CellWidth(DataView view, const EntryMetrics &metrics)
{
    return CellCharCount(view) * metrics.CharWidth + metrics.LeftGap + metrics.RightGap + 1;
}

int CellPitch(DataView view, const EntryMetrics &metrics)
{
    return view == DataView::Char ? metrics.CharWidth : CellWidth(view, metrics);
}

std::string CellText(DataView view, std::uint8_t byte)
{
    switch (view) {
    case DataView::Hex: return ZeroPadded(byte, 2, true);
    case DataView::Dec: return ZeroPadded(byte, 3, false);
    case DataView::Char: return std::string(1, DisplayChar(byte, false, false));
    }
    return {};
}

std::int64_t ScrollToCursor(std::int64_t firstByte, std::int64_t cursorByte, std::int64_t cells)
{
    if (cursorByte < firstByte)
        return cursorByte;
    if (cells > 0 && cursorByte - firstByte >= cells)
        return cursorByte - cells + 1;
    return firstByte;
}

std::string TBytesData::ViewText(DataView view) const
{
    std::string text;
    for (std::uint8_t b : m_bytes) {
        if (view == DataView::Char) {
            text += Cp1252ToUtf8(std::uint8_t(DisplayChar(b, false, false)));
            continue;
        }
        if (!text.empty())
            text += ' ';
        text += CellText(view, b);
    }
    return text;
}

void TBytesData::SetViewWidth(DataView view, int width, const EntryMetrics &metrics)
{
    const int pitch = CellPitch(view, metrics);
    Scroll &scroll = m_scroll[index(view)];
    scroll.cells = pitch > 0 ? width / pitch : 0;
    followCursor(scroll);
}

void TBytesData::followCursor(Scroll &scroll) const
{
    // Until a view is laid out it has no width to keep the cursor within.
    if (scroll.cells > 0)
        scroll.firstByte = ScrollToCursor(scroll.firstByte, CursorByte(), scroll.cells);
}

void TBytesData::SetBytes(std::vector<std::uint8_t> bytes)
{
    m_bytes = std::move(bytes);
    m_cursorPos = std::min(m_cursorPos, 3 * ByteCount());
    DoUpdateAll();
}

void TBytesData::SetCursorPos(std::int64_t pos)
{
    m_cursorPos = std::clamp<std::int64_t>(pos, 0, 3 * ByteCount());
    DoUpdateAll();
}

void TBytesData::FocusView()
{
    m_cursorPos = m_cursorPos / 3 * 3;
    DoUpdateAll();
}

void TBytesData::Clear()
{
    m_bytes.clear();
    m_cursorPos = 0;
    DoUpdateAll();
}

void TBytesData::DoUpdateAll()
{
    for (Scroll &scroll : m_scroll)
        followCursor(scroll);
    if (UpdateViews)
        UpdateViews();
    if (OnChange)
        OnChange(*this);
}

EntryResult TBytesData::moveTo(std::int64_t pos)
{
    const std::int64_t old = m_cursorPos;
    m_cursorPos = std::clamp<std::int64_t>(pos, 0, 3 * ByteCount());
    DoUpdateAll();
    return {false, false, m_cursorPos != old};
}

EntryResult TBytesData::DoLeft(DataView view)
{
    std::int64_t pos = m_cursorPos;
    switch (CellCharCount(view)) {
    case 1: pos = pos / 3 * 3 - 3; break;
    case 2:
        if (--pos % 3 == 2)
            --pos;
        break;
    default: --pos; break;
    }
    return moveTo(pos);
}

EntryResult TBytesData::DoRight(DataView view)
{
    std::int64_t pos = m_cursorPos;
    switch (CellCharCount(view)) {
    case 1: pos = pos / 3 * 3 + 3; break;
    case 2:
        if (++pos % 3 == 2)
            ++pos;
        break;
    default: ++pos; break;
    }
    return moveTo(pos);
}

EntryResult TBytesData::DoHome()
{
    return moveTo(0);
}

EntryResult TBytesData::DoEnd()
{
    return moveTo(3 * ByteCount());
}

EntryResult TBytesData::DoBack()
{
    if (CursorByte() < 1)
        return {};
    m_bytes.erase(m_bytes.begin() + (CursorByte() - 1));
    // The cursor stays on its byte, now one index lower, at the first digit.
    m_cursorPos = (m_cursorPos - 3) / 3 * 3;
    DoUpdateAll();
    return {false, true, true};
}

EntryResult TBytesData::DoDel()
{
    if (CursorByte() >= ByteCount())
        return {};
    const std::int64_t old = m_cursorPos;
    m_bytes.erase(m_bytes.begin() + CursorByte());
    if (CursorByte() == ByteCount())
        m_cursorPos = m_cursorPos / 3 * 3;
    DoUpdateAll();
    return {false, true, m_cursorPos != old};
}

EntryResult TBytesData::DoIns()
{
    m_bytes.insert(m_bytes.begin() + CursorByte(), 0);
    DoUpdateAll();
    return {false, true, false};
}

EntryResult TBytesData::putByte(std::uint8_t value, DataView view, bool beep)
{
    if (CursorByte() == ByteCount())
        m_bytes.push_back(0);
    m_bytes[std::size_t(CursorByte())] = value;
    EntryResult result = DoRight(view);
    result.beep = beep;
    result.dataChanged = true;
    return result;
}

EntryResult TBytesData::DoChar(DataView view, char32_t ch)
{
    constexpr EntryResult refused{true, false, false};
    const int b = CursorByte() < ByteCount() ? m_bytes[std::size_t(CursorByte())] : 0;
    switch (view) {
    case DataView::Hex: {
        if (ch > 0x7F || !IsHexDigit(char(ch)))
            return refused;
        const int d = HexDigitValue(char(ch));
        const int n = CursorPosInByte() == 0 ? d * 16 + b % 16 : b / 16 * 16 + d;
        return putByte(std::uint8_t(n), view, false);
    }
    case DataView::Dec: {
        if (ch < '0' || ch > '9')
            return refused;
        const int d = int(ch - '0');
        int h = b / 100, t = b % 100 / 10, u = b % 10;
        // Only digits that can still make a byte are taken, judged on the digits as they are.
        switch (CursorPosInByte()) {
        case 0:
            if (d > 2)
                return refused;
            h = d;
            break;
        case 1:
            if (h == 2 && d > 5)
                return refused;
            t = d;
            break;
        default:
            if (h == 2 && t == 5 && d > 5)
                return refused;
            u = d;
            break;
        }
        const int n = 100 * h + 10 * t + u;
        return putByte(std::uint8_t(std::min(n, 255)), view, n > 255);
    }
    case DataView::Char: {
        const int code = UnicodeToCp1252(ch);
        if (code < 0)
            return refused;
        return putByte(std::uint8_t(code), view, false);
    }
    }
    return refused;
}

EntryResult TBytesData::KeyPress(DataView view, char32_t ch)
{
    return ch == BackspaceChar ? DoBack() : DoChar(view, ch);
}

EntryResult TBytesData::MouseDown(DataView view, int x, std::int64_t firstByte,
                                  const EntryMetrics &metrics)
{
    const int cw = metrics.CharWidth;
    if (view == DataView::Char)
        return moveTo(3 * ((cw / 2 + 1 + x) / cw - 1 + firstByte));
    const int w = CellWidth(view, metrics);
    const int k = x / w, r = x % w;
    int digit = r >= w / 2 ? 1 : 0;
    if (view == DataView::Dec) {
        const bool middle = r >= metrics.LeftGap + cw && r < metrics.LeftGap + 2 * cw;
        digit = middle ? 1 : (r < w / 2 ? 0 : 2);
    }
    return moveTo(3 * (k + firstByte) + digit);
}

EntryResult TBytesData::KeyDown(DataView view, EntryKey key)
{
    switch (key) {
    case EntryKey::End: return DoEnd();
    case EntryKey::Home: return DoHome();
    case EntryKey::Left: return DoLeft(view);
    case EntryKey::Right: return DoRight(view);
    case EntryKey::Insert: return DoIns();
    case EntryKey::Delete: return DoDel();
    case EntryKey::Up:
    case EntryKey::Down:
    case EntryKey::Other: break;
    }
    return {};
}

} // namespace vtm
