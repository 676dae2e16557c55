#pragma once

#include "app/ClipboardFormats.h"
#include "document/Document.h"
#include "edit/ByteRunCommands.h"
#include "edit/TActions.h"
#include "search/FindState.h"
#include "search/Goto.h"
#include "view/TPlixScrollBar.h"

#include <array>
#include <cstdint>
#include <string>

namespace vtm {

// Pixel metrics of the dump, all derived from the size of "0" in the dump font.
struct Metrics
{
    int CharWidth = 0;
    int CharHeight = 0;
    int RowHeight = 1;
    int LeftGap = 0;
    int RightGap = 0;
    int CellWidth = 1;
    int CharAreaWidth = 1;
    int OffsetDigits = 3;
    int OffsetColumnWidth = 0;
};

struct CellPos
{
    int col = 0;
    int row = 0;
    friend bool operator==(CellPos, CellPos) = default;
};

// All of the editor's process-wide state in one object; a test builds its own.
struct EditorState
{
    Document doc;

    // Grid of the dump: columns count digits in the number area, then characters.
    bool HexMode = true;
    int BytesPerRow = 0;
    int CellChars = 1;
    int RowCount = 0;
    int VisibleRows = 0;
    int CursorCol = 0;
    int CursorRow = 0;
    int MouseX = -1;
    int MouseY = -1;
    bool CursorVisible = true;

    Metrics metrics;
    // Size of "0" in the dump font, measured once by the window system.
    int fontCharWidth = 0;
    int fontCharHeight = 0;

    TPlixScrollBar HorzBar{0};
    TPlixScrollBar VertBar{1};
    int LastScrollPos = 0;

    bool PendingCursorRestore = false;
    std::int64_t SavedCursorOffset = 0;
    bool SavedInCharArea = false;
    bool SwitchedToHex = false;
    bool SwitchedToDec = false;

    // One group number per command; never reset while the program runs.
    int CommandNumber = 0;
    TActions History;

    // Settings.
    bool NoUnknown = true;
    int Language = 9; // 7 German, anything else English
    bool KeepMarksOnLoad = false;
    bool PrintMarksHatched = true;
    bool PrintMarksUsingColors = false;
    bool DoNotPrintMarks = false;
    bool OverwriteWarning = true;
    bool CreateBackUp = true;
    std::string CalcPath;
    std::string InitialDir;
    std::string MarksInitialDir;
    std::array<std::string, 5> RecentFiles; // File0 (newest) .. File4
    std::string ValueLabel;

    // The current document's name, and the target of a save in progress; both empty for
    // an unnamed document.
    std::string OpenName;
    std::string SaveName;
    // The marks file last opened or saved; both marks-file dialogs start with it.
    std::string MarksFileName;
    // What the go-to and byte-run dialogs offer again.
    GotoMemory GotoValues;
    ByteRunMemory ByteRuns;
    FindState Find;
    // The numbers given to clipboard formats, and whether the clipboard offers any now.
    ClipboardRegistry Clipboard;
    bool ClipboardHasData = false;

    int TopRow() const { return VertBar.GetPosition(); }
    int NumberColumns() const { return BytesPerRow * CellChars; }
    int ColumnCount() const { return BytesPerRow * (CellChars + 1); }
    bool InCharArea(int col) const { return col >= NumberColumns(); }
    // Not clamped: may lie past the end of the document.
    std::int64_t CellToOffset(int col, int row) const;
    std::int64_t CursorOffset() const { return CellToOffset(CursorCol, CursorRow); }
    bool CursorOnByte() const;
    // Clamps a requested position onto the grid and pulls it back onto the last byte.
    CellPos Normalise(CellPos p) const;
    // The grid position of an offset: the cell's first digit, or its character.
    CellPos PositionOf(std::int64_t offset, bool charArea) const;
};

} // namespace vtm
