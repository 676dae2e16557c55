#pragma once

#include "edit/TAction.h"

namespace vtm {

// The mark changes of one bulk command (unmark all, load marks, find and mark all,
// compare) as one action: undone and redone whole, named with the number of changes.
// The changes are kept as runs, and so are the marks they replace, so their memory grows
// with the number of marked areas, not with the bytes they cover.
class TCompoundMarkAction : public TAction
{
public:
    TCompoundMarkAction(ActionKind kind, int group, bool charSide);

    // Records that the n bytes from p on get this colour, after the changes recorded before;
    // each byte whose colour this changes is one member. Call before the action is
    // performed; offsets outside the document are ignored.
    void AddRun(const Document &doc, std::int64_t p, std::int64_t n, std::uint8_t colour);
    void Add(const Document &doc, std::int64_t p, std::uint8_t colour)
    {
        AddRun(doc, p, 1, colour);
    }
    // Records that [from, to) gets exactly the marks of the ascending runs (0 between them).
    void AddMarks(const Document &doc, const MarkRun *runs, std::size_t count, std::int64_t from,
                  std::int64_t to);
    // The colour p has once the recorded changes are performed.
    std::uint8_t ColourAfter(const Document &doc, std::int64_t p) const;
    bool Empty() const { return m_members == 0; }

    ActionOutcome DoAction(EditContext &ctx) override;
    ActionOutcome UndoAction(EditContext &ctx) override;
    // After performing: the newest change; after undoing: the oldest.
    void SetDoActionCursorPos(EditContext &ctx) override;
    void SetUndoActionCursorPos(EditContext &ctx) override;
    bool SizeChanged() const override;
    std::int64_t MemberCount() const override { return m_members; }
    std::int64_t UndoBytes() const override;

private:
    // want(x, limit) gives the colour x is to have and lowers limit to where that may change.
    template <class Want>
    void record(const Document &doc, std::int64_t p, std::int64_t end, Want want);

    // Colours with bit 7 set, so that unmarking is a run too (see MarkMap::apply).
    MarkMap m_changes;
    MarkMap m_replaced;
    std::int64_t m_members = 0;
    std::int64_t m_firstPos = 0;
};

} // namespace vtm
