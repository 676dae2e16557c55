#pragma once

#include "app/ClipboardFormats.h"
#include "app/Settings.h"
#include "document/Document.h"
#include "edit/ByteRunCommands.h"
#include "edit/TActions.h"
#include "search/FindState.h"
#include "search/Goto.h"
#include "view/DumpPainter.h"
#include "view/DumpView.h"

#include <array>
#include <cstdint>
#include <string>

namespace vtm {

// All of the editor's process-wide state in one object; a test builds its own.
struct EditorState
{
    Document doc;

    DumpView view;

    // One group number per command; never reset while the program runs.
    int CommandNumber = 0;
    TActions History;

    // The settings, read at start and written at exit.
    Settings settings;
    std::string ValueLabel;

    // The current document's name, and the target of a save in progress; both empty for
    // an unnamed document.
    std::string OpenName;
    std::string SaveName;
    // The failure of the file read on demand has been reported (until the next load).
    bool SourceFailureReported = false;
    // The marks file last opened or saved; both marks-file dialogs start with it.
    std::string MarksFileName;
    // What the go-to and byte-run dialogs offer again.
    GotoMemory GotoValues;
    ByteRunMemory ByteRuns;
    FindState Find;
    // The numbers given to clipboard formats, and whether the clipboard offers any now.
    ClipboardRegistry Clipboard;
    bool ClipboardHasData = false;
    // What the count dialog of a copy from an unmarked byte offered last.
    std::int64_t LastCopyCount = 16;

    DumpScene Scene() const { return {view, doc, settings.NoUnknown}; }
    bool CursorOnByte() const { return view.CursorOnByte(doc.BufferSize()); }
    // Clamps a requested position onto the grid and pulls it back onto the last byte.
    CellPos Normalise(CellPos p) const { return view.Normalise(p, doc.BufferSize()); }
};

} // namespace vtm
