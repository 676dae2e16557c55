#pragma once

#include "edit/TAction.h"

namespace vtm {

// The mark changes of one bulk command (unmark all, load marks, find and mark all,
// compare) as one action: undone and redone whole, named with the number of changes.
// It keeps the marks of the stretch it touches as they are to be and, once performed, as
// they were: both share their chunks with the document, so its memory is that of the marks
// it made, never a copy per change.
class TCompoundMarkAction : public TAction
{
public:
    TCompoundMarkAction(ActionKind kind, int group, bool charSide);

    // Records that the n bytes from p on get this colour, after the changes recorded before;
    // each byte whose colour this changes is one member. Call before the action is
    // performed; offsets outside the document are ignored. Commands going one way (up or
    // down the offsets) record at memory speed; any order works.
    void AddRun(const Document &doc, std::int64_t p, std::int64_t n, std::uint8_t colour);
    void Add(const Document &doc, std::int64_t p, std::uint8_t colour)
    {
        AddRun(doc, p, 1, colour);
    }
    // Records that the n bytes from p on get exactly these colours.
    void AddColours(const Document &doc, std::int64_t p, const std::uint8_t *colours,
                    std::int64_t n);
    // The colour p has once the recorded changes are performed.
    std::uint8_t ColourAfter(const Document &doc, std::int64_t p);
    bool Empty() const { return m_members == 0; }

    ActionOutcome DoAction(EditContext &ctx) override;
    ActionOutcome UndoAction(EditContext &ctx) override;
    // After performing: the newest change; after undoing: the oldest.
    void SetDoActionCursorPos(EditContext &ctx) override;
    void SetUndoActionCursorPos(EditContext &ctx) override;
    bool SizeChanged() const override;
    std::int64_t MemberCount() const override { return m_members; }
    std::int64_t UndoBytes() const override { return m_undoBytes; }

private:
    enum class Mode { Up, Down, Any };
    // Makes [p, p + n) part of the recorded stretch, whose marks outside the changes are
    // the document's; false when it is empty.
    bool cover(const Document &doc, std::int64_t &p, std::int64_t &n);
    // Recording from now on in any order, into m_any.
    void toAny();
    // The marks of [p, end) are appended: the stretch takes them in.
    void grown(std::int64_t p, std::int64_t end);
    void counted(std::int64_t changed, std::int64_t first, std::int64_t last);

    Mode m_mode = Mode::Up;
    // The stretch recorded, [m_lo, m_hi); empty until the first change.
    std::int64_t m_lo = 0, m_hi = 0;
    bool m_started = false;
    // Going up: its marks as they are to be, in ascending order; going down, the same seen
    // from the end (x as m_mirror - 1 - x), so that they too are appended.
    MarkMap::Builder m_builder;
    std::int64_t m_mirror = 0;
    MarkMap m_any;       // in any order: the marks of the stretch as they are to be
    bool m_finished = false;
    MarkMap m_after;     // once performed: the stretch's marks after and before, from m_lo
    MarkMap m_before;
    bool m_haveBefore = false;
    std::int64_t m_members = 0;
    std::int64_t m_firstPos = 0;
    std::int64_t m_undoBytes = 0;
};

} // namespace vtm
