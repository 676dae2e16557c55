#pragma once

#include "print/PrintJob.h"

#include <cstdint>
#include <string>

class QPrinter;
class QWidget;

namespace vtm {

struct EditorState;
class TPrintCancelForm;

// The print job's input from the editor state: its layout, marks and print settings.
PrintInput MakePrintInput(const EditorState &state, std::int64_t firstPage, std::int64_t lastPage,
                          std::string dateTime);

// The current date and time in the user's short-date and long-time formats.
std::string PrintDateTime();

// Prints pages firstPage..lastPage on printer while the progress window is up, then
// reports a failure. Returns whether every page was printed. Without a form of its own the
// call makes one. The document counts as busy with a long command meanwhile.
bool PrintWithProgress(QWidget *parent, QPrinter &printer, EditorState &state,
                       std::int64_t firstPage, std::int64_t lastPage,
                       TPrintCancelForm *form = nullptr);

// The print command: the print dialog (the cursor's page proposed), then the job. With no
// printer installed the user is told so and may still print to a PDF file.
void DoPrint(QWidget *parent, EditorState &state, TPrintCancelForm *form = nullptr);

} // namespace vtm
