#pragma once

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

} // namespace vtm
