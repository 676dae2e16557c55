#pragma once

#include "edit/TAction.h"

namespace vtm {

// Replaces the Count bytes at Pos by the Length bytes of Data2.
class TReplaceAction : public TAction
{
public:
    // Copies the bytes to be replaced and the replacement at once; without memory for
    // them it does nothing (Count 0, prepared() tells why).
    TReplaceAction(EditContext &ctx, int group, std::int64_t pos, bool charSide, std::int64_t count,
                   const std::uint8_t *replacement, std::int64_t length);

    ActionOutcome DoAction(EditContext &ctx) override;
    ActionOutcome UndoAction(EditContext &ctx) override;
    std::int64_t UndoBytes() const override;
    bool SizeChanged() const override { return Count != Length; }

private:
    // The marks of the bytes a shorter replacement removes, so that undoing brings
    // them back as they were (none kept when they were all unmarked).
    Document::Pieces m_old; // the bytes replaced, as pieces
    MarkMap m_removedMarks;
};

} // namespace vtm
