#include "edit/Typing.h"

#include "document/Format.h"

namespace vtm {

namespace {
TypedByte Refused()
{
    return {false, true, 0};
}

TypedByte Value(int v)
{
    return {true, false, std::uint8_t(v)};
}

bool DigitIn(char32_t key, char32_t highest)
{
    return key >= U'0' && key <= highest;
}
} // namespace

TypedByte TypeIntoByte(bool charArea, bool hexMode, int cursorCol, std::uint8_t old, char32_t key)
{
    if (charArea) {
        const int b = UnicodeToCp1252(key);
        return b < 0 ? Refused() : Value(b);
    }
    if (hexMode) {
        if (key >= U'a' && key <= U'f')
            key -= U'a' - U'A';
        if (!DigitIn(key, U'9') && !(key >= U'A' && key <= U'F'))
            return Refused();
        const int v = HexDigitValue(char(key));
        return Value(cursorCol % 2 == 0 ? v * 16 + old % 16 : old / 16 * 16 + v);
    }
    int h = old / 100, t = old / 10 % 10, u = old % 10;
    switch (cursorCol % 3) {
    case 0:
        if (!DigitIn(key, U'2'))
            return Refused();
        h = int(key - U'0');
        break;
    case 1:
        if (!DigitIn(key, h > 1 ? U'5' : U'9'))
            return Refused();
        t = int(key - U'0');
        break;
    default:
        if (!DigitIn(key, h > 1 && t > 4 ? U'5' : U'9'))
            return Refused();
        u = int(key - U'0');
        break;
    }
    const int v = 100 * h + 10 * t + u;
    if (v > 255)
        return {true, true, 255};
    return Value(v);
}

} // namespace vtm
