#include "app/Captions.h"

#include "analysis/Compare.h"

#include "document/Language.h"

#include <array>
#include <utility>

namespace vtm {

namespace {
struct Pair
{
    const char *german;
    const char *english;
};

// In the order of MenuItem.
constexpr std::array<Pair, 71> kCaptions{{
    {"&Datei", "&File"},
    {"&Neu", "&New"},
    {"&Öffnen...", "&Open..."},
    {"&Speichern", "&Save"},
    {"Speichern &unter...", "Save &as..."},
    {"&Zwischenablage öffnen...", "Open &clipboard..."},
    {"&Vergleichen mit...", "Compare &with..."},
    {"D&rucken...", "&Print..."},
    {"&Info/Statistik...", "&Info/statistic..."},
    {"Prüfsu&mmen...", "C&hecksums..."},
    {"&Beenden", "&Exit"},
    {"&Bearbeiten", "&Edit"},
    {"Byte &löschen", "&Delete byte"},
    {"Bytes l&öschen", "D&elete bytes"},
    {"Byte &einfügen", "&Insert byte"},
    {"Bytes e&infügen", "Inser&t bytes"},
    {"Byte &anfügen", "&Append byte"},
    {"Bytes an&fügen", "Append &bytes"},
    {"&Suchen...", "&Find..."},
    {"Erset&zen...", "Repla&ce..."},
    {"Suchen und &markieren...", "Find and &mark..."},
    {"&Nächstes suchen", "Find &next"},
    {"&Voriges suchen", "Find &previous"},
    {"&Gehe zu...", "&Go to..."},
    {"N&ächstes ident. Byte", "Ne&xt identical byte"},
    {"V&origes ident. Byte", "Pre&vious identical byte"},
    {"Bytes &kopieren als", "Cop&y bytes as"},
    {"&Rohe Bytes", "&Raw bytes"},
    {"&Hex-Text", "&Hex text"},
    {"&C-Array", "&C array"},
    {"&Base64", "&Base64"},
    {"&Windows-1252-Zeichen", "&Windows-1252 characters"},
    {"Einfügen &überschreibend", "Paste &overtyping"},
    {"Einfügen einschie&bend", "Paste in&serting"},
    {"&Markierung", "&Mark"},
    {"&Alle aufheben", "&Unmark all"},
    {"&Nächste", "&Next"},
    {"&Vorige", "&Previous"},
    {"N&ächste", "Ne&xt"},
    {"V&orige", "Pre&vious"},
    {"Nä&chste ident.", "Nex&t identical"},
    {"Vo&rige ident.", "Previou&s identical"},
    {"Markierungen ö&ffnen...", "Open &marks..."},
    {"Markierungen s&peichern unter...", "Save ma&rks as..."},
    {"&Optionen", "&Options"},
    {"&Hex", "&Hex"},
    {"&Dez", "&Dec"},
    {"&Backup-Dateien anlegen", "Create &backup-files"},
    {"Markierungen beim &Öffnen beibehalten", "&Keep marks when opening"},
    {"Nicht darstellbare &Zeichen als Space", "&Unknow chars as space"},
    {"Warnung vorm &Überschreiben von Dateien", "&Show overwrite warning"},
    {"Daten&inspektor", "Data &inspector"},
    {"&Wert im Dateninspektor bearbeiten", "Edit &value in data inspector"},
    {"Markierungen &schraffiert drucken", "Print marks ha&tched"},
    {"Markierungen &farbig drucken", "Print marks using &colors"},
    {"Markierungen &nicht drucken", "Do &not print marks"},
    {"&Englisch/English", "&English/Englisch"},
    {"Deutsch/&German", "&German/Deutsch"},
    {"&Hilfe", "&Help"},
    {"&Inhalt", "&Contents"},
    {"In&fo...", "In&fo..."},
    {"&Nächste Markierung", "&Next Mark"},
    {"&Vorige Markierung", "&Previous Mark"},
    {"Nä&chste ident. Markierung", "Next identical Mark"},
    {"Vo&rige ident. Markierung", "Previous identical Mark"},
    {"N&ächstes ident. Byte", "Next identical Byte"},
    {"V&origes ident. Byte", "Previous identical Byte"},
    {"Daten&träger oder Partition öffnen...", "Open &disk or partition..."},
    {"Auf das Gerät sch&reiben erlauben", "Allow &writing to the device"},
    {"&Rückgängig", "&Undo"},
    {"&Wiederrufen", "&Redo"},
}};
static_assert(kCaptions.size() == std::size_t(MenuItemCount));

std::string Pick(const Pair &p, Language language)
{
    return IsGerman(language) ? p.german : p.english;
}
} // namespace

std::string Caption(MenuItem item, Language language)
{
    return Pick(kCaptions[std::size_t(item)], language);
}

std::string ShortcutText(const KeyStroke &stroke, Language language)
{
    const bool german = IsGerman(language);
    std::string s;
    if (stroke.modifiers & Shift)
        s += german ? "Umsch+" : "Shift+";
    if (stroke.modifiers & Ctrl)
        s += german ? "Strg+" : "Ctrl+";
    if (stroke.modifiers & Alt)
        s += "Alt+";
    switch (stroke.key) {
    case Key::Delete: return s + (german ? "Entf" : "Del");
    case Key::Insert: return s + (german ? "Einfg" : "Ins");
    case Key::Left: return s + (german ? "Links" : "Left");
    case Key::Right: return s + (german ? "Rechts" : "Right");
    case Key::Up: return s + "Up";
    case Key::Down: return s + "Down";
    case Key::PageUp: return s + "PgUp";
    case Key::PageDown: return s + "PgDn";
    case Key::Home: return s + "Home";
    case Key::End: return s + "End";
    case Key::Tab: return s + "Tab";
    case Key::Backspace: return s + "BkSp";
    case Key::Letter: return s + stroke.letter;
    case Key::Function: return s + "F" + std::to_string(stroke.letter);
    case Key::Other: break;
    }
    return s;
}

std::string FileDialogTitle(FileDialogKind kind, Language language)
{
    if (kind == FileDialogKind::Compare)
        return CompareDialogTitle(language);
    static constexpr std::array<Pair, 4> titles{{
        {"Öffnen", "Open"},
        {"Speichern unter", "Save as"},
        {"Markierungen öffnen", "Open marks"},
        {"Markierungen speichern unter", "Save marks as"},
    }};
    return Pick(titles[std::size_t(kind)], language);
}

} // namespace vtm
