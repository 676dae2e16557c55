#pragma once

#include <cstdint>

namespace vtm {

// What a typed key does to the byte under the cursor.
struct TypedByte
{
    bool accepted = false; // write value
    bool beep = false;     // refused, or capped at 255
    std::uint8_t value = 0;
};

// charArea: the key's Windows-1252 byte. Number area: a hexadecimal digit into the
// nibble of the cursor column, or a decimal digit into the hundreds, tens or units,
// whichever digit column % 3 names.
TypedByte TypeIntoByte(bool charArea, bool hexMode, int cursorCol, std::uint8_t old, char32_t key);

} // namespace vtm
