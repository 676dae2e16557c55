#include "marks/MarkCommands.h"

#include "document/ByteScan.h"
#include "edit/TActions.h"
#include "edit/TCompoundMarkAction.h"
#include "edit/TMarkAction.h"
#include "marks/MarksContext.h"

#include <cstring>
#include <memory>

namespace vtm {

namespace {
bool Matches(std::uint8_t mark, int colour)
{
    return colour == AnyMark ? mark != 0 : mark == colour;
}

// A word in which no byte can match.
bool NoMatchIn(std::uint64_t w, int colour)
{
    if (colour == AnyMark)
        return w == 0;
    return HasZeroByte(w ^ (kByteOnes * std::uint64_t(colour))) == 0;
}
} // namespace

std::int64_t FindMarkForward(const Document &doc, std::int64_t from, int colour)
{
    const std::int64_t size = doc.BufferSize();
    if (!doc.Marks() || from < 0 || from >= size)
        return -1;
    const std::uint8_t *m = doc.Marks();
    // Past the last mark every byte is unmarked.
    const std::int64_t end = colour == 0 ? size : std::min<std::int64_t>(size, doc.MarkedEnd());
    if (colour == 0 && from >= doc.MarkedEnd())
        return from;
    std::int64_t i = from;
    if (colour > 0) {
        const void *hit = i < end ? std::memchr(m + i, colour, std::size_t(end - i)) : nullptr;
        return hit ? static_cast<const std::uint8_t *>(hit) - m : -1;
    }
    for (; i < end && (i & 7) != 0; ++i)
        if (Matches(m[i], colour))
            return i;
    while (i + 8 <= end && NoMatchIn(LoadWord(m + i), colour))
        i += 8;
    for (; i < end; ++i)
        if (Matches(m[i], colour))
            return i;
    return colour == 0 && end < size ? end : -1;
}

std::int64_t FindMarkBackward(const Document &doc, std::int64_t from, int colour)
{
    if (!doc.Marks() || from < 0 || from >= doc.BufferSize())
        return -1;
    const std::uint8_t *m = doc.Marks();
    std::int64_t i = from;
    if (colour != 0 && i >= doc.MarkedEnd())
        i = doc.MarkedEnd() - 1; // nothing marked past it
    else if (colour == 0 && i >= doc.MarkedEnd())
        return i;
    if (colour != AnyMark)
        return FindByteBackward(m, i, std::uint8_t(colour));
    for (; i >= 0 && ((i + 1) & 7) != 0; --i)
        if (Matches(m[i], colour))
            return i;
    while (i >= 7 && NoMatchIn(LoadWord(m + i - 7), colour))
        i -= 8;
    for (; i >= 0; --i)
        if (Matches(m[i], colour))
            return i;
    return -1;
}

void MarkCursorByte(MarksContext &ctx, std::uint8_t colour)
{
    const Document &doc = ctx.Doc();
    const std::int64_t b = ctx.CursorOffset();
    if (doc.Marks() && b >= 0 && b < doc.BufferSize() && doc.Marks()[b] != colour) {
        const int group = ctx.NextCommandNumber();
        ctx.History().AddAction(
            std::make_unique<TMarkAction>(colour == 0 ? ActionKind::Unmark : ActionKind::Mark,
                                          group, b, ctx.CursorInCharArea(), colour),
            true);
    }
    ctx.UpdateMenus();
}

void UnmarkAll(MarksContext &ctx)
{
    const Document &doc = ctx.Doc();
    if (doc.BufferSize() > 0 && doc.Marks()) {
        const int group = ctx.NextCommandNumber();
        auto unmark = std::make_unique<TCompoundMarkAction>(ActionKind::Unmark, group, false);
        const std::int64_t size = doc.BufferSize();
        int last = 0;
        for (std::int64_t i = FindMarkForward(doc, 0, AnyMark); i >= 0;
             i = FindMarkForward(doc, i + 1, AnyMark)) {
            unmark->Add(doc, i, 0);
            const int p = int(i * 100 / size);
            if (p != last) {
                ctx.ShowProgress(std::to_string(p) + "%");
                last = p;
            }
        }
        if (!unmark->Empty())
            ctx.History().AddAction(std::move(unmark), false);
        ctx.History().UpdateView();
    }
    ctx.InvalidateView();
    ctx.UpdateView();
    ctx.UpdateMenus();
}

namespace {
void GotoMark(MarksContext &ctx, int colour, bool forward)
{
    const std::int64_t from = ctx.CursorOffset() + (forward ? 1 : -1);
    const std::int64_t found = forward ? FindMarkForward(ctx.Doc(), from, colour)
                                       : FindMarkBackward(ctx.Doc(), from, colour);
    if (found >= 0)
        ctx.MoveCursorToOffset(found, ctx.CursorInCharArea(), true);
    else
        ctx.Beep();
    ctx.UpdateMenus();
}

void GotoIdentical(MarksContext &ctx, bool forward)
{
    const Document &doc = ctx.Doc();
    const std::int64_t b = ctx.CursorOffset();
    if (!doc.Marks() || b < 0 || b >= doc.BufferSize())
        return;
    GotoMark(ctx, doc.Marks()[b], forward);
}
} // namespace

void GotoNextMarkOf(MarksContext &ctx, int colour)
{
    GotoMark(ctx, colour, true);
}

void GotoPreviousMarkOf(MarksContext &ctx, int colour)
{
    GotoMark(ctx, colour, false);
}

void GotoNextIdenticalMark(MarksContext &ctx)
{
    GotoIdentical(ctx, true);
}

void GotoPreviousIdenticalMark(MarksContext &ctx)
{
    GotoIdentical(ctx, false);
}

} // namespace vtm
