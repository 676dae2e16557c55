#include "search/ByteNavigation.h"

#include "document/ByteScan.h"
#include "edit/EditContext.h"

#include <cstring>

namespace vtm {

namespace {
// Looking for a byte other than 0, the walk passes over zeros unread.
template <class F>
void Walk(const Document &doc, std::int64_t a, std::int64_t b, std::uint8_t value, bool backward,
          F f)
{
    if (value == 0)
        backward ? doc.ForEachSpanBackward(a, b, f) : doc.ForEachSpan(a, b, f);
    else
        backward ? doc.ForEachSpanOrZerosBackward(a, b, f) : doc.ForEachSpanOrZeros(a, b, f);
}
} // namespace

std::int64_t NextIdenticalByte(const Document &doc, std::int64_t from)
{
    const std::int64_t size = doc.BufferSize();
    if (from < 0 || from + 1 >= size)
        return -1;
    const std::uint8_t value = doc.ByteAt(from);
    std::int64_t found = -1;
    Walk(doc, from + 1, size, value, false, [&](const Document::Span &s) {
        if (s.zeros())
            return true;
        const void *hit = std::memchr(s.data, value, std::size_t(s.size));
        if (hit)
            found = s.offset + (static_cast<const std::uint8_t *>(hit) - s.data);
        return !hit;
    });
    return found;
}

std::int64_t PreviousIdenticalByte(const Document &doc, std::int64_t from)
{
    if (from <= 0 || from >= doc.BufferSize())
        return -1;
    const std::uint8_t value = doc.ByteAt(from);
    std::int64_t found = -1;
    Walk(doc, 0, from, value, true, [&](const Document::Span &s) {
        if (s.zeros())
            return true;
        const std::int64_t hit = FindByteBackward(s.data, s.size - 1, value);
        if (hit >= 0)
            found = s.offset + hit;
        return hit < 0;
    });
    return found;
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
