#pragma once

#include "document/Language.h"
#include "edit/ActionKind.h"

#include <string>

namespace vtm {

// Display names of the action kinds; an unknown kind has the empty name.
std::string ActionKindName(ActionKind kind, Language language);
// "&Undo" / "&Redo" followed by a blank and the history's name of the step.
std::string UndoCaption(Language language, const std::string &undoName);
std::string RedoCaption(Language language, const std::string &redoName);

// Out of memory while enlarging the document: plain, while undoing a deletion, and
// while replacing.
std::string OutOfMemoryText(Language language);
std::string OutOfMemoryUndoText(Language language);
std::string OutOfMemoryReplaceText(Language language);

// A command would change a device's bytes while it is read-only, or its size, which is fixed.
std::string DeviceReadOnlyText(Language language);
std::string DeviceFixedSizeText(Language language);

} // namespace vtm
