#include "edit/TDeleteAction.h"

#include "edit/EditContext.h"
#include "edit/EditTexts.h"

namespace vtm {

TDeleteAction::TDeleteAction(int group, std::int32_t pos, bool charSide)
    : TAction(3, group)
{
    Pos = pos;
    CharSide = charSide;
}

bool TDeleteAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (doc.Marks() && Pos >= 0 && Pos < doc.BufferSize()) {
        NewValue = doc.Buffer()[Pos];
        OldValue = doc.Marks()[Pos];
        doc.closeGap(Pos, 1);
        ChangedData(doc);
    }
    return true;
}

bool TDeleteAction::UndoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (!Applied() || Pos < 0 || Pos > doc.BufferSize())
        return true;
    try {
        doc.openGap(Pos, 1);
    } catch (const OutOfMemoryError &) {
        return Fail(ctx, OutOfMemoryUndoText(ctx.Language()), true);
    }
    doc.Buffer()[Pos] = NewValue;
    doc.SetMark(Pos, OldValue);
    UnchangedData(doc);
    ctx.UpdateView();
    return true;
}

} // namespace vtm
