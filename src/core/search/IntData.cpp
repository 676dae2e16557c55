#include "search/IntData.h"

#include "document/Format.h"

#include <limits>

namespace vtm {

namespace {

constexpr std::uint64_t MaxValue = std::numeric_limits<std::int64_t>::max();

int digitValue(char ch)
{
    return ch <= '9' ? ch - '0' : ch - 'A' + 10;
}

// Saturates at the largest std::uint64_t, which no field accepts.
std::uint64_t parse(const std::string &text, IntBase base)
{
    constexpr std::uint64_t top = std::numeric_limits<std::uint64_t>::max();
    const auto b = std::uint64_t(base);
    std::uint64_t v = 0;
    for (char ch : text) {
        const auto d = std::uint64_t(digitValue(ch));
        if (v > (top - d) / b)
            return top;
        v = v * b + d;
    }
    return v;
}

int digitCount(std::uint64_t v, IntBase base)
{
    int n = 1;
    for (; v >= std::uint64_t(base); v /= std::uint64_t(base))
        ++n;
    return n;
}

} // namespace

void TIntData::SetValue(std::int64_t value, const void *sender)
{
    if (value == Value)
        return;
    Value = value;
    for (const Observer *o : {&Observer1, &Observer2, &Observer3})
        if (*o)
            (*o)(sender);
}

IntEditModel::IntEditModel(TIntData &intData, IntBase base)
    : m_intData(intData)
    , m_base(base)
{}

int IntEditModel::MaxLen() const
{
    return digitCount(MaxValue, m_base);
}

int IntFieldChars()
{
    return digitCount(MaxValue, IntBase::Dec);
}

bool IntEditModel::LegalChar(char32_t &ch) const
{
    if (ch >= 'a' && ch <= 'z')
        ch = ch - 'a' + 'A';
    if (ch >= '0' && ch <= '9')
        return true;
    return m_base == IntBase::Hex && ch >= 'A' && ch <= 'F';
}

void IntEditModel::CalcDataStr()
{
    const std::uint64_t v = m_intData.Value > 0 ? std::uint64_t(m_intData.Value) : 0;
    m_text = ZeroPadded(v, 1, m_base == IntBase::Hex);
}

void IntEditModel::CalcData()
{
    // Texts that would not fit are refused before they get here.
    m_intData.SetValue(std::int64_t(parse(m_text, m_base)), this);
}

bool IntEditModel::DataChanged(const void *sender)
{
    if (sender == this)
        return false;
    CalcDataStr();
    if (m_cursorPos > MaxCursorPos())
        m_cursorPos = MaxCursorPos();
    return true;
}

int IntEditModel::SetCursorPos(int n)
{
    m_cursorPos = n < 0 ? 0 : (n > MaxCursorPos() ? MaxCursorPos() : n);
    return MaxCursorPos();
}

EntryResult IntEditModel::moveTo(int n)
{
    const int old = m_cursorPos;
    SetCursorPos(n);
    return {false, false, m_cursorPos != old};
}

EntryResult IntEditModel::DoLeft()
{
    return moveTo(m_cursorPos - 1);
}

EntryResult IntEditModel::DoRight()
{
    return moveTo(m_cursorPos + 1);
}

EntryResult IntEditModel::DoHome()
{
    return moveTo(0);
}

EntryResult IntEditModel::DoEnd()
{
    return moveTo(MaxCursorPos());
}

bool IntEditModel::fits(const std::string &text) const
{
    return int(text.size()) <= MaxLen() && parse(text, m_base) <= MaxValue;
}

EntryResult IntEditModel::takeText(std::string text, int cursor)
{
    const int oldCursor = m_cursorPos;
    const bool changed = text != m_text;
    m_text = std::move(text);
    IChangedData();
    SetCursorPos(cursor);
    return {false, changed, m_cursorPos != oldCursor};
}

EntryResult IntEditModel::DoBack()
{
    std::string text = m_text;
    if (m_cursorPos > 0)
        text.erase(std::size_t(m_cursorPos - 1), 1);
    return takeText(std::move(text), m_cursorPos - 1);
}

EntryResult IntEditModel::DoDel()
{
    std::string text = m_text;
    if (m_cursorPos < int(text.size()))
        text.erase(std::size_t(m_cursorPos), 1);
    return takeText(std::move(text), m_cursorPos);
}

EntryResult IntEditModel::DoIns()
{
    if (int(m_text.size()) >= MaxLen())
        return {};
    std::string text = m_text;
    text.insert(std::size_t(m_cursorPos), 1, '0');
    // A zero put behind the last digit multiplies the value by the base.
    if (!fits(text))
        return {true, false, false};
    return takeText(std::move(text), m_cursorPos);
}

EntryResult IntEditModel::KeyPress(char32_t ch)
{
    if (ch == BackspaceChar)
        return DoBack();
    if (m_cursorPos >= MaxLen() || !LegalChar(ch))
        return {true, false, false};
    std::string text = m_text;
    if (m_cursorPos == MaxCursorPos())
        text += char(ch);
    else
        text[std::size_t(m_cursorPos)] = char(ch);
    if (!fits(text))
        return {true, false, false};
    return takeText(std::move(text), m_cursorPos + 1);
}

EntryResult IntEditModel::MouseDown(int x, const EntryMetrics &metrics)
{
    return moveTo((x - metrics.LeftGap) / metrics.CharWidth);
}

EntryResult IntEditModel::KeyDown(EntryKey key)
{
    switch (key) {
    case EntryKey::End: return DoEnd();
    case EntryKey::Home: return DoHome();
    case EntryKey::Left: return DoLeft();
    case EntryKey::Right: return DoRight();
    case EntryKey::Insert: return DoIns();
    case EntryKey::Delete: return DoDel();
    case EntryKey::Up:
    case EntryKey::Down:
    case EntryKey::Other: break;
    }
    return {};
}

} // namespace vtm
