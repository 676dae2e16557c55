#include "widgets/SpeedLayout.h"

#include <cmath>
#include <cstdint>

namespace vtm {

namespace {
struct Entry
{
    const char *name;
    int tenths; // position in tenths of a slot
};

// In the order of SpeedButton.
constexpr std::array<Entry, SpeedButtonCount> kButtons{{
    {"OpenSB", 10},
    {"SaveSB", 20},
    {"SaveAsSB", 30},
    {"PrintSB", 45},
    {"InfoSB", 55},
    {"FindSB", 70},
    {"FindPreviousSB", 80},
    {"FindNextSB", 90},
    {"ReplaceSB", 100},
    {"FindAndMarkSB", 110},
    {"CalcSB", 125},
    {"TabSB", 135},
    {"HexSpeedButton", 149},
    {"DecSpeedButton", 161},
    {"DezSpeedButton", 161},
}};

const Entry &entry(SpeedButton button)
{
    return kButtons[std::size_t(button)];
}

// num / den (den > 0) rounded to the nearest integer, halves to the even one.
std::int64_t roundHalfEven(std::int64_t num, std::int64_t den)
{
    std::int64_t q = num / den;
    std::int64_t r = num % den;
    if (r < 0) {
        --q;
        r += den;
    }
    if (2 * r > den || (2 * r == den && q % 2 != 0))
        ++q;
    return q;
}

int leftInTenths(std::int64_t tenths, int panelWidth, int buttonWidth)
{
    // t/10 * W/17 - B/2 == (2tW - 170B) / 340, t being the position in tenths
    const std::int64_t den = 10 * SpeedPanelSlots * 2;
    const std::int64_t num =
        2 * tenths * panelWidth - 10 * SpeedPanelSlots * std::int64_t(buttonWidth);
    return int(roundHalfEven(num, den));
}
} // namespace

std::string SpeedButtonName(SpeedButton button)
{
    return entry(button).name;
}

double SpeedButtonPosition(SpeedButton button)
{
    return entry(button).tenths / 10.0;
}

int SpeedButtonLeft(double p, int panelWidth, int buttonWidth)
{
    return leftInTenths(std::llround(p * 10), panelWidth, buttonWidth);
}

int SpeedButtonLeft(SpeedButton button, int panelWidth, int buttonWidth)
{
    return leftInTenths(entry(button).tenths, panelWidth, buttonWidth);
}

int SpeedButtonTop(int panelHeight, int buttonHeight)
{
    return (panelHeight - buttonHeight) / 2 + 1;
}

} // namespace vtm
