#include "document/StatusTexts.h"
#include "document/Format.h"

#include <cstdio>

namespace vtm {

std::string PositionText(std::int64_t offset)
{
    return "Pos: " + std::to_string(offset) + " $" + ShortHex(std::uint64_t(offset));
}

std::string ValueText(const std::string &valueLabel, std::uint8_t v)
{
    std::string s = valueLabel + " " + std::to_string(v) + " $" + ZeroPadded(v, 2, true) + " " +
                    BinaryString(v, 8);
    // A fixed printable set, independent of how the dump shows unknown characters.
    if ((v >= 0x20 && v <= 0x7E) || v == 0x91 || v == 0x92 || v >= 0xA1)
        s += " \"" + Cp1252ToUtf8(v) + "\"";
    return s;
}

std::string DistanceText(std::int64_t d)
{
    // Negated unsigned, so the most negative distance has a magnitude too.
    const std::uint64_t magnitude = d < 0 ? 0 - std::uint64_t(d) : std::uint64_t(d);
    return "Dist: " + std::to_string(d) + " " + (d < 0 ? "-$" : "$") + ShortHex(magnitude);
}

} // namespace vtm
