#include "document/Color.h"

#include "document/Language.h"

#include <array>

namespace vtm {

std::string ColourName(int colour, Language language)
{
    struct Pair
    {
        const char *german;
        const char *english;
    };
    static constexpr std::array<Pair, 7> names{{
        {"Markierung aufheben", "Unmark"},
        {"Rot", "Red"},
        {"Grün", "Green"},
        {"Blau", "Blue"},
        {"Cyan", "Cyan"},
        {"Magenta", "Magenta"},
        {"Gelb", "Yellow"},
    }};
    if (colour < 0 || colour >= int(names.size()))
        return {};
    const Pair &n = names[std::size_t(colour)];
    return IsGerman(language) ? n.german : n.english;
}

} // namespace vtm
