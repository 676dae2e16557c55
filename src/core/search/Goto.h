#pragma once

#include "document/Language.h"
#include <cstdint>
#include <string>

namespace vtm {

class EditContext;

// The go-to dialog also asks for the count of Delete bytes; the mode picks its texts.
enum class GotoFormMode { Goto, DeleteBytes, CopyBytes };

struct GotoFormTexts
{
    std::string caption, mainLabel, hexLabel, decLabel, okButton, cancelButton;
};

GotoFormTexts GotoTexts(Language language, GotoFormMode mode);
// What the button that empties a value field is called (its face shows only a cross).
std::string ClearFieldText(Language language);

// The offset of the last confirmed go-to, offered again next time; never saved.
struct GotoMemory
{
    std::int64_t LastGotoOffset = 0;
};

// Where a go-to to value lands: the last byte at most. Below 0 it is left to the cursor
// placement, which keeps it in the first row.
std::int64_t GotoTarget(std::int64_t value, std::int64_t bufferSize);

// The confirmed go-to: remembers value, moves the cursor there in its current area, and
// beeps when value lay past the last byte. Does nothing on an empty document.
void GotoOffset(EditContext &ctx, GotoMemory &memory, std::int64_t value);

} // namespace vtm
