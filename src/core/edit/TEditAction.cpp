#include "edit/TEditAction.h"

#include "edit/EditContext.h"

namespace vtm {

TEditAction::TEditAction(int group, std::int64_t pos, bool charSide, std::uint8_t value)
    : TAction(ActionKind::ChangeValue, group)
{
    Pos = pos;
    CharSide = charSide;
    NewValue = value;
}

ActionOutcome TEditAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Pos >= 0 && Pos < doc.BufferSize()) {
        OldValue = doc.ByteAt(Pos);
        doc.WriteBytes(Pos, &NewValue, 1);
        ChangedData(doc);
    }
    return ActionOutcome::Done;
}

ActionOutcome TEditAction::UndoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Applied() && Pos >= 0 && Pos < doc.BufferSize()) {
        doc.WriteBytes(Pos, &OldValue, 1);
        UnchangedData(doc);
    }
    return ActionOutcome::Done;
}

void TEditAction::SetDoActionCursorPos(EditContext &ctx)
{
    ctx.MoveCursorToOffset(Pos, CharSide, false);
}

bool TEditAction::SizeChanged() const
{
    return false;
}

} // namespace vtm
