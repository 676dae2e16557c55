#include "app/Commands.h"

#include "app/EditorState.h"
#include "document/Language.h"

namespace vtm {

namespace {
using E = Enabling;
using C = Checked;
using M = MenuItem;
using B = SpeedButton;

constexpr KeyStroke K(Key key, int modifiers = NoModifier, char letter = 0)
{
    return {key, modifiers, letter};
}
constexpr KeyStroke Ctl(char letter)
{
    return {Key::Letter, Ctrl, letter};
}
constexpr KeyStroke F(int n, int modifiers = NoModifier)
{
    return {Key::Function, modifiers, char(n)};
}

constexpr std::nullopt_t None = std::nullopt;

// In the order of Command.
const CommandEntry kTable[] = {
    {Command::Up, None, None, {K(Key::Up)}},
    {Command::Down, None, None, {K(Key::Down)}},
    {Command::PageUp, None, None, {K(Key::PageUp)}},
    {Command::PageDown, None, None, {K(Key::PageDown)}},
    {Command::Left, None, None, {K(Key::Left)}},
    {Command::Right, None, None, {K(Key::Right)}},
    {Command::Home, None, None, {K(Key::Home)}},
    {Command::End, None, None, {K(Key::End)}},
    {Command::Tab, None, None, {K(Key::Tab), K(Key::Tab, Shift)}},
    {Command::HexLayout, M::Hex, None, {Ctl('H')}, E::Always, C::HexLayout, B::HexSpeedButton},
    {Command::DecLayout, M::Dec, None, {Ctl('D')}, E::Always, C::DecLayout, B::DecSpeedButton},
    {Command::Backspace, None, None, {K(Key::Backspace)}},
    {Command::Delete, M::DeleteByte, None, {K(Key::Delete)}, E::ItemWithBytes},
    {Command::Insert, M::InsertByte, None, {K(Key::Insert)}, E::ItemWithBytes},
    {Command::AppendByte, M::AppendByte, None, {K(Key::Insert, Ctrl)}},
    {Command::Undo, M::Undo, None, {Ctl('Z'), K(Key::Backspace, Alt)}, E::CanUndo},
    {Command::Redo,
     M::Redo,
     None,
     {K(Key::Letter, Shift | Ctrl, 'Z'), K(Key::Backspace, Shift | Alt)},
     E::CanRedo},
    {Command::New, M::New, None, {Ctl('N')}},
    {Command::Open, M::Open, None, {Ctl('O')}, E::Always, C::Never, B::OpenSB},
    {Command::Save, M::Save, None, {Ctl('S')}, E::WithBytes, C::Never, B::SaveSB},
    {Command::SaveAs, M::SaveAs, None, {}, E::WithBytes, C::Never, B::SaveAsSB},
    {Command::OpenClipboard, M::LoadFromClipboard, None, {}, E::ClipboardData},
    {Command::Compare, M::Compare, None, {}, E::WithBytes},
    {Command::Print, M::Print, None, {}, E::WithBytes, C::Never, B::PrintSB},
    {Command::InfoStatistic, M::InfoStatistic, None, {Ctl('I')}, E::WithBytes, C::Never, B::InfoSB},
    {Command::Checksums, M::Checksums, None, {K(Key::Letter, Shift | Ctrl, 'I')}, E::WithBytes},
    {Command::OpenMarks, M::MarksOpen, None, {}, E::WithBytes},
    {Command::SaveMarksAs, M::MarksSaveAs, None, {}, E::WithBytes},
    {Command::Exit, M::Exit, None, {}},
    {Command::OpenRecent0, None, None, {}, E::RecentFile},
    {Command::OpenRecent1, None, None, {}, E::RecentFile},
    {Command::OpenRecent2, None, None, {}, E::RecentFile},
    {Command::OpenRecent3, None, None, {}, E::RecentFile},
    {Command::OpenRecent4, None, None, {}, E::RecentFile},
    {Command::HelpContents, M::HelpContents, None, {F(1)}},
    {Command::HelpCharTable, None, None, {}, E::Always, C::Never, B::TabSB},
    {Command::About, M::About, None, {}},
    {Command::Calculator, None, None, {}, E::Always, C::Never, B::CalcSB},
    {Command::MarkRed, None, None, {Ctl('R')}, E::ItemWithBytes},
    {Command::MarkGreen, None, None, {Ctl('G')}, E::ItemWithBytes},
    {Command::MarkBlue, None, None, {Ctl('B')}, E::ItemWithBytes},
    {Command::MarkCyan, None, None, {Ctl('C')}, E::ItemWithBytes},
    {Command::MarkMagenta, None, None, {Ctl('M')}, E::ItemWithBytes},
    {Command::MarkYellow, None, None, {Ctl('Y')}, E::ItemWithBytes},
    {Command::Unmark, None, None, {Ctl('U')}, E::ItemWithBytes},
    {Command::UnmarkAll, M::UnmarkAll, None, {}, E::WithBytes},
    {Command::NextMark,
     M::MarkNext,
     M::PopupMarkNext,
     {K(Key::Right, Ctrl), K(Key::Down, Ctrl)},
     E::ItemWithBytes},
    {Command::PreviousMark,
     M::MarkPrevious,
     M::PopupMarkPrevious,
     {K(Key::Left, Ctrl), K(Key::Up, Ctrl)},
     E::ItemWithBytes},
    {Command::NextMarkRed, None, None, {}, E::WithBytes},
    {Command::NextMarkGreen, None, None, {}, E::WithBytes},
    {Command::NextMarkBlue, None, None, {}, E::WithBytes},
    {Command::NextMarkCyan, None, None, {}, E::WithBytes},
    {Command::NextMarkMagenta, None, None, {}, E::WithBytes},
    {Command::NextMarkYellow, None, None, {}, E::WithBytes},
    {Command::PreviousMarkRed, None, None, {}, E::WithBytes},
    {Command::PreviousMarkGreen, None, None, {}, E::WithBytes},
    {Command::PreviousMarkBlue, None, None, {}, E::WithBytes},
    {Command::PreviousMarkCyan, None, None, {}, E::WithBytes},
    {Command::PreviousMarkMagenta, None, None, {}, E::WithBytes},
    {Command::PreviousMarkYellow, None, None, {}, E::WithBytes},
    {Command::NextIdenticalMark,
     M::MarkNextIdentical,
     M::PopupMarkNextIdentical,
     {K(Key::Right, Shift | Ctrl), K(Key::Down, Shift | Ctrl)},
     E::ItemWithBytes},
    {Command::PreviousIdenticalMark,
     M::MarkPreviousIdentical,
     M::PopupMarkPreviousIdentical,
     {K(Key::Left, Shift | Ctrl), K(Key::Up, Shift | Ctrl)},
     E::ItemWithBytes},
    {Command::Goto, M::Goto, None, {Ctl('T')}, E::WithBytes},
    {Command::InsertBytes, M::InsertBytes, None, {K(Key::Insert, Shift)}, E::WithBytes},
    {Command::AppendBytes, M::AppendBytes, None, {K(Key::Insert, Shift | Ctrl)}},
    {Command::DeleteBytes, M::DeleteBytes, None, {K(Key::Delete, Shift)}, E::WithBytes},
    {Command::NextIdenticalByte,
     M::NextIdenticalByte,
     M::PopupNextIdenticalByte,
     {K(Key::Right, Shift), K(Key::Down, Shift)},
     E::ItemWithBytes},
    {Command::PreviousIdenticalByte,
     M::PreviousIdenticalByte,
     M::PopupPreviousIdenticalByte,
     {K(Key::Left, Shift), K(Key::Up, Shift)},
     E::ItemWithBytes},
    {Command::Find, M::Find, None, {Ctl('F')}, E::WithBytes, C::Never, B::FindSB},
    {Command::FindNext,
     M::FindNext,
     None,
     {F(3), Ctl('L')},
     E::CanFindAgain,
     C::Never,
     B::FindNextSB},
    {Command::FindPrevious,
     M::FindPrevious,
     None,
     {F(3, Shift), K(Key::Letter, Shift | Ctrl, 'L')},
     E::CanFindAgain,
     C::Never,
     B::FindPreviousSB},
    {Command::Replace, M::Replace, None, {Ctl('E')}, E::WithBytes, C::Never, B::ReplaceSB},
    {Command::FindAndMark, M::FindAndMark, None, {}, E::WithBytes, C::Never, B::FindAndMarkSB},
    {Command::ToggleCreateBackup, M::CreateBackup, None, {}, E::Always, C::CreateBackup},
    {Command::ToggleKeepMarks, M::KeepMarks, None, {}, E::Always, C::KeepMarks},
    {Command::ToggleNoUnknown, M::NoUnknown, None, {}, E::Always, C::NoUnknown},
    {Command::ToggleOverwriteWarning, M::OverwriteWarn, None, {}, E::Always, C::OverwriteWarning},
    {Command::ToggleInspector, M::Inspector, None, {}, E::Always, C::Inspector},
    {Command::EditInspector, M::EditInspector, None, {F(2)}, E::WithBytes},
    {Command::PrintMarksHatched, M::PrintMarksHatched, None, {}, E::Always, C::PrintHatched},
    {Command::PrintMarksUsingColors, M::PrintMarksUsingColors, None, {}, E::Always, C::PrintColors},
    {Command::DoNotPrintMarks, M::DoNotPrintMarks, None, {}, E::Always, C::DoNotPrint},
    {Command::English, M::English, None, {}, E::Always, C::English},
    {Command::German, M::German, None, {}, E::Always, C::German},
    {Command::CopyRaw, M::CopyRaw, None, {K(Key::Letter, Shift | Ctrl, 'C')}, E::CursorOnByte},
    {Command::CopyHex, M::CopyHex, None, {K(Key::Letter, Shift | Ctrl, 'X')}, E::CursorOnByte},
    {Command::CopyCArray, M::CopyCArray, None, {}, E::CursorOnByte},
    {Command::CopyBase64, M::CopyBase64, None, {}, E::CursorOnByte},
    {Command::CopyCharacters, M::CopyCharacters, None, {}, E::CursorOnByte},
    {Command::PasteOvertype,
     M::PasteOvertype,
     None,
     {K(Key::Letter, Shift | Ctrl, 'V')},
     E::ClipboardData},
    {Command::PasteInsert, M::PasteInsert, None, {Ctl('V')}, E::ClipboardData},
    {Command::OpenDevice, M::OpenDevice, None, {}},
    {Command::AllowDeviceWriting, M::AllowDeviceWriting, None, {}, E::Device, C::DeviceWritable},
};
static_assert(std::size(kTable) == std::size_t(CommandCount));

bool Matches(const KeyStroke &bound, const KeyStroke &stroke)
{
    return bound.key == stroke.key && bound.modifiers == stroke.modifiers
           && ((bound.key != Key::Letter && bound.key != Key::Function)
               || bound.letter == stroke.letter);
}

MenuNode Item(Command c)
{
    return {MenuNode::Kind::Item, c, MenuItem::File, {}};
}
MenuNode Separator()
{
    return {MenuNode::Kind::Separator, Command::New, MenuItem::File, {}};
}
MenuNode Submenu(MenuItem title, std::vector<MenuNode> children)
{
    return {MenuNode::Kind::Submenu, Command::New, title, std::move(children)};
}
std::vector<MenuNode> Items(Command first, int count)
{
    std::vector<MenuNode> nodes;
    for (int i = 0; i < count; ++i)
        nodes.push_back(Item(Command(int(first) + i)));
    return nodes;
}
std::vector<MenuNode> Join(std::initializer_list<std::vector<MenuNode>> parts)
{
    std::vector<MenuNode> all;
    for (const auto &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}
std::vector<MenuNode> MarkColours()
{
    return Join({Items(Command::MarkRed, 6), {Item(Command::Unmark)}});
}
} // namespace

std::span<const CommandEntry> CommandTable()
{
    return kTable;
}

const CommandEntry &EntryOf(Command command)
{
    return kTable[std::size_t(command)];
}

std::optional<Command> LookupShortcut(const KeyStroke &stroke)
{
    for (const CommandEntry &e : kTable)
        for (const KeyStroke &k : e.keys) {
            if (k.key == Key::Other)
                break;
            if (Matches(k, stroke))
                return e.command;
        }
    return std::nullopt;
}

Command CommandOfButton(SpeedButton button)
{
    if (button == SpeedButton::DezSpeedButton)
        return Command::DecLayout;
    for (const CommandEntry &e : kTable)
        if (e.button == button)
            return e.command;
    return Command::Open;
}

bool IsEnabled(Command command, const EditorState &s)
{
    const bool bytes = s.doc.BufferSize() > 0;
    switch (EntryOf(command).enabling) {
    case Enabling::Always: return true;
    case Enabling::WithBytes:
    case Enabling::ItemWithBytes: return bytes;
    case Enabling::CanUndo: return s.History.CanUndo();
    case Enabling::CanRedo: return s.History.CanRedo();
    case Enabling::CanFindAgain: return bytes && s.Find.SearchAccepted;
    case Enabling::ClipboardData: return s.ClipboardHasData;
    case Enabling::CursorOnByte: {
        const std::int64_t p = s.view.CursorOffset();
        return p >= 0 && p < s.doc.BufferSize();
    }
    case Enabling::RecentFile: return !s.settings.File[std::size_t(RecentIndexOf(command))].empty();
    case Enabling::Device: return s.doc.IsDevice();
    }
    return false;
}

bool CanRun(Command command, const EditorState &s)
{
    return EntryOf(command).enabling == Enabling::ItemWithBytes || IsEnabled(command, s);
}

bool IsChecked(Command command, const EditorState &s)
{
    switch (EntryOf(command).checked) {
    case Checked::Never: return false;
    case Checked::HexLayout: return s.view.HexMode;
    case Checked::DecLayout: return !s.view.HexMode;
    case Checked::CreateBackup: return s.settings.CreateBackUp;
    case Checked::KeepMarks: return s.settings.KeepMarksOnLoad;
    case Checked::NoUnknown: return s.settings.NoUnknown;
    case Checked::OverwriteWarning: return s.settings.OverwriteWarning;
    case Checked::Inspector: return s.settings.ShowInspector;
    case Checked::PrintHatched: return s.settings.MarksPrinting == PrintMarks::Hatched;
    case Checked::PrintColors: return s.settings.MarksPrinting == PrintMarks::InColour;
    case Checked::DoNotPrint: return s.settings.MarksPrinting == PrintMarks::None;
    case Checked::English: return !IsGerman(s.settings.Language);
    case Checked::German: return IsGerman(s.settings.Language);
    case Checked::DeviceWritable: return s.doc.WritingAllowed();
    }
    return false;
}

int MarkColourOf(Command command)
{
    if (command == Command::Unmark)
        return 0;
    const int k = int(command) - int(Command::MarkRed);
    return k >= 0 && k < 6 ? k + 1 : -1;
}

int GotoColourOf(Command command, bool *next)
{
    const int n = int(command) - int(Command::NextMarkRed);
    const int p = int(command) - int(Command::PreviousMarkRed);
    if (n >= 0 && n < 6) {
        *next = true;
        return n + 1;
    }
    if (p >= 0 && p < 6) {
        *next = false;
        return p + 1;
    }
    return -1;
}

int RecentIndexOf(Command command)
{
    const int k = int(command) - int(Command::OpenRecent0);
    return k >= 0 && k < 5 ? k : -1;
}

const std::vector<MenuNode> &MenuBarLayout()
{
    static const std::vector<MenuNode> bar = {
        Submenu(MenuItem::File,
                Join({{Item(Command::New), Item(Command::Open), Item(Command::OpenDevice),
                       Item(Command::OpenClipboard), Item(Command::Save), Item(Command::SaveAs),
                       Separator(), Item(Command::Compare), Item(Command::Print),
                       Item(Command::InfoStatistic), Item(Command::Checksums), Separator(),
                       Item(Command::OpenMarks), Item(Command::SaveMarksAs), Separator()},
                      Items(Command::OpenRecent0, 5),
                      {Separator(), Item(Command::Exit)}})),
        Submenu(MenuItem::Edit, {Item(Command::Undo),
                                 Item(Command::Redo),
                                 Separator(),
                                 Submenu(MenuItem::CopyBytesSubmenu, Items(Command::CopyRaw, 5)),
                                 Item(Command::PasteOvertype),
                                 Item(Command::PasteInsert),
                                 Separator(),
                                 Item(Command::Delete),
                                 Item(Command::DeleteBytes),
                                 Item(Command::Insert),
                                 Item(Command::InsertBytes),
                                 Item(Command::AppendByte),
                                 Item(Command::AppendBytes),
                                 Separator(),
                                 Item(Command::Find),
                                 Item(Command::Replace),
                                 Item(Command::FindAndMark),
                                 Item(Command::FindNext),
                                 Item(Command::FindPrevious),
                                 Separator(),
                                 Item(Command::Goto),
                                 Item(Command::NextIdenticalByte),
                                 Item(Command::PreviousIdenticalByte)}),
        Submenu(MenuItem::Mark,
                Join({MarkColours(),
                      {Item(Command::UnmarkAll), Separator(), Item(Command::NextMark),
                       Item(Command::PreviousMark),
                       Submenu(MenuItem::MarkNextSubmenu, Items(Command::NextMarkRed, 6)),
                       Submenu(MenuItem::MarkPreviousSubmenu, Items(Command::PreviousMarkRed, 6)),
                       Item(Command::NextIdenticalMark), Item(Command::PreviousIdenticalMark)}})),
        Submenu(MenuItem::Options,
                {Item(Command::HexLayout), Item(Command::DecLayout), Separator(),
                 Item(Command::ToggleCreateBackup), Item(Command::ToggleKeepMarks),
                 Item(Command::ToggleNoUnknown), Item(Command::ToggleOverwriteWarning),
                 Item(Command::AllowDeviceWriting), Separator(), Item(Command::ToggleInspector),
                 Item(Command::EditInspector), Separator(), Item(Command::PrintMarksHatched),
                 Item(Command::PrintMarksUsingColors), Item(Command::DoNotPrintMarks), Separator(),
                 Item(Command::English), Item(Command::German)}),
        Submenu(MenuItem::Help, {Item(Command::HelpContents), Separator(), Item(Command::About)}),
    };
    return bar;
}

const std::vector<MenuNode> &PopupLayout()
{
    static const std::vector<MenuNode> popup =
        Join({MarkColours(),
              {Separator(), Item(Command::NextMark), Item(Command::PreviousMark),
               Item(Command::NextIdenticalMark), Item(Command::PreviousIdenticalMark), Separator(),
               Item(Command::NextIdenticalByte), Item(Command::PreviousIdenticalByte)}});
    return popup;
}

} // namespace vtm
