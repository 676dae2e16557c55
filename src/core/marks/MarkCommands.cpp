#include "marks/MarkCommands.h"

#include "edit/TActions.h"
#include "edit/TCompoundMarkAction.h"
#include "edit/TMarkAction.h"
#include "marks/MarksContext.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace vtm {

namespace {
bool Matches(std::uint8_t mark, int colour)
{
    return colour == AnyMark ? mark != 0 : mark == colour;
}

// Counts how far a scan of runs has come on the job's meter, every RunsPerCount runs: a
// walk over many runs is long, one over a few costs nothing.
class ScanCount
{
public:
    ScanCount(const Document &doc, std::int64_t from)
        : m_doc(doc)
        , m_at(from)
    {}
    void at(std::int64_t x)
    {
        if (++m_runs % RunsPerCount != 0)
            return;
        const std::int64_t n = x > m_at ? x - m_at : m_at - x;
        m_at = x;
        m_doc.Progress(n);
    }

private:
    const Document &m_doc;
    std::int64_t m_at;
    std::int64_t m_runs = 0;
};

void ReportChanged(const Document &doc, std::int64_t count)
{
    if (JobMeter *job = doc.Meter())
        job->setChanged(count);
}
} // namespace

std::int64_t StretchEnd(const MarkMap &marks, std::int64_t from, std::int64_t to, std::int64_t n)
{
    MarkMap::Cursor c = marks.firstEndingAfter(from);
    for (std::int64_t k = 0; k < n && c.valid(); ++k)
        c.next();
    // The next run begins past the first one's end, so the stretch is never empty.
    return c.valid() && c.run().start < to ? std::max(c.run().start, from + 1) : to;
}

// Both scans walk the runs of marks, never the bytes between them.
std::int64_t FindMarkForward(const Document &doc, std::int64_t from, int colour)
{
    const std::int64_t size = doc.BufferSize();
    if (from < 0 || from >= size)
        return -1;
    const MarkMap &marks = doc.MarkRuns();
    ScanCount count(doc, from);
    if (colour == 0) { // the first byte outside every run
        std::int64_t x = from;
        for (MarkMap::Cursor c = marks.firstEndingAfter(x); c.valid() && c.run().start <= x;
             c.next()) {
            x = c.run().end;
            count.at(x);
        }
        return x < size ? x : -1;
    }
    for (MarkMap::Cursor c = marks.firstEndingAfter(from); c.valid(); c.next()) {
        const MarkRun r = c.run();
        if (r.start >= size)
            break;
        if (Matches(r.colour, colour))
            return std::max(r.start, from);
        count.at(r.end);
    }
    return -1;
}

std::int64_t FindMarkBackward(const Document &doc, std::int64_t from, int colour)
{
    if (from < 0 || from >= doc.BufferSize())
        return -1;
    const MarkMap &marks = doc.MarkRuns();
    ScanCount count(doc, from);
    if (colour == 0) {
        std::int64_t x = from;
        for (MarkMap::Cursor c = marks.lastStartingAtOrBefore(x); c.valid() && c.run().end > x;
             c.previous()) {
            x = c.run().start - 1;
            count.at(x);
        }
        return x;
    }
    for (MarkMap::Cursor c = marks.lastStartingAtOrBefore(from); c.valid(); c.previous()) {
        const MarkRun r = c.run();
        if (Matches(r.colour, colour))
            return std::min(r.end - 1, from);
        count.at(r.start);
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
    bool stopped = false;
    std::int64_t made = 0;
    if (doc.BufferSize() > 0) {
        const int group = ctx.NextCommandNumber();
        auto unmark = std::make_unique<TCompoundMarkAction>(ActionKind::Unmark, group, false);
        const std::int64_t size = doc.BufferSize();
        // One pass over the runs of each percentage of the offsets that holds a mark, a
        // stretch of runs at a time; a stop keeps the stretches done.
        int last = 0;
        try {
            for (int k = 0; k < 100; ++k) {
                const std::int64_t lo = (k * size + 99) / 100, hi = ((k + 1) * size + 99) / 100;
                const MarkMap::Cursor c = doc.MarkRuns().firstEndingAfter(lo);
                if (!c.valid() || c.run().start >= hi) {
                    doc.Progress(hi - lo);
                    continue;
                }
                for (std::int64_t x = lo; x < hi;) {
                    const std::int64_t y = StretchEnd(doc.MarkRuns(), x, hi, RunsPerCount);
                    unmark->AddRun(doc, x, y - x, 0);
                    doc.Progress(y - x);
                    x = y;
                }
                if (k != last) {
                    ctx.ShowProgress(std::to_string(k) + "%");
                    last = k;
                }
            }
        } catch (const JobStopped &) {
            stopped = true;
        }
        const std::int64_t count = unmark->MemberCount();
        if (!unmark->Empty() && ctx.History().AddAction(std::move(unmark), false))
            made = count;
        ctx.History().UpdateView();
    }
    ctx.InvalidateView();
    ctx.UpdateView();
    ctx.UpdateMenus();
    if (stopped) {
        ReportChanged(doc, made);
        throw JobStopped();
    }
}

namespace {
void GotoMark(MarksContext &ctx, int colour, bool forward)
{
    const std::int64_t from = ctx.CursorOffset() + (forward ? 1 : -1);
    // The bar runs over the offsets the scan may pass; a stop throws before the cursor
    // moves or anything beeps.
    const std::int64_t size = ctx.Doc().BufferSize();
    if (JobMeter *job = ctx.Doc().Meter())
        job->setTotal(job->done()
                      + std::clamp<std::int64_t>(forward ? size - from : from + 1, 0, size));
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
