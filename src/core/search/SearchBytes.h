#pragma once

#include <cstdint>
#include <span>

namespace vtm {

class Document;
class TBytesData;

// Case folding of the search: the small letters of the Latin-1 code page become capitals
// (a..z, 224..246, 248..254); every other byte, 247 and 255 among them, stays as it is.
std::uint8_t FoldByte(std::uint8_t b);

// Which vector scanner SearchBytes may use, so that tests can run each one: 2 the widest
// the processor has (the default), 1 at most SSE2, 0 the plain byte scans.
void LimitSearchVectors(int level);

// The offset of the first occurrence of pattern at or after start (forward) or the last one
// at or before start (backward), comparing folded bytes when fold is set; -1 when there is
// none or the buffer is empty. An occurrence lies wholly inside the buffer. An empty pattern
// occurs at the first candidate. A forward start below 0 counts as 0; a backward one finds
// nothing.
std::int64_t SearchBytes(std::span<const std::uint8_t> buffer,
                         std::span<const std::uint8_t> pattern, std::int64_t start, bool backward,
                         bool fold);

// The same over a document's spans: an occurrence that crosses from one span into the next
// is found as well.
std::int64_t SearchDocument(const Document &doc, std::span<const std::uint8_t> pattern,
                            std::int64_t start, bool backward, bool fold);

// The find dialog's search: the document's bytes for the dialog's search string, folded
// unless the case-sensitive option is checked.
std::int64_t SearchBytes(const Document &doc, const TBytesData &findData, bool caseSensitive,
                         std::int64_t start, bool backward);

} // namespace vtm
