#include "search/Goto.h"

#include "document/Language.h"
#include "edit/EditContext.h"

#include <algorithm>

namespace vtm {

GotoFormTexts GotoTexts(Language language, GotoFormMode mode)
{
    const bool go = mode == GotoFormMode::Goto;
    if (IsGerman(language))
        return {go ? "Gehe zu" : mode == GotoFormMode::CopyBytes ? "Bytes kopieren" : "Bytes löschen",
                go ? "&Position:" : "&Anzahl:",
                "&Hex:",
                "&Dez:",
                "OK",
                "Abbrechen"};
    return {go ? "Goto" : mode == GotoFormMode::CopyBytes ? "Copy bytes" : "Delete bytes",
            go ? "&Position:" : "&Count:",
            "&Hex:",
            "&Dec:",
            "OK",
            "Cancel"};
}

std::int64_t GotoTarget(std::int64_t value, std::int64_t bufferSize)
{
    return std::min<std::int64_t>(value, bufferSize - 1);
}

void GotoOffset(EditContext &ctx, GotoMemory &memory, std::int64_t value)
{
    const std::int64_t size = ctx.Doc().BufferSize();
    if (size <= 0)
        return;
    memory.LastGotoOffset = value;
    ctx.MoveCursorToOffset(GotoTarget(value, size), ctx.CursorInCharArea(), true);
    if (value > size - 1)
        ctx.Beep();
}

std::string ClearFieldText(Language language)
{
    return IsGerman(language) ? "Leeren" : "Clear";
}

} // namespace vtm
