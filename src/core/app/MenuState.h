#pragma once

#include "app/EditorState.h"

#include <array>
#include <string>

namespace vtm {

// What the menus and the toolbar show after a command: captions, check marks and which
// items may be used.
struct MenuState
{
    std::array<std::string, 5> recentCaptions; // "&1: " + name, with any '&' doubled
    std::array<bool, 5> recentVisible{};
    bool recentSeparator = false;
    std::string undoCaption, redoCaption;
    bool canUndo = false, canRedo = false;

    bool hex = false, dec = false, noUnknown = false, keepMarks = false, createBackup = false;
    bool overwriteWarning = false;
    bool printHatched = false, printColors = false, doNotPrint = false;
    bool english = false, german = false;

    // Save, save as and every command that works on bytes need a document with bytes.
    bool hasBuffer = false;
    // Find next and previous also need a search confirmed in the find dialog.
    bool canFindAgain = false;
    // Open clipboard needs a clipboard that offers some format.
    bool canOpenClipboard = false;
};

MenuState ComputeMenuState(const EditorState &s);

} // namespace vtm
