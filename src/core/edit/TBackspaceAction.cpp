#include "edit/TBackspaceAction.h"

#include "edit/EditContext.h"

namespace vtm {

TBackspaceAction::TBackspaceAction(int group, std::int32_t pos, bool charSide)
    : TAction(ActionKind::Back, group)
{
    Pos = pos;
    CharSide = charSide;
}

ActionOutcome TBackspaceAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (doc.Marks() && Pos >= 1 && Pos < doc.BufferSize())
        RemoveByte(doc, Pos - 1);
    return ActionOutcome::Done;
}

ActionOutcome TBackspaceAction::UndoAction(EditContext &ctx)
{
    return RestoreByte(ctx, Pos - 1);
}

void TBackspaceAction::SetDoActionCursorPos(EditContext &ctx)
{
    ctx.MoveCursorToOffset(Pos - 1, CharSide, false);
}

} // namespace vtm
