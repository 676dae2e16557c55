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

void TCompoundMarkAction::toAny()
{
    if (m_mode == Mode::Any)
        return;
    m_any = m_mode == Mode::Up ? m_builder.finish() : m_builder.finish().mirrored(m_mirror);
    m_mode = Mode::Any;
}

bool TCompoundMarkAction::cover(const Document &doc, std::int64_t &p, std::int64_t &n)
{
    const std::int64_t size = doc.BufferSize();
    if (n <= 0 || p >= size)
        return false;
    const std::int64_t end = p > size - n ? size : p + n; // no overflow for any n
    p = std::max<std::int64_t>(p, 0);
    if (end <= p)
        return false;
    n = end - p;
    const MarkMap &marks = doc.MarkRuns();
    if (!m_started) {
        m_started = true;
        m_lo = m_hi = p;
    }
    // The stretch grows over [p, end) only once its marks are appended (see grown), so that
    // running out of memory on the way leaves the recorded stretch whole.
    if (m_mode == Mode::Up && p >= m_hi) { // the marks between keep the document's
        m_builder.appendMap(marks, m_hi, p, 0);
        m_hi = p;
        return true;
    }
    if (m_mode == Mode::Up && end <= m_lo) {
        // The first step down: the stretch so far seen from the end.
        m_mirror = size;
        const MarkMap up = m_builder.finish();
        m_builder.appendMirrored(up, m_lo, m_hi, m_mirror);
        m_mode = Mode::Down;
    }
    if (m_mode == Mode::Down && end <= m_lo) {
        m_builder.appendMirrored(marks, end, m_lo, m_mirror);
        m_lo = end;
        return true;
    }
    toAny();
    if (p < m_lo) {
        m_any.paste(p, m_lo - p, marks.slice(p, m_lo - p));
        m_lo = p;
    }
    if (end > m_hi) {
        m_any.paste(m_hi, end - m_hi, marks.slice(m_hi, end - m_hi));
        m_hi = end;
    }
    return true;
}

void TCompoundMarkAction::grown(std::int64_t p, std::int64_t end)
{
    if (m_mode == Mode::Up)
        m_hi = end;
    else if (m_mode == Mode::Down)
        m_lo = p;
}

void TCompoundMarkAction::counted(std::int64_t changed, std::int64_t first, std::int64_t last)
{
    if (changed <= 0)
        return;
    if (m_members == 0)
        m_firstPos = first;
    Pos = last;
    m_members += changed;
}

void TCompoundMarkAction::AddRun(const Document &doc, std::int64_t p, std::int64_t n,
                                 std::uint8_t colour)
{
    if (!cover(doc, p, n))
        return;
    // The stretch holds the document's marks, or in any order the recorded ones.
    const MarkMap &now = m_mode == Mode::Any ? m_any : doc.MarkRuns();
    const std::int64_t end = p + n;
    const std::int64_t marked = now.empty() ? 0 : now.countIn(p, n);
    if (marked == 0) {
        if (colour != 0)
            counted(n, p, end - 1);
    } else {
        const std::int64_t changed =
            colour ? n - now.countColour(p, n, colour) : marked;
        if (changed > 0) {
            // The first and last byte whose colour changes.
            std::int64_t first = p, last = end - 1;
            const MarkMap::Cursor a = now.firstEndingAfter(p);
            const MarkMap::Cursor b = now.lastStartingAtOrBefore(end - 1);
            if (colour == 0) {
                first = std::max(a.run().start, p);
                last = std::min(b.run().end, end) - 1;
            } else {
                if (a.valid() && a.run().start <= p && a.run().colour == colour)
                    first = a.run().end;
                if (b.valid() && b.run().end >= end && b.run().colour == colour)
                    last = b.run().start - 1;
            }
            counted(changed, first, last);
        }
    }
    switch (m_mode) {
    case Mode::Up: m_builder.append(p, end, colour); break;
    case Mode::Down: m_builder.append(m_mirror - end, m_mirror - p, colour); break;
    case Mode::Any: m_any.fill(p, n, colour); break;
    }
    grown(p, end);
}

void TCompoundMarkAction::AddColours(const Document &doc, std::int64_t p,
                                     const std::uint8_t *colours, std::int64_t n)
{
    const std::int64_t asked = p;
    if (!cover(doc, p, n))
        return;
    colours += p - asked;
    const MarkMap &now = m_mode == Mode::Any ? m_any : doc.MarkRuns();
    if (m_mode == Mode::Up && now.countIn(p, n) == 0) {
        // Onto unmarked bytes: every mark appended is a change.
        const std::int64_t before = m_builder.count();
        m_builder.appendColours(p, colours, n);
        grown(p, p + n);
        if (const std::int64_t changed = m_builder.count() - before; changed > 0) {
            std::int64_t first = 0, last = n - 1;
            while (colours[first] == 0)
                ++first;
            while (colours[last] == 0)
                --last;
            counted(changed, p + first, p + last);
        }
        return;
    }
    // Compared a block at a time with what the bytes hold now.
    constexpr std::int64_t Block = 64 * 1024;
    std::vector<std::uint8_t> was;
    std::int64_t changed = 0, first = -1, last = -1;
    for (std::int64_t k = 0; k < n; k += Block) {
        const std::int64_t len = std::min(Block, n - k);
        const std::uint8_t *want = colours + k;
        std::int64_t diff = 0, f = -1, l = -1;
        if (now.empty() || now.countIn(p + k, len) == 0) {
            for (std::int64_t i = 0; i < len; ++i)
                diff += want[i] != 0;
            if (diff > 0) {
                f = std::find_if(want, want + len, [](std::uint8_t c) { return c != 0; }) - want;
                l = len - 1;
                while (want[l] == 0)
                    --l;
            }
        } else {
            was.resize(std::size_t(len));
            now.read(p + k, len, was.data());
            for (std::int64_t i = 0; i < len; ++i)
                diff += want[i] != was[std::size_t(i)];
            if (diff > 0) {
                f = std::mismatch(want, want + len, was.data()).first - want;
                l = len - 1;
                while (want[l] == was[std::size_t(l)])
                    --l;
            }
        }
        if (diff > 0) {
            changed += diff;
            if (first < 0)
                first = p + k + f;
            last = p + k + l;
        }
    }
    counted(changed, first, last);
    switch (m_mode) {
    case Mode::Up: m_builder.appendColours(p, colours, n); break;
    case Mode::Down: {
        std::vector<std::uint8_t> reversed(colours, colours + n);
        std::reverse(reversed.begin(), reversed.end());
        m_builder.appendColours(m_mirror - p - n, reversed.data(), n);
        break;
    }
    case Mode::Any: m_any.assign(p, colours, n); break;
    }
    grown(p, p + n);
}

std::uint8_t TCompoundMarkAction::ColourAfter(const Document &doc, std::int64_t p)
{
    if (p < 0 || p >= doc.BufferSize())
        return 0;
    if (!m_started || p < m_lo || p >= m_hi)
        return doc.MarkAt(p);
    if (m_finished)
        return m_after.at(p - m_lo);
    toAny();
    return m_any.at(p);
}

ActionOutcome TCompoundMarkAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (!m_finished) {
        MarkMap after;
        switch (m_mode) {
        case Mode::Up: after = m_builder.finish(); break;
        case Mode::Down: after = m_builder.finish().mirrored(m_mirror); break;
        case Mode::Any: after = std::move(m_any); break;
        }
        m_after = after.slice(m_lo, m_hi - m_lo);
        m_any.clear();
        m_finished = true;
    }
    if (!m_haveBefore) {
        m_before = doc.MarkRuns().slice(m_lo, m_hi - m_lo);
        m_haveBefore = true;
        m_undoBytes = m_before.bytesHeld() + m_after.bytesHeld();
    }
    doc.PasteMarks(m_lo, m_hi - m_lo, m_after);
    return ActionOutcome::Done;
}

ActionOutcome TCompoundMarkAction::UndoAction(EditContext &ctx)
{
    ctx.Doc().PasteMarks(m_lo, m_hi - m_lo, m_before);
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

} // namespace vtm
