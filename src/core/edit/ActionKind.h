#pragma once

#include <cstdint>

namespace vtm {

// What an action does, as the undo and redo captions name it. The numbers index the
// caption table; 4 and 10 have no name.
enum class ActionKind : std::uint8_t {
    Mark = 0,
    ChangeValue = 1,
    Back = 2,
    Delete = 3,
    Unmark = 5,
    Insert = 6,
    InsertBytes = 7,
    LoadMark = 8,
    Append = 9,
    Replace = 11,
    Paste = 12,
};

} // namespace vtm
