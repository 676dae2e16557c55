#pragma once

#include "edit/TAction.h"

namespace vtm {

// Removes one byte with its mark: the one at Pos (Delete) or the one before it (Back).
class TDeleteAction : public TAction
{
public:
    // kind: Delete or Back.
    TDeleteAction(ActionKind kind, int group, std::int64_t pos, bool charSide);

    ActionOutcome DoAction(EditContext &ctx) override;
    ActionOutcome UndoAction(EditContext &ctx) override;
    void SetDoActionCursorPos(EditContext &ctx) override;

private:
    std::int64_t removedAt() const { return Kind == ActionKind::Back ? Pos - 1 : Pos; }
};

} // namespace vtm
