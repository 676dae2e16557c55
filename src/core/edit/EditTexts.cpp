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

} // namespace vtm
