#include "edit/EditTexts.h"

#include "document/Language.h"

#include <array>

namespace vtm {

std::string ActionKindName(ActionKind kind, Language language)
{
    struct Name
    {
        const char *english;
        const char *german;
    };
    static constexpr std::array<Name, 13> names{{
        {"Mark", "Markierung"},
        {"Change value", "Wert ändern"},
        {"Back", "Rück"},
        {"Delete", "Löschen"},
        {"", ""},
        {"Unmark", "Markierung aufheben"},
        {"Insert", "Einfügen"},
        {"Insert bytes", "Bytes einfügen"},
        {"Load mark", "Markierung laden"},
        {"Append", "Anfügen"},
        {"", ""},
        {"Replace", "Ersetzen"},
        {"Paste", "Einfügen aus der Zwischenablage"},
    }};
    const auto index = std::size_t(kind);
    if (index >= names.size())
        return {};
    const Name &n = names[index];
    return IsGerman(language) ? n.german : n.english;
}

std::string UndoCaption(Language language, const std::string &undoName)
{
    return (IsGerman(language) ? "&Rückgängig " : "&Undo ") + undoName;
}

std::string RedoCaption(Language language, const std::string &redoName)
{
    return (IsGerman(language) ? "&Wiederrufen " : "&Redo ") + redoName;
}

std::string OutOfMemoryText(Language language)
{
    return IsGerman(language) ? "Vorgang fehlgeschlagen! Vermutlich nicht genug Speicher."
                              : "Operation failed! Possible reason: Not enough memory.";
}

std::string OutOfMemoryUndoText(Language language)
{
    return IsGerman(language) ? "Vorgang fehlgeschlagen! Vermutlich nicht genug Speicher. Bitte "
                                "beenden Sie das Programm!"
                              : "Operation failed! Possible reason: Not enough memory. Please "
                                "close this application.";
}

std::string OutOfMemoryReplaceText(Language language)
{
    return IsGerman(language)
               ? "Vorgang fehlgeschlagen! Vermutlich nicht genug Speicher. Bitte Programm beenden!"
               : "Operation failed! Possible reason: Not enough memory. Close application!";
}

std::string DeviceReadOnlyText(Language language)
{
    return IsGerman(language)
               ? "Das Gerät ist schreibgeschützt geöffnet.\rUm seine Bytes zu ändern, erlauben Sie "
                 "zuerst das Schreiben mit Optionen > Schreiben auf das Gerät erlauben."
               : "The device is open read-only.\rTo change its bytes, first allow writing with "
                 "Options > Allow writing to the device.";
}

std::string DeviceFixedSizeText(Language language)
{
    return IsGerman(language)
               ? "Die Größe eines Geräts ist fest: Bytes können nicht eingefügt, gelöscht oder "
                 "angehängt werden.\rÜberschreiben Sie sie stattdessen."
               : "The size of a device is fixed: bytes cannot be inserted, deleted or "
                 "appended.\rOvertype them instead.";
}

} // namespace vtm
