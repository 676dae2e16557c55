#include "edit/TMarkAction.h"

#include "edit/EditContext.h"

namespace vtm {

TMarkAction::TMarkAction(ActionKind kind, int group, std::int64_t pos, bool charSide,
                         std::uint8_t colour)
    : TAction(kind, group)
{
    Pos = pos;
    CharSide = charSide;
    NewValue = colour;
}

ActionOutcome TMarkAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Pos >= 0 && Pos < doc.BufferSize()) {
        OldValue = doc.MarkAt(Pos);
        doc.SetMark(Pos, NewValue);
    }
    return ActionOutcome::Done;
}

ActionOutcome TMarkAction::UndoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Pos >= 0 && Pos < doc.BufferSize())
        doc.SetMark(Pos, OldValue);
    return ActionOutcome::Done;
}

void TMarkAction::SetDoActionCursorPos(EditContext &ctx)
{
    ctx.MoveCursorToOffset(Pos, CharSide, true);
}

void TMarkAction::SetUndoActionCursorPos(EditContext &ctx)
{
    ctx.MoveCursorToOffset(Pos, CharSide, true);
}

bool TMarkAction::SizeChanged() const
{
    return false;
}

} // namespace vtm
