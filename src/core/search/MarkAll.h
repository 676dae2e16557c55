#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace vtm {

class Document;
class TCompoundMarkAction;

// How far a run of marking got: occurrences found and the last of them (-1: none).
// `changed`, when set, hears the offset of each occurrence that changed a mark (a single
// byte: the last of such a block of them).
struct MarkAllProgress
{
    std::int64_t found = 0;
    std::int64_t last = -1;
    std::function<void(std::int64_t)> changed;
};

// Records into `action` the colour of every occurrence a run of searches from start finds
// (forwards: each next one at or after the end of the one before; backwards: ending at or
// before its start), in one walk over the document's spans: a single byte a block of
// colours at a time, a longer pattern an occurrence at a time. The walk counts on a running
// job and may throw JobStopped; what was recorded before stays, and so does `progress`.
void MarkAllOccurrences(const Document &doc, TCompoundMarkAction &action,
                        std::span<const std::uint8_t> pattern, bool fold, std::int64_t start,
                        bool backward, std::uint8_t colour, MarkAllProgress &progress);

} // namespace vtm
