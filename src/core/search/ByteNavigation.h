#pragma once

#include <cstdint>

namespace vtm {

class EditContext;
class Document;

// The nearest offset after (before) `from` holding the same value as the byte at `from`,
// or -1. memchr-class scans.
std::int64_t NextIdenticalByte(const Document &doc, std::int64_t from);
std::int64_t PreviousIdenticalByte(const Document &doc, std::int64_t from);

// The cursor onto that byte, keeping its area; a beep when there is none or no cursor byte.
void GotoNextIdenticalByte(EditContext &ctx);
void GotoPreviousIdenticalByte(EditContext &ctx);

} // namespace vtm
