#pragma once

#include "app/Commands.h"
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

    // Per command, from the command table.
    std::array<bool, CommandCount> enabled{};
    std::array<bool, CommandCount> checked{};

    // Save, save as and every command that works on bytes need a document with bytes.
    bool hasBuffer = false;
    // Find next and previous also need a search confirmed in the find dialog.
    bool canFindAgain = false;
};

MenuState ComputeMenuState(const EditorState &s);

} // namespace vtm
