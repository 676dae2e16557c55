#include "search/ByteNavigation.h"

#include "document/ByteScan.h"
#include "edit/EditContext.h"

#include <cstring>

namespace vtm {

std::int64_t NextIdenticalByte(const Document &doc, std::int64_t from)
{
    const std::int64_t size = doc.BufferSize();
    if (!doc.Buffer() || from < 0 || from + 1 >= size)
        return -1;
    const std::uint8_t *b = doc.Buffer();
    const void *hit = std::memchr(b + from + 1, b[from], std::size_t(size - from - 1));
    return hit ? static_cast<const std::uint8_t *>(hit) - b : -1;
}

std::int64_t PreviousIdenticalByte(const Document &doc, std::int64_t from)
{
    if (!doc.Buffer() || from <= 0 || from >= doc.BufferSize())
        return -1;
    return FindByteBackward(doc.Buffer(), from - 1, doc.Buffer()[from]);
}

namespace {
void GotoIdentical(EditContext &ctx, bool forward)
{
    const std::int64_t o = ctx.CursorOffset();
    if (o < 0 || o >= ctx.Doc().BufferSize()) {
        ctx.Beep();
        return;
    }
    const std::int64_t found =
        forward ? NextIdenticalByte(ctx.Doc(), o) : PreviousIdenticalByte(ctx.Doc(), o);
    if (found < 0)
        ctx.Beep();
    else
        ctx.MoveCursorToOffset(found, ctx.CursorInCharArea(), true);
}
} // namespace

void GotoNextIdenticalByte(EditContext &ctx)
{
    GotoIdentical(ctx, true);
}

void GotoPreviousIdenticalByte(EditContext &ctx)
{
    GotoIdentical(ctx, false);
}

} // namespace vtm
