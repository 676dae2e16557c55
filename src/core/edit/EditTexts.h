#pragma once

#include "edit/ActionKind.h"

#include <string>

namespace vtm {

// Display names of the action kinds; an unknown kind has the empty name.
std::string ActionKindName(ActionKind kind, int language);
// "&Undo" / "&Redo" followed by a blank and the history's name of the step.
std::string UndoCaption(int language, const std::string &undoName);
std::string RedoCaption(int language, const std::string &redoName);

// Out of memory while enlarging the document: plain, while undoing a deletion, and
// while replacing.
std::string OutOfMemoryText(int language);
std::string OutOfMemoryUndoText(int language);
std::string OutOfMemoryReplaceText(int language);

} // namespace vtm
