#pragma once

#include "edit/TAction.h"

namespace vtm {

// Puts one zero byte without mark in front of Pos (at the end: appends it).
class TInsertAction : public TAction
{
public:
    // kind: Insert or Append.
    TInsertAction(ActionKind kind, int group, std::int64_t pos, bool charSide);

    ActionOutcome DoAction(EditContext &ctx) override;
    ActionOutcome UndoAction(EditContext &ctx) override;
};

} // namespace vtm
