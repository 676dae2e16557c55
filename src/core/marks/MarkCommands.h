#pragma once

#include <cstdint>

namespace vtm {

class MarksContext;
class Document;
class MarkMap;

// Colours the cursor byte (0 removes its mark); nothing is recorded when it has that
// colour already.
void MarkCursorByte(MarksContext &ctx, std::uint8_t colour);
// Removes every mark as one undoable step; stopped as a job, the marks removed so far.
void UnmarkAll(MarksContext &ctx);

// The cursor to the nearest byte after / before it with this colour (any mark: -1),
// keeping its area; a beep when there is none.
void GotoNextMarkOf(MarksContext &ctx, int colour);
void GotoPreviousMarkOf(MarksContext &ctx, int colour);
// The same with the cursor byte's own colour.
void GotoNextIdenticalMark(MarksContext &ctx);
void GotoPreviousIdenticalMark(MarksContext &ctx);

constexpr int AnyMark = -1;

// Walks over runs count their progress on a running job every so many runs.
constexpr std::int64_t RunsPerCount = 1024;
// Where a stretch from `from` holding at most n runs ends (at most `to`, and past from):
// bulk commands take the runs in such steps, counting each, so a stop keeps whole steps.
std::int64_t StretchEnd(const MarkMap &marks, std::int64_t from, std::int64_t to, std::int64_t n);

// The nearest offset in [from, to) (forward) or [to, from] (backward, to <= from) whose
// mark matches colour (AnyMark: any non-zero), or -1. Word and memchr scans.
std::int64_t FindMarkForward(const Document &doc, std::int64_t from, int colour);
std::int64_t FindMarkBackward(const Document &doc, std::int64_t from, int colour);

} // namespace vtm
