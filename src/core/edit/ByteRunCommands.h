#pragma once

#include "document/Language.h"
#include <cstdint>
#include <string>
#include <vector>

namespace vtm {

class EditContext;

// What the byte-run dialogs offer again next time; never saved. The insert dialog keeps
// its count and pattern from one showing to the next, also when it was cancelled.
struct ByteRunMemory
{
    std::int64_t LastDeleteCount = 0;
    std::int64_t InsertCount = 0;
    std::vector<std::uint8_t> InsertPattern{0x00};
};

struct InsertBytesFormTexts
{
    std::string caption, countLabel, hexLabel, decLabel, fillWithLabel;
    std::string hexFLabel, decFLabel, charFLabel, okButton, cancelButton;
};

InsertBytesFormTexts InsertBytesTexts(Language language, bool appendMode);

// Whether the insert dialog may be confirmed.
bool InsertBytesAcceptable(std::int64_t count, std::size_t patternLength);

// Insert count bytes, the pattern repeated, in front of the cursor byte (offset 0 without
// one); Append puts them after the last byte. Both remember count and pattern. Each
// returns whether it recorded a command, after which the menus want refreshing.
bool InsertBytes(EditContext &ctx, ByteRunMemory &memory, std::int64_t count,
                 const std::vector<std::uint8_t> &pattern);
bool AppendBytes(EditContext &ctx, ByteRunMemory &memory, std::int64_t count,
                 const std::vector<std::uint8_t> &pattern);
// Remove up to count bytes from the cursor byte on; remembers count for the next time.
bool DeleteBytes(EditContext &ctx, ByteRunMemory &memory, std::int64_t count);

} // namespace vtm
