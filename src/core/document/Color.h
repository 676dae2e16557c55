#pragma once

#include "document/Language.h"
#include <cstdint>
#include <string>

namespace vtm {

struct Color
{
    std::uint8_t r = 0, g = 0, b = 0;
    friend constexpr bool operator==(Color, Color) = default;
};

namespace colors {
inline constexpr Color White{255, 255, 255};
inline constexpr Color Black{0, 0, 0};
// The desktop's classic 3-D face and shadow colours.
inline constexpr Color ButtonFace{240, 240, 240};
inline constexpr Color ButtonShadow{160, 160, 160};
} // namespace colors

// Marker colours: 0 none, 1..6 red, green, blue, cyan, magenta, yellow. Only the low
// seven bits count; any other value draws as unmarked.
Color BrightMarkColor(std::uint8_t mark);
Color DarkMarkColor(std::uint8_t mark);

// The name of a marker colour (0: unmarking), read by screen readers beside its swatch.
std::string ColourName(int colour, Language language);

} // namespace vtm
