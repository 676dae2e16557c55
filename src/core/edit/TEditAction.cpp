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
        try {
            // The old byte's piece, so that undoing needs no memory.
            m_old = doc.Extract(Pos, 1);
            doc.WriteBytes(Pos, &NewValue, 1);
        } catch (const std::bad_alloc &) {
            return ActionOutcome::OutOfMemory;
        } catch (const OutOfMemoryError &) {
            return ActionOutcome::OutOfMemory;
        }
        ChangedData(doc);
    }
    return ActionOutcome::Done;
}

ActionOutcome TEditAction::UndoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Applied() && Pos >= 0 && Pos < doc.BufferSize()) {
        try {
            doc.ReplaceWithPieces(Pos, 1, m_old);
        } catch (const OutOfMemoryError &) {
            return ActionOutcome::OutOfMemoryUndo;
        }
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
