#include "edit/TDeleteAction.h"

#include "edit/EditContext.h"

namespace vtm {

TDeleteAction::TDeleteAction(ActionKind kind, int group, std::int64_t pos, bool charSide)
    : TAction(kind, group)
{
    Pos = pos;
    CharSide = charSide;
}

ActionOutcome TDeleteAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (removedAt() >= 0 && Pos < doc.BufferSize())
        return RemoveByte(doc, removedAt());
    return ActionOutcome::Done;
}

ActionOutcome TDeleteAction::UndoAction(EditContext &ctx)
{
    return RestoreByte(ctx, removedAt());
}

void TDeleteAction::SetDoActionCursorPos(EditContext &ctx)
{
    // After Back a byte always stands at Pos - 1; deleting the last byte leaves none at Pos.
    if (Kind == ActionKind::Back)
        ctx.MoveCursorToOffset(removedAt(), CharSide, false);
    else
        PlaceCursorAtPos(ctx);
}

} // namespace vtm
