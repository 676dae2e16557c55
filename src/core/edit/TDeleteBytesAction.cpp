#include "edit/TDeleteBytesAction.h"

#include "edit/EditContext.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vtm {

TDeleteBytesAction::TDeleteBytesAction(EditContext &ctx, int group, std::int64_t pos,
                                       std::int64_t count, bool charSide)
    : TAction(ActionKind::Delete, group)
{
    Pos = pos;
    CharSide = charSide;
    Document &doc = ctx.Doc();
    if (pos < 0 || pos >= doc.BufferSize())
        return;
    Count = std::clamp<std::int64_t>(count, 0, doc.BufferSize() - pos);
    try {
        m_removed = doc.Extract(Pos, Count); // the pieces, not a copy of the bytes
        m_removedMarks = doc.MarkRuns().slice(Pos, Count);
    } catch (const std::bad_alloc &) {
        Count = 0;
        m_removed = {};
        m_removedMarks.clear();
        setPrepared(ActionOutcome::OutOfMemory);
    }
}

ActionOutcome TDeleteBytesAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Count > 0 && Pos >= 0 && Pos < doc.BufferSize()) {
        try {
            doc.remove(Pos, Count);
        } catch (const OutOfMemoryError &) {
            return ActionOutcome::OutOfMemory;
        }
        ChangedData(doc);
    }
    return ActionOutcome::Done;
}

ActionOutcome TDeleteBytesAction::UndoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Count <= 0 || !Applied() || Pos < 0 || Pos > doc.BufferSize())
        return ActionOutcome::Done;
    try {
        doc.ReplaceWithPieces(Pos, 0, m_removed);
    } catch (const OutOfMemoryError &) {
        Count = 0;
        return ActionOutcome::OutOfMemoryUndo;
    }
    doc.PasteMarks(Pos, Count, m_removedMarks);
    UnchangedData(doc);
    return ActionOutcome::Done;
}

} // namespace vtm

namespace vtm {

std::int64_t TDeleteBytesAction::UndoBytes() const
{
    return TAction::UndoBytes() + m_removed.bytesHeld() + m_removedMarks.bytesHeld();
}

} // namespace vtm
