#include "edit/ByteRunCommands.h"

#include "edit/EditContext.h"
#include "edit/TActions.h"
#include "edit/TDeleteBytesAction.h"
#include "edit/TInsertBytesAction.h"

#include <memory>

namespace vtm {

namespace {

bool CursorOnByte(EditContext &ctx)
{
    const std::int64_t o = ctx.CursorOffset();
    return o >= 0 && o < ctx.Doc().BufferSize();
}

bool AddInsertBytes(EditContext &ctx, std::int64_t pos, bool charSide, std::int64_t count,
                    const std::vector<std::uint8_t> &pattern)
{
    const int group = ctx.NextCommandNumber();
    ctx.History().AddAction(std::make_unique<TInsertBytesAction>(group, pos, charSide, count,
                                                                 pattern.data(),
                                                                 std::int64_t(pattern.size())),
                            true);
    return true;
}

void Remember(ByteRunMemory &memory, std::int64_t count, const std::vector<std::uint8_t> &pattern)
{
    memory.InsertCount = count;
    memory.InsertPattern = pattern;
}

} // namespace

InsertBytesFormTexts InsertBytesTexts(Language language, bool appendMode)
{
    if (IsGerman(language))
        return {appendMode ? "Bytes anfügen" : "Bytes einfügen",
                "Anzahl",
                "&Hex:",
                "&Dez:",
                "Füllen mit",
                "He&x:",
                "De&z:",
                "Cha&r:",
                "OK",
                "Abbrechen"};
    return {appendMode ? "Append bytes" : "Insert bytes",
            "Count",
            "&Hex:",
            "&Dec:",
            "Fill with",
            "He&x:",
            "De&c:",
            "Cha&r:",
            "OK",
            "Cancel"};
}

bool InsertBytesAcceptable(std::int64_t count, std::size_t patternLength)
{
    return count > 0 && patternLength > 0;
}

bool InsertBytes(EditContext &ctx, ByteRunMemory &memory, std::int64_t count,
                 const std::vector<std::uint8_t> &pattern)
{
    Remember(memory, count, pattern);
    if (!InsertBytesAcceptable(count, pattern.size()))
        return false;
    const bool onByte = CursorOnByte(ctx);
    const std::int64_t pos = onByte ? ctx.CursorOffset() : 0;
    return AddInsertBytes(ctx, pos, onByte && ctx.CursorInCharArea(), count, pattern);
}

bool AppendBytes(EditContext &ctx, ByteRunMemory &memory, std::int64_t count,
                 const std::vector<std::uint8_t> &pattern)
{
    Remember(memory, count, pattern);
    if (!InsertBytesAcceptable(count, pattern.size()))
        return false;
    return AddInsertBytes(ctx, ctx.Doc().BufferSize(), ctx.CursorInCharArea(), count, pattern);
}

bool DeleteBytes(EditContext &ctx, ByteRunMemory &memory, std::int64_t count)
{
    memory.LastDeleteCount = count;
    // Without a cursor byte there is nothing to delete from; an empty step would only
    // clutter the history.
    if (count <= 0 || !CursorOnByte(ctx))
        return false;
    const int group = ctx.NextCommandNumber();
    // The action itself cuts the count down to the bytes left from the cursor on.
    auto action = std::make_unique<TDeleteBytesAction>(ctx, group, ctx.CursorOffset(), count,
                                                       ctx.CursorInCharArea());
    // Without memory for its copies it deletes nothing, and is recorded all the same.
    ctx.History().reportFailure(action->prepared());
    ctx.History().AddAction(std::move(action), true);
    return true;
}

} // namespace vtm
