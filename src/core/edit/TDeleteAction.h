#pragma once

#include "edit/TAction.h"

namespace vtm {

// Removes the byte at Pos, with its mark.
class TDeleteAction : public TAction
{
public:
    TDeleteAction(int group, std::int32_t pos, bool charSide);

    ActionOutcome DoAction(EditContext &ctx) override;
    ActionOutcome UndoAction(EditContext &ctx) override;
};

} // namespace vtm
