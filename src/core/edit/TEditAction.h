#pragma once

#include "edit/TAction.h"

namespace vtm {

// Overtypes the byte at Pos; its mark stays.
class TEditAction : public TAction
{
public:
    TEditAction(int group, std::int64_t pos, bool charSide, std::uint8_t value);

    ActionOutcome DoAction(EditContext &ctx) override;
    ActionOutcome UndoAction(EditContext &ctx) override;
    void SetDoActionCursorPos(EditContext &ctx) override;
    bool SizeChanged() const override;
    std::int64_t UndoBytes() const override { return TAction::UndoBytes() + m_old.bytesHeld(); }

private:
    Document::Pieces m_old;
};

} // namespace vtm
