#include "edit/TInsertAction.h"

#include "edit/EditContext.h"

namespace vtm {

TInsertAction::TInsertAction(ActionKind kind, int group, std::int64_t pos, bool charSide)
    : TAction(kind, group)
{
    Pos = pos;
    CharSide = charSide;
}

ActionOutcome TInsertAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Pos < 0 || Pos > doc.BufferSize())
        return ActionOutcome::Done;
    try {
        doc.insertZeros(Pos, 1);
    } catch (const OutOfMemoryError &) {
        return ActionOutcome::OutOfMemory;
    }
    ChangedData(doc);
    return ActionOutcome::Done;
}

ActionOutcome TInsertAction::UndoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Applied() && Pos >= 0 && Pos < doc.BufferSize()) {
        try {
            doc.remove(Pos, 1);
        } catch (const OutOfMemoryError &) {
            return ActionOutcome::OutOfMemoryUndo;
        }
        UnchangedData(doc);
    }
    return ActionOutcome::Done;
}

} // namespace vtm
