#include "edit/TCompoundReplaceAction.h"

#include "edit/EditContext.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

namespace vtm {

TCompoundReplaceAction::TCompoundReplaceAction(int group, bool charSide, bool backward,
                                               const std::vector<std::uint8_t> &pattern,
                                               const std::vector<std::uint8_t> &replacement)
    : TAction(ActionKind::Replace, group)
    , m_backward(backward)
    , m_pattern(pattern)
    , m_replacement(replacement)
{
    CharSide = charSide;
}

void TCompoundReplaceAction::Add(std::int64_t p)
{
    m_at.push_back(p);
}

std::int64_t TCompoundReplaceAction::FinalOffset(std::int64_t p) const
{
    const std::int64_t delta = std::int64_t(m_replacement.size()) - std::int64_t(m_pattern.size());
    std::int64_t before;
    if (m_sorted || !m_backward)
        before = std::lower_bound(m_at.begin(), m_at.end(), p) - m_at.begin();
    else
        before = m_at.end() - std::partition_point(m_at.begin(), m_at.end(),
                                                   [p](std::int64_t a) { return a >= p; });
    return p + before * delta;
}

ActionOutcome TCompoundReplaceAction::failed()
{
    m_at.clear(); // the history is dropped; nothing is left to undo
    return ActionOutcome::OutOfMemoryReplace;
}

ActionOutcome TCompoundReplaceAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    const std::int64_t n = std::int64_t(m_pattern.size());
    const std::int64_t m = std::int64_t(m_replacement.size());
    const std::int64_t count = std::int64_t(m_at.size());
    if (count == 0)
        return ActionOutcome::Done;
    try {
        if (!m_sorted) {
            if (m_backward)
                std::reverse(m_at.begin(), m_at.end());
            m_sorted = true;
            if (m_at.front() < 0 || m_at.back() + n > doc.BufferSize()) {
                m_at.clear(); // not found in this document: nothing to do
                return ActionOutcome::Done;
            }
            // Folded matches keep their own bytes for undoing.
            m_original.resize(std::size_t(count * n));
            bool same = true;
            for (std::int64_t k = 0; k < count; ++k) {
                std::uint8_t *own = m_original.data() + k * n;
                doc.ReadBytes(m_at[std::size_t(k)], n, own);
                same = same && std::memcmp(own, m_pattern.data(), std::size_t(n)) == 0;
            }
            if (same)
                std::vector<std::uint8_t>().swap(m_original);
            const std::int64_t delta = m - n;
            Pos = m_backward ? m_at.front() : m_at.back() + (count - 1) * delta;
            m_oldestPos = m_backward ? m_at.back() : m_at.front();
        }
        m_removedMarks.clear();
        if (m < n && doc.MarkedEnd() > m_at.front() + m) {
            m_removedMarks.resize(std::size_t(count * (n - m)));
            for (std::int64_t k = 0; k < count; ++k)
                doc.MarkRuns().read(m_at[std::size_t(k)] + m, n - m,
                                    m_removedMarks.data() + k * (n - m));
            if (std::all_of(m_removedMarks.begin(), m_removedMarks.end(),
                            [](std::uint8_t c) { return c == 0; }))
                std::vector<std::uint8_t>().swap(m_removedMarks);
        }
        doc.replaceRuns(m_at.data(), count, 0, n, m, m_replacement.data(), 0, nullptr);
    } catch (const std::bad_alloc &) {
        return failed();
    } catch (const OutOfMemoryError &) {
        return failed();
    }
    ChangedData(doc);
    doc.addChange(count - 1);
    return ActionOutcome::Done;
}

ActionOutcome TCompoundReplaceAction::UndoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    const std::int64_t n = std::int64_t(m_pattern.size());
    const std::int64_t m = std::int64_t(m_replacement.size());
    const std::int64_t count = std::int64_t(m_at.size());
    if (count == 0 || !Applied())
        return ActionOutcome::Done;
    const bool own = !m_original.empty();
    try {
        doc.replaceRuns(m_at.data(), count, m - n, m, n,
                        own ? m_original.data() : m_pattern.data(), own ? n : 0,
                        m_removedMarks.empty() ? nullptr : m_removedMarks.data());
    } catch (const OutOfMemoryError &) {
        return failed();
    }
    UnchangedData(doc);
    doc.addChange(-(count - 1));
    return ActionOutcome::Done;
}

void TCompoundReplaceAction::SetUndoActionCursorPos(EditContext &ctx)
{
    const std::int64_t last = ctx.Doc().BufferSize() - 1;
    ctx.MoveCursorToOffset(std::max<std::int64_t>(0, std::min(m_oldestPos, last)), CharSide, false);
}

bool TCompoundReplaceAction::SizeChanged() const
{
    return m_pattern.size() != m_replacement.size();
}

std::int64_t TCompoundReplaceAction::UndoBytes() const
{
    return std::int64_t(m_at.capacity() * sizeof(std::int64_t) + m_pattern.size() +
                        m_replacement.size() + m_original.size() + m_removedMarks.size());
}

} // namespace vtm
