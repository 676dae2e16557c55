#include "edit/TInsertAction.h"

#include "edit/EditContext.h"
#include "edit/EditTexts.h"

namespace vtm {

TInsertAction::TInsertAction(ActionKind kind, int group, std::int32_t pos, bool charSide)
    : TAction(kind, group)
{
    Pos = pos;
    CharSide = charSide;
}

bool TInsertAction::DoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Pos < 0 || Pos > doc.BufferSize())
        return true;
    try {
        doc.openGap(Pos, 1);
    } catch (const OutOfMemoryError &) {
        return Fail(ctx, OutOfMemoryText(ctx.Language()), true);
    }
    doc.Buffer()[Pos] = 0;
    ChangedData(doc);
    return true;
}

bool TInsertAction::UndoAction(EditContext &ctx)
{
    Document &doc = ctx.Doc();
    if (Applied() && doc.Marks() && Pos >= 0 && Pos < doc.BufferSize()) {
        doc.closeGap(Pos, 1);
        UnchangedData(doc);
    }
    return true;
}

} // namespace vtm
