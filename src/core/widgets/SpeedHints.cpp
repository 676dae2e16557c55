#include "widgets/SpeedHints.h"

#include "document/Language.h"

#include <array>

namespace vtm {

namespace {
struct Pair
{
    const char *german;
    const char *english;
};

// In the order of SpeedButton.
constexpr std::array<Pair, SpeedButtonCount> kHints{{
    {"Datei öffnen...", "Open..."},
    {"Datei speichern", "Save"},
    {"Datei speichern unter...", "Save as..."},
    {"Drucken...", "Print..."},
    {"Info/Statistik...", "Info/Statistic..."},
    {"Suchen...", "Find..."},
    {"Voriges suchen", "Find previous"},
    {"Nächstes suchen", "Find next"},
    {"Ersetzen...", "Replace..."},
    {"Suchen und markieren...", "Find and mark..."},
    {"Windows-Rechner aufrufen oder nach vorne bringen",
     "Launch or bring to front Windows' calculator"},
    {"Zeichentabelle", "Character Table"},
    {"Hexadezimal anzeigen", "View hexadezimal"},
    {"Dezimal anzeigen", "View decimal"},
    {"Dezimal anzeigen", "View decimal"},
}};
} // namespace

std::string SpeedButtonHint(SpeedButton button, Language language)
{
    const Pair &p = kHints[std::size_t(button)];
    return IsGerman(language) ? p.german : p.english;
}

bool SpeedButtonInLanguage(SpeedButton button, Language language)
{
    if (button == SpeedButton::DecSpeedButton)
        return !IsGerman(language);
    if (button == SpeedButton::DezSpeedButton)
        return IsGerman(language);
    return true;
}

} // namespace vtm
