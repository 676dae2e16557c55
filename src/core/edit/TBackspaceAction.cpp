#include "edit/TBackspaceAction.h"

#include "edit/EditContext.h"
#include "edit/EditTexts.h"

namespace vtm {

TBackspaceAction::TBackspaceAction(int group, std::int32_t pos, bool charSide)
    : TAction(2, group)
{
    Pos = pos;
    CharSide = charSide;
}

bool TBackspaceAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (doc.Marks() && Pos >= 1 && Pos < doc.BufferSize()) {
        NewValue = doc.Buffer()[Pos - 1];
        OldValue = doc.Marks()[Pos - 1];
        doc.closeGap(Pos - 1, 1);
        ChangedData(doc);
    }
    return true;
}

bool TBackspaceAction::UndoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (!Applied() || Pos < 1 || Pos - 1 > doc.BufferSize())
        return true;
    try {
        doc.openGap(Pos - 1, 1);
    } catch (const OutOfMemoryError &) {
        return Fail(ctx, OutOfMemoryUndoText(ctx.Language()), true);
    }
    doc.Buffer()[Pos - 1] = NewValue;
    doc.SetMark(Pos - 1, OldValue);
    UnchangedData(doc);
    ctx.UpdateView();
    return true;
}

void TBackspaceAction::SetDoActionCursorPos(EditContext &ctx)
{
    ctx.MoveCursorToOffset(Pos - 1, CharSide, false);
}

} // namespace vtm
