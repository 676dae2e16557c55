#pragma once

#include "document/Language.h"
#include "document/Color.h"
#include "view/KeyMap.h"

#include <string>

namespace vtm {

// Every captioned item of the main window's menus.
enum class MenuItem {
    File,
    New,
    Open,
    Save,
    SaveAs,
    LoadFromClipboard,
    Compare,
    Print,
    InfoStatistic,
    Checksums,
    Exit,
    Edit,
    DeleteByte,
    DeleteBytes,
    InsertByte,
    InsertBytes,
    AppendByte,
    AppendBytes,
    Find,
    Replace,
    FindAndMark,
    FindNext,
    FindPrevious,
    Goto,
    NextIdenticalByte,
    PreviousIdenticalByte,
    CopyBytesSubmenu,
    CopyRaw,
    CopyHex,
    CopyCArray,
    CopyBase64,
    CopyCharacters,
    PasteOvertype,
    PasteInsert,
    Mark,
    UnmarkAll,
    MarkNext,
    MarkPrevious,
    MarkNextSubmenu,
    MarkPreviousSubmenu,
    MarkNextIdentical,
    MarkPreviousIdentical,
    MarksOpen,
    MarksSaveAs,
    Options,
    Hex,
    Dec,
    CreateBackup,
    KeepMarks,
    NoUnknown,
    OverwriteWarn,
    Inspector,
    EditInspector,
    PrintMarksHatched,
    PrintMarksUsingColors,
    DoNotPrintMarks,
    English,
    German,
    Help,
    HelpContents,
    About,
    PopupMarkNext,
    PopupMarkPrevious,
    PopupMarkNextIdentical,
    PopupMarkPreviousIdentical,
    PopupNextIdenticalByte,
    PopupPreviousIdenticalByte,
    OpenDevice,
    AllowDeviceWriting,
    Undo, // followed by the name of the step, when there is one
    Redo,
};
constexpr int MenuItemCount = int(MenuItem::Redo) + 1;

std::string Caption(MenuItem item, Language language);

// A shortcut written out: Shift prefix, Ctrl prefix, "Alt+", then the key's name, with
// the German names where they differ ("Umsch+Strg+Z").
std::string ShortcutText(const KeyStroke &stroke, Language language);

enum class FileDialogKind { Open, Save, MarksOpen, MarksSave, Compare };
std::string FileDialogTitle(FileDialogKind kind, Language language);

} // namespace vtm
