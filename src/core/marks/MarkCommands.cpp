#include "marks/MarkCommands.h"

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
} // namespace

// Both scans walk the runs of marks, never the bytes between them.
std::int64_t FindMarkForward(const Document &doc, std::int64_t from, int colour)
{
    const std::int64_t size = doc.BufferSize();
    if (from < 0 || from >= size)
        return -1;
    const MarkMap &marks = doc.MarkRuns();
    if (colour == 0) { // the first byte outside every run
        std::int64_t x = from;
        for (MarkMap::Cursor c = marks.firstEndingAfter(x); c.valid() && c.run().start <= x;
             c.next())
            x = c.run().end;
        return x < size ? x : -1;
    }
    for (MarkMap::Cursor c = marks.firstEndingAfter(from); c.valid(); c.next()) {
        const MarkRun r = c.run();
        if (r.start >= size)
            break;
        if (Matches(r.colour, colour))
            return std::max(r.start, from);
    }
    return -1;
}

std::int64_t FindMarkBackward(const Document &doc, std::int64_t from, int colour)
{
    if (from < 0 || from >= doc.BufferSize())
        return -1;
    const MarkMap &marks = doc.MarkRuns();
    if (colour == 0) {
        std::int64_t x = from;
        for (MarkMap::Cursor c = marks.lastStartingAtOrBefore(x); c.valid() && c.run().end > x;
             c.previous())
            x = c.run().start - 1;
        return x;
    }
    for (MarkMap::Cursor c = marks.lastStartingAtOrBefore(from); c.valid(); c.previous()) {
        const MarkRun r = c.run();
        if (Matches(r.colour, colour))
            return std::min(r.end - 1, from);
    }
    return -1;
}

void MarkCursorByte(MarksContext &ctx, std::uint8_t colour)
{
    const Document &doc = ctx.Doc();
    const std::int64_t b = ctx.CursorOffset();
    if (b >= 0 && b < doc.BufferSize() && doc.MarkAt(b) != colour) {
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
    if (doc.BufferSize() > 0) {
        const int group = ctx.NextCommandNumber();
        auto unmark = std::make_unique<TCompoundMarkAction>(ActionKind::Unmark, group, false);
        const std::int64_t size = doc.BufferSize();
        // One pass over the runs of each percentage of the offsets that holds a mark.
        int last = 0;
        for (int k = 0; k < 100; ++k) {
            const std::int64_t lo = (k * size + 99) / 100, hi = ((k + 1) * size + 99) / 100;
            const MarkMap::Cursor c = doc.MarkRuns().firstEndingAfter(lo);
            if (!c.valid() || c.run().start >= hi)
                continue;
            unmark->AddMarks(doc, nullptr, 0, lo, hi);
            if (k != last) {
                ctx.ShowProgress(std::to_string(k) + "%");
                last = k;
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
    if (b < 0 || b >= doc.BufferSize())
        return;
    GotoMark(ctx, doc.MarkAt(b), forward);
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
