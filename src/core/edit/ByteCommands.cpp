#include "edit/ByteCommands.h"

#include "edit/EditContext.h"
#include "edit/TActions.h"
#include "edit/TDeleteAction.h"
#include "edit/TInsertAction.h"

#include <memory>

namespace vtm {

void DoBackspace(EditContext &ctx)
{
    const std::int64_t o = ctx.CursorOffset();
    if (o <= 0 || o >= ctx.Doc().BufferSize())
        return;
    const int group = ctx.NextCommandNumber();
    ctx.History().AddAction(
        std::make_unique<TDeleteAction>(ActionKind::Back, group, o, ctx.CursorInCharArea()), true);
}

void DoDelete(EditContext &ctx)
{
    const std::int64_t o = ctx.CursorOffset();
    if (o < 0 || o >= ctx.Doc().BufferSize())
        return;
    const int group = ctx.NextCommandNumber();
    ctx.History().AddAction(
        std::make_unique<TDeleteAction>(ActionKind::Delete, group, o, ctx.CursorInCharArea()),
        true);
}

void DoInsert(EditContext &ctx)
{
    const int group = ctx.NextCommandNumber();
    const std::int64_t o = ctx.CursorOffset();
    const bool onByte = o >= 0 && o < ctx.Doc().BufferSize();
    ctx.History().AddAction(std::make_unique<TInsertAction>(ActionKind::Insert, group,
                                                            onByte ? o : 0,
                                                            onByte && ctx.CursorInCharArea()),
                            true);
}

void DoAppendByte(EditContext &ctx)
{
    const int group = ctx.NextCommandNumber();
    ctx.History().AddAction(std::make_unique<TInsertAction>(ActionKind::Append, group,
                                                            ctx.Doc().BufferSize(),
                                                            ctx.CursorInCharArea()),
                            true);
}

} // namespace vtm
