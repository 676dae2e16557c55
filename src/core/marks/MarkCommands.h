#pragma once

#include <cstdint>

namespace vtm {

class MarksContext;
class Document;

// Colours the cursor byte (0 removes its mark); nothing is recorded when it has that
// colour already.
void MarkCursorByte(MarksContext &ctx, std::uint8_t colour);
// Removes every mark as one undoable step.
void UnmarkAll(MarksContext &ctx);

// The cursor to the nearest byte after / before it with this colour (any mark: -1),
// keeping its area; a beep when there is none.
void GotoNextMarkOf(MarksContext &ctx, int colour);
void GotoPreviousMarkOf(MarksContext &ctx, int colour);
// The same with the cursor byte's own colour.
void GotoNextIdenticalMark(MarksContext &ctx);
void GotoPreviousIdenticalMark(MarksContext &ctx);

constexpr int AnyMark = -1;

// The nearest offset in [from, to) (forward) or [to, from] (backward, to <= from) whose
// mark matches colour (AnyMark: any non-zero), or -1. Word and memchr scans.
std::int64_t FindMarkForward(const Document &doc, std::int64_t from, int colour);
std::int64_t FindMarkBackward(const Document &doc, std::int64_t from, int colour);

} // namespace vtm
