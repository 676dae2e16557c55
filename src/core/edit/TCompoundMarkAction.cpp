#include "edit/TCompoundMarkAction.h"

#include "edit/EditContext.h"

#include <algorithm>
#include <vector>

namespace vtm {

TCompoundMarkAction::TCompoundMarkAction(ActionKind kind, int group, bool charSide)
    : TAction(kind, group)
{
    CharSide = charSide;
}

namespace {
// The colour at x of a map or of an ascending run array, walked forwards, lowering `limit`
// to where that colour may change.
struct MapWalk
{
    MarkMap::Cursor c;
    std::uint8_t at(std::int64_t x, std::int64_t &limit)
    {
        while (c.valid() && c.run().end <= x)
            c.next();
        if (!c.valid())
            return 0;
        const MarkRun r = c.run();
        if (r.start <= x) {
            limit = std::min(limit, r.end);
            return r.colour;
        }
        limit = std::min(limit, r.start);
        return 0;
    }
};

struct ArrayWalk
{
    const MarkRun *r;
    const MarkRun *e;
    std::uint8_t at(std::int64_t x, std::int64_t &limit)
    {
        while (r != e && r->end <= x)
            ++r;
        if (r == e)
            return 0;
        if (r->start <= x) {
            limit = std::min(limit, r->end);
            return r->colour;
        }
        limit = std::min(limit, r->start);
        return 0;
    }
};
} // namespace

template <class Want>
void TCompoundMarkAction::record(const Document &doc, std::int64_t p, std::int64_t end,
                                 Want want)
{
    end = std::min(end, doc.BufferSize());
    p = std::max<std::int64_t>(p, 0);
    MapWalk change{m_changes.firstEndingAfter(p)};
    MapWalk mark{doc.MarkRuns().firstEndingAfter(p)};
    // Past every recorded change (bulk commands go forwards) a stretch is appended at once;
    // elsewhere they are gathered first, as recording them moves the runs the walk is on.
    const bool append = p >= m_changes.end();
    std::vector<MarkRun> stretches;
    for (std::int64_t x = p; x < end;) {
        std::int64_t limit = end;
        const std::uint8_t wanted = want(x, limit);
        const std::uint8_t recorded = change.at(x, limit);
        const std::uint8_t now = recorded ? std::uint8_t(recorded & 0x7F) : mark.at(x, limit);
        if (now != wanted) {
            if (append)
                m_changes.fill(x, limit - x, std::uint8_t(wanted | 0x80));
            else if (!stretches.empty() && stretches.back().end == x
                     && stretches.back().colour == (wanted | 0x80))
                stretches.back().end = limit;
            else
                stretches.push_back(MarkRun{x, limit, std::uint8_t(wanted | 0x80)});
            if (m_members == 0)
                m_firstPos = x;
            Pos = limit - 1;
            m_members += limit - x;
        }
        x = limit;
    }
    for (const MarkRun &r : stretches)
        m_changes.fill(r.start, r.end - r.start, r.colour);
}

void TCompoundMarkAction::AddRun(const Document &doc, std::int64_t p, std::int64_t n,
                                 std::uint8_t colour)
{
    record(doc, p, p + n, [colour](std::int64_t, std::int64_t &) { return colour; });
}

void TCompoundMarkAction::AddMarks(const Document &doc, const MarkRun *runs, std::size_t count,
                                   std::int64_t from, std::int64_t to)
{
    from = std::max<std::int64_t>(from, 0);
    to = std::min(to, doc.BufferSize());
    if (count == 0 && from >= m_changes.end()) {
        // Unmarking past every recorded change: the document's runs are the changes.
        doc.MarkRuns().forEachRun(from, to, [&](const MarkRun &r) {
            m_changes.fill(r.start, r.end - r.start, 0x80);
            if (m_members == 0)
                m_firstPos = r.start;
            Pos = r.end - 1;
            m_members += r.end - r.start;
        });
        return;
    }
    ArrayWalk walk{runs, runs + count};
    record(doc, from, to,
           [&walk](std::int64_t x, std::int64_t &limit) { return walk.at(x, limit); });
}

std::uint8_t TCompoundMarkAction::ColourAfter(const Document &doc, std::int64_t p) const
{
    if (p < 0 || p >= doc.BufferSize())
        return 0;
    const std::uint8_t change = m_changes.at(p);
    return change ? std::uint8_t(change & 0x7F) : doc.MarkAt(p);
}

ActionOutcome TCompoundMarkAction::DoAction(EditContext &ctx)
{
    ctx.Doc().ApplyMarks(m_changes, &m_replaced);
    return ActionOutcome::Done;
}

ActionOutcome TCompoundMarkAction::UndoAction(EditContext &ctx)
{
    ctx.Doc().ApplyMarks(m_replaced, nullptr);
    return ActionOutcome::Done;
}

void TCompoundMarkAction::SetDoActionCursorPos(EditContext &ctx)
{
    ctx.MoveCursorToOffset(Pos, CharSide, true);
}

void TCompoundMarkAction::SetUndoActionCursorPos(EditContext &ctx)
{
    ctx.MoveCursorToOffset(m_firstPos, CharSide, true);
}

bool TCompoundMarkAction::SizeChanged() const
{
    return false;
}

std::int64_t TCompoundMarkAction::UndoBytes() const
{
    return m_changes.bytesHeld() + m_replaced.bytesHeld();
}

} // namespace vtm
