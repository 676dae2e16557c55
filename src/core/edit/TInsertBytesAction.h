#pragma once

#include "edit/TAction.h"

namespace vtm {

// Puts Count unmarked bytes in front of Pos, filled by repeating a pattern.
class TInsertBytesAction : public TAction
{
public:
    TInsertBytesAction(int group, std::int64_t pos, bool charSide, std::int64_t count,
                       const std::uint8_t *pattern, std::int64_t patternLength);

    ActionOutcome DoAction(EditContext &ctx) override;
    ActionOutcome UndoAction(EditContext &ctx) override;
};

} // namespace vtm
