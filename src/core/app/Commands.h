#pragma once

#include "app/Captions.h"
#include "view/KeyMap.h"
#include "widgets/SpeedLayout.h"

#include <array>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

namespace vtm {

struct EditorState;

// Every command the user can give, by key, menu item or toolbar button.
enum class Command {
    Up,
    Down,
    PageUp,
    PageDown,
    Left,
    Right,
    Home,
    End,
    Tab,
    HexLayout,
    DecLayout,
    Backspace,
    Delete,
    Insert,
    AppendByte,
    Undo,
    Redo,
    New,
    Open,
    Save,
    SaveAs,
    OpenClipboard,
    Compare,
    Print,
    InfoStatistic,
    Checksums,
    OpenMarks,
    SaveMarksAs,
    Exit,
    OpenRecent0, // .. OpenRecent4, newest first
    OpenRecent1,
    OpenRecent2,
    OpenRecent3,
    OpenRecent4,
    HelpContents,
    HelpCharTable,
    About,
    Calculator,
    MarkRed, // .. MarkYellow in colour order
    MarkGreen,
    MarkBlue,
    MarkCyan,
    MarkMagenta,
    MarkYellow,
    Unmark,
    UnmarkAll,
    NextMark,
    PreviousMark,
    NextMarkRed, // .. NextMarkYellow in colour order
    NextMarkGreen,
    NextMarkBlue,
    NextMarkCyan,
    NextMarkMagenta,
    NextMarkYellow,
    PreviousMarkRed, // .. PreviousMarkYellow in colour order
    PreviousMarkGreen,
    PreviousMarkBlue,
    PreviousMarkCyan,
    PreviousMarkMagenta,
    PreviousMarkYellow,
    NextIdenticalMark,
    PreviousIdenticalMark,
    Goto,
    InsertBytes,
    AppendBytes,
    DeleteBytes,
    NextIdenticalByte,
    PreviousIdenticalByte,
    Find,
    FindNext,
    FindPrevious,
    Replace,
    FindAndMark,
    ToggleCreateBackup,
    ToggleKeepMarks,
    ToggleNoUnknown,
    ToggleOverwriteWarning,
    ToggleInspector,
    EditInspector,
    PrintMarksHatched,
    PrintMarksUsingColors,
    DoNotPrintMarks,
    English,
    German,
    CopyRaw, // .. CopyCharacters in the order of CopyFormat
    CopyHex,
    CopyCArray,
    CopyBase64,
    CopyCharacters,
    PasteOvertype,
    PasteInsert,
    OpenDevice,
    AllowDeviceWriting,
};
constexpr int CommandCount = int(Command::AllowDeviceWriting) + 1;

// When a command may be used.
enum class Enabling {
    Always,
    WithBytes,     // the document has bytes
    ItemWithBytes, // the item and button need bytes; the key works on an empty document too
    CanUndo,       // the history has a step to undo
    CanRedo,       // ... or to redo
    CanFindAgain,  // bytes and a search confirmed in the find dialog
    ClipboardData, // the clipboard offers some format
    CursorOnByte,  // the cursor is on a byte of the document
    RecentFile,    // the recent-files entry is not empty
    Device,        // the document is a disk or partition
};

// What a check mark beside the command shows.
enum class Checked {
    Never,
    HexLayout,
    DecLayout,
    CreateBackup,
    KeepMarks,
    NoUnknown,
    OverwriteWarning,
    Inspector,
    PrintHatched,
    PrintColors,
    DoNotPrint,
    English,
    German,
    DeviceWritable,
};

// One command: its caption in both languages (as a caption item; colours and recent files
// are named from the state), its keys (the first is the one menus show), when it may be
// used, its check mark, and its toolbar button.
struct CommandEntry
{
    Command command;
    std::optional<MenuItem> caption;
    std::optional<MenuItem> popupCaption; // in the view's pop-up, where it differs
    std::array<KeyStroke, 4> keys{};      // Key::Other ends the list
    Enabling enabling = Enabling::Always;
    Checked checked = Checked::Never;
    std::optional<SpeedButton> button;

    CommandEntry(Command c, std::optional<MenuItem> menuCaption, std::optional<MenuItem> popup,
                 std::initializer_list<KeyStroke> strokes, Enabling when = Enabling::Always,
                 Checked check = Checked::Never, std::optional<SpeedButton> speed = std::nullopt)
        : command(c)
        , caption(menuCaption)
        , popupCaption(popup)
        , enabling(when)
        , checked(check)
        , button(speed)
    {
        std::size_t i = 0;
        for (const KeyStroke &k : strokes)
            if (i < keys.size())
                keys[i++] = k;
    }
};

// The table, one entry per command in the order of Command.
std::span<const CommandEntry> CommandTable();
const CommandEntry &EntryOf(Command command);

// The command of a key stroke; a stroke the table knows never reaches the typed-character
// handler.
std::optional<Command> LookupShortcut(const KeyStroke &stroke);
// The command of a toolbar button (the decimal button has an English and a German face).
Command CommandOfButton(SpeedButton button);

// Whether the command runs now, from any key, item or button.
bool CanRun(Command command, const EditorState &s);
// Whether its menu items and toolbar button are enabled.
bool IsEnabled(Command command, const EditorState &s);
bool IsChecked(Command command, const EditorState &s);

// Colour 1..6 of a mark command, 0 for Unmark; -1 for any other command.
int MarkColourOf(Command command);
// Colour 1..6 of a go-to-colour command (next or previous), else -1.
int GotoColourOf(Command command, bool *next);
// Index 0..4 of a recent-file command, else -1.
int RecentIndexOf(Command command);

// The menus as they are laid out: a node is a command, a separator, or a titled submenu.
struct MenuNode
{
    enum class Kind { Item, Separator, Submenu };
    Kind kind = Kind::Item;
    Command command = Command::New;  // Item
    MenuItem title = MenuItem::File; // Submenu
    std::vector<MenuNode> children;  // Submenu
};
// The menu bar: one submenu node per top-level menu.
const std::vector<MenuNode> &MenuBarLayout();
// The view's pop-up menu (its items show the entries' pop-up captions).
const std::vector<MenuNode> &PopupLayout();

} // namespace vtm
