#pragma once

#include "edit/TAction.h"

namespace vtm {

// Removes the byte before Pos, with its mark.
class TBackspaceAction : public TAction
{
public:
    TBackspaceAction(int group, std::int32_t pos, bool charSide);

    ActionOutcome DoAction(EditContext &ctx) override;
    ActionOutcome UndoAction(EditContext &ctx) override;
    void SetDoActionCursorPos(EditContext &ctx) override;
};

} // namespace vtm
