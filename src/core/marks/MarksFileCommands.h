#pragma once

#include <string>

namespace vtm {

class MarksContext;

// Reads a marks file chosen by the user onto the document's marks, as one undoable step.
void OpenMarks(MarksContext &ctx);
// Writes the document's marks to a file chosen by the user.
void SaveMarksAs(MarksContext &ctx);

} // namespace vtm
