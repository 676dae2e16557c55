#pragma once

#include "document/Language.h"
#include <string>

namespace vtm {

class MarksContext;

// Title of the chooser that asks for the file to compare with.
std::string CompareDialogTitle(Language language);

// Compares the document with the file at path. Identical: says so. Otherwise asks, and on
// Yes marks the bytes that differ red and those past the file's end yellow and removes
// every other mark, as one undoable step. A file that cannot be read whole, or that
// changes while it is read, is reported and nothing is marked. Run as a job, a stop while
// counting changes nothing, and one while marking keeps the marks made so far as one step
// (JobStopped is passed on). The caller refreshes the menus afterwards.
void CompareWithFile(MarksContext &ctx, const std::string &path);

} // namespace vtm
