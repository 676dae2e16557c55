#include "edit/TDeleteBytesAction.h"

#include "edit/EditContext.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vtm {

namespace {
// Whether any of the n marks from p on is set; the marks past the marked end are all 0.
bool AnyMarked(const Document &doc, std::int64_t p, std::int64_t n)
{
    const std::int64_t end = std::min<std::int64_t>(p + n, doc.MarkedEnd());
    const std::uint8_t *m = doc.Marks();
    for (std::int64_t i = p; i < end; ++i)
        if (m[i] != 0)
            return true;
    return false;
}
} // namespace

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
        Data = ByteBlock::copyOf(doc.Buffer() + Pos, Count);
        // Unmarked bytes (the usual case) need no copy of their marks.
        if (AnyMarked(doc, Pos, Count))
            Data2 = ByteBlock::copyOf(doc.Marks() + Pos, Count);
    } catch (const std::bad_alloc &) {
        Count = 0;
        Data = {};
        Data2 = {};
        setPrepared(ActionOutcome::OutOfMemory);
    }
}

ActionOutcome TDeleteBytesAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Count > 0 && doc.Marks() && Pos >= 0 && Pos < doc.BufferSize()) {
        doc.closeGap(Pos, Count);
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
        doc.openGap(Pos, Count);
    } catch (const OutOfMemoryError &) {
        Count = 0;
        return ActionOutcome::OutOfMemoryUndo;
    }
    std::memcpy(doc.Buffer() + Pos, Data.data(), std::size_t(Count));
    if (Data2)
        doc.SetMarks(Pos, Data2.data(), Count);
    UnchangedData(doc);
    return ActionOutcome::Done;
}

} // namespace vtm
