#include "document/Language.h"
#include "widgets/SpeedHints.h"
#include "widgets/SpeedLayout.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace vtm;

namespace {
// Left edges in the order of SpeedButton, Dec and Dez sharing the last place.
std::vector<int> lefts(int panelWidth, int buttonWidth)
{
    std::vector<int> out;
    for (SpeedButton id : AllSpeedButtons())
        out.push_back(SpeedButtonLeft(id, panelWidth, buttonWidth));
    return out;
}
} // namespace

TEST(SpeedLayout, ButtonsSitOnTheirFractionOfTheWidth)
{
    using Lefts = std::vector<int>;
    EXPECT_EQ(lefts(544, 32),
              (Lefts{16, 48, 80, 128, 160, 208, 240, 272, 304, 336, 384, 416, 461, 499, 499}));
    EXPECT_EQ(lefts(457, 26),
              (Lefts{14, 41, 68, 108, 135, 175, 202, 229, 256, 283, 323, 350, 388, 420, 420}));
    EXPECT_EQ(lefts(640, 26),
              (Lefts{25, 62, 100, 156, 194, 251, 288, 326, 363, 401, 458, 495, 548, 593, 593}));
    // The fraction given as a number lands on the same pixel as the table's entry.
    for (int width : {170, 425, 457, 544, 640, 1001})
        for (SpeedButton id : AllSpeedButtons())
            EXPECT_EQ(SpeedButtonLeft(SpeedButtonPosition(id), width, 26),
                      SpeedButtonLeft(id, width, 26))
                << SpeedButtonName(id) << " at " << width;
}

TEST(SpeedLayout, HalvesRoundToEven)
{
    EXPECT_EQ(SpeedButtonLeft(1, 544, 27), 18);    // 18.5
    EXPECT_EQ(SpeedButtonLeft(2, 544, 27), 50);    // 50.5
    EXPECT_EQ(SpeedButtonLeft(1, 544, 25), 20);    // 19.5
    EXPECT_EQ(SpeedButtonLeft(4.5, 544, 25), 132); // 131.5
    // 386.5 exactly, which a floating-point sum sees as a hair above the half.
    EXPECT_EQ(SpeedButtonLeft(SpeedButton::DecSpeedButton, 425, 32), 386);
    EXPECT_EQ(SpeedButtonLeft(16.1, 425, 32), 386);
    // A panel narrower than the buttons: -2.5 and -1.5.
    EXPECT_EQ(SpeedButtonLeft(1, 170, 25), -2);
    EXPECT_EQ(SpeedButtonLeft(1, 170, 23), -2);
}

TEST(SpeedLayout, ButtonsAreCentredOnePixelLow)
{
    EXPECT_EQ(SpeedButtonTop(SpeedPanelHeight, 26), 6);
    EXPECT_EQ(SpeedButtonTop(SpeedPanelHeight, 25), 7);
    EXPECT_EQ(SpeedButtonTop(SpeedPanelHeight, 32), 3);
    EXPECT_EQ(SpeedButtonTop(SpeedPanelHeight, SpeedPanelHeight), 1);
}

TEST(SpeedHints, BothLanguages)
{
    struct Row
    {
        SpeedButton id;
        const char *german;
        const char *english;
    };
    // The neighbours most easily swapped, the texts with umlauts and the decimal pair.
    const Row rows[] = {
        {SpeedButton::OpenSB, "Datei öffnen...", "Open..."},
        {SpeedButton::FindPreviousSB, "Voriges suchen", "Find previous"},
        {SpeedButton::FindNextSB, "Nächstes suchen", "Find next"},
        {SpeedButton::ReplaceSB, "Ersetzen...", "Replace..."},
        {SpeedButton::FindAndMarkSB, "Suchen und markieren...", "Find and mark..."},
        {SpeedButton::CalcSB, "Windows-Rechner aufrufen oder nach vorne bringen",
         "Launch or bring to front Windows' calculator"},
        {SpeedButton::HexSpeedButton, "Hexadezimal anzeigen", "View hexadezimal"},
        {SpeedButton::DecSpeedButton, "Dezimal anzeigen", "View decimal"},
        {SpeedButton::DezSpeedButton, "Dezimal anzeigen", "View decimal"},
    };
    for (const Row &r : rows) {
        EXPECT_EQ(SpeedButtonHint(r.id, LanguageGerman), r.german) << SpeedButtonName(r.id);
        EXPECT_EQ(SpeedButtonHint(r.id, LanguageEnglish), r.english) << SpeedButtonName(r.id);
        // Any language but German reads English.
        EXPECT_EQ(SpeedButtonHint(r.id, LanguageOf(12)), r.english) << SpeedButtonName(r.id);
    }
}

TEST(SpeedHints, DecimalButtonFollowsTheLanguage)
{
    std::set<std::string> names;
    for (SpeedButton id : AllSpeedButtons()) {
        names.insert(SpeedButtonName(id));
        if (id != SpeedButton::DecSpeedButton && id != SpeedButton::DezSpeedButton) {
            EXPECT_TRUE(SpeedButtonInLanguage(id, LanguageGerman)) << SpeedButtonName(id);
            EXPECT_TRUE(SpeedButtonInLanguage(id, LanguageEnglish)) << SpeedButtonName(id);
        }
    }
    EXPECT_EQ(names.size(), std::size_t(SpeedButtonCount)); // they name the glyph files
    EXPECT_TRUE(SpeedButtonInLanguage(SpeedButton::DezSpeedButton, LanguageGerman));
    EXPECT_FALSE(SpeedButtonInLanguage(SpeedButton::DecSpeedButton, LanguageGerman));
    for (Language language : {LanguageEnglish, LanguageOf(12), LanguageOf(0)}) {
        EXPECT_TRUE(SpeedButtonInLanguage(SpeedButton::DecSpeedButton, language));
        EXPECT_FALSE(SpeedButtonInLanguage(SpeedButton::DezSpeedButton, language));
    }
}
