#include "edit/TInsertBytesAction.h"

#include "edit/EditContext.h"

#include <algorithm>
#include <cstring>

namespace vtm {

TInsertBytesAction::TInsertBytesAction(int group, std::int64_t pos, bool charSide,
                                       std::int64_t count, const std::uint8_t *pattern,
                                       std::int64_t patternLength)
    : TAction(ActionKind::InsertBytes, group)
{
    Pos = pos;
    CharSide = charSide;
    // Nothing to repeat, or nothing asked for: the action inserts nothing.
    if (count <= 0 || patternLength <= 0 || !pattern)
        return;
    // Past the largest document the storage refuses it as out of memory.
    Count = std::min(count, Document::MaxBufferSize + 1);
    Length = std::min(patternLength, Count);
    Data = ByteBlock::copyOf(pattern, Length);
}

ActionOutcome TInsertBytesAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Count <= 0 || Pos < 0 || Pos > doc.BufferSize())
        return ActionOutcome::Done;
    try {
        doc.InsertPattern(Pos, Data.data(), Length, Count);
    } catch (const OutOfMemoryError &) {
        Count = 0;
        return ActionOutcome::OutOfMemory;
    }
    ChangedData(doc);
    return ActionOutcome::Done;
}

ActionOutcome TInsertBytesAction::UndoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Count > 0 && Applied() && doc.BufferSize() > 0) {
        try {
            doc.remove(Pos, Count);
        } catch (const OutOfMemoryError &) {
            return ActionOutcome::OutOfMemoryUndo;
        }
        UnchangedData(doc);
    }
    return ActionOutcome::Done;
}

} // namespace vtm
