#include "edit/TDeleteAction.h"

#include "edit/EditContext.h"

namespace vtm {

TDeleteAction::TDeleteAction(int group, std::int32_t pos, bool charSide)
    : TAction(ActionKind::Delete, group)
{
    Pos = pos;
    CharSide = charSide;
}

ActionOutcome TDeleteAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (doc.Marks() && Pos >= 0 && Pos < doc.BufferSize())
        RemoveByte(doc, Pos);
    return ActionOutcome::Done;
}

ActionOutcome TDeleteAction::UndoAction(EditContext &ctx)
{
    return RestoreByte(ctx, Pos);
}

} // namespace vtm
