#pragma once

#include <array>
#include <string>

namespace vtm {

// The toolbar's buttons, left to right.
enum class SpeedButton {
    OpenSB,
    SaveSB,
    SaveAsSB,
    PrintSB,
    InfoSB,
    FindSB,
    FindPreviousSB,
    FindNextSB,
    ReplaceSB,
    FindAndMarkSB,
    CalcSB,
    TabSB,
    HexSpeedButton,
    DecSpeedButton, // English glyph; alternates with DezSpeedButton by language
    DezSpeedButton,
};
constexpr int SpeedButtonCount = 15;

constexpr std::array<SpeedButton, SpeedButtonCount> AllSpeedButtons()
{
    std::array<SpeedButton, SpeedButtonCount> all{};
    for (int i = 0; i < SpeedButtonCount; ++i)
        all[std::size_t(i)] = SpeedButton(i);
    return all;
}

constexpr int SpeedPanelHeight = 37;
// The panel width is divided into this many slots; a button is centred on a slot mark.
constexpr int SpeedPanelSlots = 17;

// The button's name as written in code ("OpenSB"); also names its glyph.
std::string SpeedButtonName(SpeedButton button);

// Where the button's centre sits, in slots from the left edge.
double SpeedButtonPosition(SpeedButton button);

// round(p * panelWidth / 17 - buttonWidth / 2), ties to even. p counts to a tenth of a slot;
// the sum is done in integers so that a tie is a tie and not a floating-point accident.
int SpeedButtonLeft(double p, int panelWidth, int buttonWidth);
int SpeedButtonLeft(SpeedButton button, int panelWidth, int buttonWidth);

// Vertically centred, one pixel lower.
int SpeedButtonTop(int panelHeight, int buttonHeight);

} // namespace vtm
