#include "search/FindState.h"

#include "document/Color.h"

#include "document/Document.h"
#include "document/Language.h"
#include "edit/EditContext.h"
#include "search/SearchBytes.h"

#include <algorithm>

namespace vtm {

FindFormTexts FindTexts(Language language, FindFormMode mode)
{
    FindFormTexts t;
    const bool mark = mode == FindFormMode::FindAndMark;
    for (std::size_t i = 0; i < t.colorNames.size(); ++i)
        t.colorNames[i] = ColourName(int(i) + 1, language);
    if (IsGerman(language)) {
        t.caption = mode == FindFormMode::Replace ? "Ersetzen"
                    : mark                        ? "Suchen und markieren"
                                                  : "Suchen";
        t.findLabel = "Suchen nach:";
        t.hexFLabel = "&Hex:";
        t.decFLabel = "&Dez:";
        t.charFLabel = "&Char:";
        t.replaceLabel = "Ersetzen durch:";
        t.hexRLabel = "He&x:";
        t.decRLabel = "De&z:";
        t.charRLabel = "Cha&r:";
        t.markLabel = "Markieren mit:";
        t.optionLabel = "Optionen:";
        t.caseBox = "Groß-/&Kleinschreib.";
        t.confirmBox = "Mit &Bestätigung";
        t.beginLabel = "Beginn:";
        t.beginCursor = "Ab Cur&sor";
        t.beginStartEnd = "&Textanfang/-ende";
        t.directionLabel = "Richtung:";
        t.directionDown = "&Vorwärts";
        t.directionUp = "Rück&wärts";
        t.okButton = "OK";
        t.allButton = mark ? "&Alles markieren" : "&Alles ersetzen";
        t.cancelButton = "Abbrechen";
        return t;
    }
    t.caption = mode == FindFormMode::Replace ? "Replace" : mark ? "Find and mark" : "Find";
    t.findLabel = "To find:";
    t.hexFLabel = "&Hex:";
    t.decFLabel = "&Dec:";
    t.charFLabel = "&Char:";
    t.replaceLabel = "Replace by:";
    t.hexRLabel = "He&x:";
    t.decRLabel = "D&ec:";
    t.charRLabel = "Cha&r:";
    t.markLabel = "Mark with:";
    t.optionLabel = "Options:";
    t.caseBox = "Case &sensitive";
    t.confirmBox = "&Prompt on replace";
    t.beginLabel = "Origin:";
    t.beginCursor = "Fr&om cursor";
    t.beginStartEnd = "E&ntire scope";
    t.directionLabel = "Direction:";
    t.directionDown = "&Forward";
    t.directionUp = "&Backward";
    t.okButton = "OK";
    t.allButton = mark ? "Mark &all" : "Replace &all";
    t.cancelButton = "Cancel";
    return t;
}

bool ShowsReplacePanel(FindFormMode mode)
{
    return mode == FindFormMode::Replace;
}

bool ShowsMarkPanel(FindFormMode mode)
{
    return mode == FindFormMode::FindAndMark;
}

bool ShowsAllButton(FindFormMode mode)
{
    return mode != FindFormMode::Find;
}

bool FindAcceptable(const FindState &state)
{
    return !state.FindBytes.empty();
}

FindButtonLefts FindButtonLayout(FindFormMode mode, int cw, int w)
{
    if (!ShowsAllButton(mode))
        return {cw / 2 - (5 * w) / 4, -1, cw / 2 + w / 4};
    return {cw / 2 - (7 * w) / 4, cw / 2 - w / 2, cw / 2 + (3 * w) / 4};
}

std::int64_t SearchFind(const Document &doc, const FindState &state, std::int64_t start,
                        bool backward)
{
    if (state.FindBytes.empty() || doc.BufferSize() <= 0)
        return -1;
    return SearchDocument(doc, state.FindBytes, start, backward, !state.CaseSensitive);
}

std::int64_t FindStartOffset(const FindState &state, std::int64_t cursor, std::int64_t bufferSize)
{
    if (state.BeginAtCursor)
        return cursor;
    return state.Backward ? bufferSize - 1 : 0;
}

namespace {
// A find walks only from its start to one end: that is the bar's whole.
std::int64_t Measured(const Document &doc, const FindState &state, std::int64_t start,
                      bool backward)
{
    if (JobMeter *job = doc.Meter()) {
        const std::int64_t size = doc.BufferSize();
        const std::int64_t n = std::int64_t(state.FindBytes.size());
        job->setTotal(job->done()
                      + (backward ? std::clamp<std::int64_t>(start + n, 0, size)
                                  : size - std::clamp<std::int64_t>(start, 0, size)));
    }
    return start;
}
} // namespace

bool ShowFound(EditContext &ctx, std::int64_t p)
{
    if (p < 0) {
        ctx.Beep();
        return false;
    }
    ctx.MoveCursorToOffset(p, ctx.CursorInCharArea(), true);
    return true;
}

bool FindConfirmed(EditContext &ctx, const FindState &state)
{
    const Document &doc = ctx.Doc();
    const std::int64_t start = FindStartOffset(state, ctx.CursorOffset(), doc.BufferSize());
    // Stopped, the search throws before the cursor moves or anything beeps.
    return ShowFound(
        ctx, SearchFind(doc, state, Measured(doc, state, start, state.Backward), state.Backward));
}

bool FindNext(EditContext &ctx, const FindState &state)
{
    if (!state.SearchAccepted)
        return ShowFound(ctx, -1);
    const Document &doc = ctx.Doc();
    return ShowFound(
        ctx, SearchFind(doc, state, Measured(doc, state, ctx.CursorOffset() + 1, false), false));
}

bool FindPrevious(EditContext &ctx, const FindState &state)
{
    if (!state.SearchAccepted)
        return ShowFound(ctx, -1);
    const Document &doc = ctx.Doc();
    return ShowFound(
        ctx, SearchFind(doc, state, Measured(doc, state, ctx.CursorOffset() - 1, true), true));
}

} // namespace vtm
