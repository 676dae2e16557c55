#pragma once

#include <optional>

namespace vtm {

enum class Key {
    Other,
    Up,
    Down,
    Left,
    Right,
    PageUp,
    PageDown,
    Home,
    End,
    Tab,
    Backspace,
    Delete,
    Insert,
    Letter,  // letter holds 'A'..'Z'
    Function // letter holds the number of the F key
};
enum Modifier { NoModifier = 0, Shift = 1, Ctrl = 2, Alt = 4 };

struct KeyStroke
{
    Key key = Key::Other;
    int modifiers = NoModifier;
    char letter = 0; // upper-case letter, or the F key's number
};

enum class Command {
    Up,
    Down,
    PageUp,
    PageDown,
    Left,
    Right,
    Home,
    End,
    Tab,
    HexLayout,
    DecLayout,
    Backspace,
    Delete,
    Insert,
    AppendByte,
    Undo,
    Redo,
    New,
    Open,
    Save,
    HelpContents,
    MarkRed, // .. MarkYellow in colour order
    MarkGreen,
    MarkBlue,
    MarkCyan,
    MarkMagenta,
    MarkYellow,
    Unmark,
    UnmarkAll,
    NextMark,
    PreviousMark,
    NextIdenticalMark,
    PreviousIdenticalMark,
    Goto,
    InsertBytes,
    AppendBytes,
    DeleteBytes,
    NextIdenticalByte,
    PreviousIdenticalByte,
    Find,
    FindNext,
    FindPrevious,
    Replace,
    // No key; from the menu and the toolbar.
    FindAndMark,
    InfoStatistic,
    Print
};

// The shortcut table; a stroke it knows never reaches the typed-character handler.
std::optional<Command> LookupShortcut(const KeyStroke &stroke);

} // namespace vtm
