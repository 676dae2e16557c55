#include "edit/TReplaceAction.h"

#include "edit/EditContext.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vtm {

TReplaceAction::TReplaceAction(EditContext &ctx, int group, std::int64_t pos, bool charSide,
                               std::int64_t count, const std::uint8_t *replacement,
                               std::int64_t length)
    : TAction(ActionKind::Replace, group)
{
    Pos = pos;
    CharSide = charSide;
    Document &doc = ctx.Doc();
    if (pos < 0 || pos > doc.BufferSize())
        return;
    const std::int64_t n = std::clamp<std::int64_t>(count, 0, doc.BufferSize() - pos);
    const std::int64_t m = std::clamp<std::int64_t>(length, 0, Document::MaxBufferSize);
    try {
        m_old = doc.Extract(pos, n);
        Data2 = ByteBlock::copyOf(replacement, m);
        if (m < n)
            m_removedMarks = doc.MarkRuns().slice(pos + m, n - m);
        Count = n;
        Length = m;
    } catch (const std::bad_alloc &) {
        m_old = {};
        Data2 = {};
        m_removedMarks.clear();
        setPrepared(ActionOutcome::OutOfMemoryReplace);
    }
}

ActionOutcome TReplaceAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Count == 0 || Pos + Count > doc.BufferSize())
        return ActionOutcome::Done;
    try {
        doc.ReplaceBytes(Pos, Count, Data2.data(), Length);
    } catch (const OutOfMemoryError &) {
        Count = 0;
        return ActionOutcome::OutOfMemoryReplace;
    }
    ChangedData(doc);
    return ActionOutcome::Done;
}

ActionOutcome TReplaceAction::UndoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Count == 0 || !Applied() || Pos + Length > doc.BufferSize())
        return ActionOutcome::Done;
    try {
        doc.ReplaceWithPieces(Pos, Length, m_old);
    } catch (const OutOfMemoryError &) {
        Count = 0;
        return ActionOutcome::OutOfMemoryReplace;
    }
    if (Count > Length)
        doc.PasteMarks(Pos + Length, Count - Length, m_removedMarks);
    UnchangedData(doc);
    return ActionOutcome::Done;
}

std::int64_t TReplaceAction::UndoBytes() const
{
    return TAction::UndoBytes() + m_old.bytesHeld() + m_removedMarks.bytesHeld();
}

} // namespace vtm
