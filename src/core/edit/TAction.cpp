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

TAction::TAction(int kind, int group)
    : Kind(std::uint8_t(kind))
    , Group(group)
{}

bool TAction::DoAction(EditContext &)
{
    return true;
}

bool TAction::UndoAction(EditContext &)
{
    return true;
}

void TAction::PlaceCursorAtPos(EditContext &ctx)
{
    const std::int64_t last = std::int64_t(ctx.Doc().BufferSize()) - 1;
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

bool TAction::Fail(EditContext &ctx, const std::string &text, bool updateView)
{
    ctx.RequestLayout();
    if (updateView)
        ctx.UpdateView();
    ctx.ShowMessageDlg(text, MessageKind::Error, mbOK, 0);
    return false;
}

} // namespace vtm
