#pragma once

#include "edit/TAction.h"

namespace vtm {

// Gives the byte at Pos another marker colour (0 removes the mark).
class TMarkAction : public TAction
{
public:
    // kind: Mark or Unmark.
    TMarkAction(ActionKind kind, int group, std::int64_t pos, bool charSide, std::uint8_t colour);

    ActionOutcome DoAction(EditContext &ctx) override;
    ActionOutcome UndoAction(EditContext &ctx) override;
    void SetDoActionCursorPos(EditContext &ctx) override;
    void SetUndoActionCursorPos(EditContext &ctx) override;
    bool SizeChanged() const override;
};

} // namespace vtm
