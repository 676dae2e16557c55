#pragma once

#include "edit/TAction.h"

#include <cstdint>
#include <vector>

namespace vtm {

// Every replacement of one Replace-all run as one action: performed, undone and redone in
// a single pass over the document however many occurrences there are, and named with
// their number. Its members behave like one replace action each, recorded in order.
class TCompoundReplaceAction : public TAction
{
public:
    // pattern: the search string, so that occurrences equal to it cost no copy.
    TCompoundReplaceAction(int group, bool charSide, bool backward,
                           const std::vector<std::uint8_t> &pattern,
                           const std::vector<std::uint8_t> &replacement);

    // An occurrence found in the document as it is before the action (in the order found:
    // ascending forwards, descending backwards, never overlapping). Throws std::bad_alloc.
    void Add(std::int64_t p);
    bool Empty() const { return m_at.empty(); }
    // Where the occurrence at p (in the document before) begins once the members recorded
    // before it are performed.
    std::int64_t FinalOffset(std::int64_t p) const;

    ActionOutcome DoAction(EditContext &ctx) override;
    ActionOutcome UndoAction(EditContext &ctx) override;
    // After performing: the newest member (Pos); after undoing: the oldest.
    void SetUndoActionCursorPos(EditContext &ctx) override;
    bool SizeChanged() const override;
    std::int64_t MemberCount() const override { return std::int64_t(m_at.size()); }
    std::int64_t UndoBytes() const override;

private:
    // The document could not grow; it is as it was.
    ActionOutcome failed();

    // Ascending offsets in the document before; the order found is kept by m_backward.
    std::vector<std::int64_t> m_at;
    bool m_backward;
    bool m_sorted = false;
    std::vector<std::uint8_t> m_pattern, m_replacement;
    // The occurrences' own bytes where one differs from the pattern (case folded).
    std::vector<std::uint8_t> m_original;
    // The marks of bytes a shorter replacement removes, when any was marked.
    std::vector<std::uint8_t> m_removedMarks;
    std::int64_t m_oldestPos = 0;
};

} // namespace vtm
