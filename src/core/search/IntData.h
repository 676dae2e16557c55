#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vtm {

// The keys the value-entry controls act on; every other key does nothing there.
// Up and Down only move the focus, which the window layer does itself.
enum class EntryKey { End, Home, Left, Right, Up, Down, Insert, Delete, Other };

// What a key did, so the window layer knows whether to beep and what to repaint.
struct EntryResult
{
    bool beep = false;        // refused input (or a decimal byte capped at 255)
    bool dataChanged = false; // the value, text or byte string changed
    bool cursorMoved = false;
};

constexpr char32_t BackspaceChar = 8;

// The dump font's metrics, which the controls share with the editor view.
struct EntryMetrics
{
    int CharWidth = 1;
    int LeftGap = 0;
    int RightGap = 0;
};

// One non-negative integer shown by a hexadecimal and a decimal view.
class TIntData
{
public:
    // Observers get the sender, so a view can tell its own change from another's.
    using Observer = std::function<void(const void *sender)>;

    std::int64_t Value = 0;
    Observer Observer1;
    Observer Observer2;
    Observer Observer3;

    // Notifies only when the value really changes.
    void SetValue(std::int64_t value, const void *sender);
};

enum class IntBase { Hex = 16, Dec = 10 };

// The characters an integer field must show: the longer of its two texts.
int IntFieldChars();

// The text, cursor and keys of one integer view. The view being typed in keeps its text as
// typed (leading zeros, blanks); the other view shows the canonical form.
class IntEditModel
{
public:
    IntEditModel(TIntData &intData, IntBase base);

    TIntData &IntData() const { return m_intData; }
    IntBase Base() const { return m_base; }
    const std::string &Text() const { return m_text; }
    int CursorPos() const { return m_cursorPos; }

    // The digits of the largest 64-bit offset: 16 hex, 19 decimal.
    int MaxLen() const;
    int MaxCursorPos() const { return int(m_text.size()); }
    // Upper-cases the character in place, then tests it.
    bool LegalChar(char32_t &ch) const;

    // Value -> Text.
    void CalcDataStr();
    // Text -> Value, telling the other views but never rebuilding this view's own text.
    void CalcData();
    void IChangedData() { CalcData(); }
    // The observer for a TIntData slot; returns whether the text was rebuilt.
    bool DataChanged(const void *sender);

    // Clamps to 0 .. MaxCursorPos; returns MaxCursorPos.
    int SetCursorPos(int n);

    EntryResult DoLeft();
    EntryResult DoRight();
    EntryResult DoHome();
    EntryResult DoEnd();
    EntryResult DoBack();
    EntryResult DoDel();
    EntryResult DoIns();

    EntryResult KeyPress(char32_t ch);
    EntryResult KeyDown(EntryKey key);
    // A click at x client pixels puts the cursor on the character there.
    EntryResult MouseDown(int x, const EntryMetrics &metrics);

private:
    EntryResult moveTo(int n);
    // Whether the text names a value the signed 64-bit Value can hold.
    bool fits(const std::string &text) const;
    EntryResult takeText(std::string text, int cursor);

    TIntData &m_intData;
    IntBase m_base;
    std::string m_text = "0";
    int m_cursorPos = 0;
};

} // namespace vtm
