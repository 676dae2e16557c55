#include "search/ByteNavigation.h"

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
    const std::uint8_t *b = doc.Buffer();
    const std::uint8_t v = b[from];
    // Backwards eight bytes at a time: a word without the value is skipped whole.
    const std::uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    const std::uint64_t pattern = ones * v;
    std::int64_t i = from - 1;
    for (; i >= 0 && ((i + 1) & 7) != 0; --i)
        if (b[i] == v)
            return i;
    while (i >= 7) {
        std::uint64_t w;
        std::memcpy(&w, b + i - 7, 8);
        w ^= pattern;
        if (((w - ones) & ~w & highs) != 0)
            break;
        i -= 8;
    }
    for (; i >= 0; --i)
        if (b[i] == v)
            return i;
    return -1;
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
