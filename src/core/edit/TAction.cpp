#include "edit/TAction.h"

#include "edit/EditContext.h"

#include <algorithm>
#include <cstring>

namespace vtm {

ByteBlock ByteBlock::copyOf(const std::uint8_t *from, std::int64_t n)
{
    ByteBlock b;
    if (n <= 0)
        return b;
    b.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t(n));
    std::memcpy(b.bytes.get(), from, std::size_t(n));
    b.size = n;
    return b;
}

ByteBlock ByteBlock::copyOf(const Document &doc, std::int64_t p, std::int64_t n)
{
    ByteBlock b;
    if (n <= 0)
        return b;
    b.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t(n));
    doc.ReadBytes(p, n, b.bytes.get());
    b.size = n;
    return b;
}

TAction::TAction(ActionKind kind, int group)
    : Kind(kind)
    , Group(group)
{}

ActionOutcome TAction::DoAction(EditContext &)
{
    return ActionOutcome::Done;
}

ActionOutcome TAction::UndoAction(EditContext &)
{
    return ActionOutcome::Done;
}

void TAction::PlaceCursorAtPos(EditContext &ctx)
{
    const std::int64_t last = ctx.Doc().BufferSize() - 1;
    ctx.MoveCursorToOffset(std::max<std::int64_t>(0, std::min<std::int64_t>(Pos, last)), CharSide,
                           false);
}

void TAction::SetDoActionCursorPos(EditContext &ctx)
{
    PlaceCursorAtPos(ctx);
}

void TAction::SetUndoActionCursorPos(EditContext &ctx)
{
    PlaceCursorAtPos(ctx);
}

bool TAction::SizeChanged() const
{
    return true;
}

std::int64_t TAction::UndoBytes() const
{
    return Data.size + Data2.size;
}

void TAction::ChangedData(Document &doc)
{
    doc.addChange(1);
    m_stateBefore = doc.ContentState();
    if (m_state == 0)
        m_state = doc.NewContentState(); // a redo brings back the same contents
    doc.setContentState(m_state);
    m_applied = true;
}

void TAction::UnchangedData(Document &doc)
{
    doc.addChange(-1);
    doc.setContentState(m_stateBefore);
    m_applied = false;
}

ActionOutcome TAction::RemoveByte(Document &doc, std::int64_t at)
{
    NewValue = doc.ByteAt(at);
    OldValue = doc.MarkAt(at);
    try {
        doc.remove(at, 1);
    } catch (const OutOfMemoryError &) {
        return ActionOutcome::OutOfMemory;
    }
    ChangedData(doc);
    return ActionOutcome::Done;
}

ActionOutcome TAction::RestoreByte(EditContext &ctx, std::int64_t at)
{
    Document &doc = ctx.Doc();
    if (!m_applied || at < 0 || at > doc.BufferSize())
        return ActionOutcome::Done;
    try {
        doc.InsertBytes(at, &NewValue, 1);
    } catch (const OutOfMemoryError &) {
        return ActionOutcome::OutOfMemoryUndo;
    }
    doc.SetMark(at, OldValue);
    UnchangedData(doc);
    ctx.UpdateView();
    return ActionOutcome::Done;
}

} // namespace vtm
