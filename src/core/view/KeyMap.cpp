#include "view/KeyMap.h"

#include <array>

namespace vtm {

namespace {
struct Binding
{
    Key key;
    int modifiers;
    char letter;
    Command command;
};

constexpr std::array<Binding, 54> kBindings{{
    {Key::Up, NoModifier, 0, Command::Up},
    {Key::Down, NoModifier, 0, Command::Down},
    {Key::PageUp, NoModifier, 0, Command::PageUp},
    {Key::PageDown, NoModifier, 0, Command::PageDown},
    {Key::Left, NoModifier, 0, Command::Left},
    {Key::Right, NoModifier, 0, Command::Right},
    {Key::Home, NoModifier, 0, Command::Home},
    {Key::End, NoModifier, 0, Command::End},
    {Key::Tab, NoModifier, 0, Command::Tab},
    {Key::Tab, Shift, 0, Command::Tab},
    {Key::Letter, Ctrl, 'H', Command::HexLayout},
    {Key::Letter, Ctrl, 'D', Command::DecLayout},
    {Key::Backspace, NoModifier, 0, Command::Backspace},
    {Key::Backspace, Alt, 0, Command::Undo},
    {Key::Backspace, Shift | Alt, 0, Command::Redo},
    {Key::Letter, Ctrl, 'Z', Command::Undo},
    {Key::Letter, Shift | Ctrl, 'Z', Command::Redo},
    {Key::Delete, NoModifier, 0, Command::Delete},
    {Key::Insert, NoModifier, 0, Command::Insert},
    {Key::Insert, Ctrl, 0, Command::AppendByte},
    {Key::Letter, Ctrl, 'N', Command::New},
    {Key::Letter, Ctrl, 'O', Command::Open},
    {Key::Letter, Ctrl, 'S', Command::Save},
    {Key::Function, NoModifier, 1, Command::HelpContents},
    {Key::Letter, Ctrl, 'T', Command::Goto},
    {Key::Insert, Shift, 0, Command::InsertBytes},
    {Key::Insert, Shift | Ctrl, 0, Command::AppendBytes},
    {Key::Delete, Shift, 0, Command::DeleteBytes},
    {Key::Letter, Ctrl, 'F', Command::Find},
    {Key::Function, NoModifier, 3, Command::FindNext},
    {Key::Letter, Ctrl, 'L', Command::FindNext},
    {Key::Function, Shift, 3, Command::FindPrevious},
    {Key::Letter, Shift | Ctrl, 'L', Command::FindPrevious},
    {Key::Letter, Ctrl, 'E', Command::Replace},
    {Key::Letter, Ctrl, 'I', Command::InfoStatistic},
    {Key::Right, Shift, 0, Command::NextIdenticalByte},
    {Key::Down, Shift, 0, Command::NextIdenticalByte},
    {Key::Left, Shift, 0, Command::PreviousIdenticalByte},
    {Key::Up, Shift, 0, Command::PreviousIdenticalByte},
    {Key::Letter, Ctrl, 'R', Command::MarkRed},
    {Key::Letter, Ctrl, 'G', Command::MarkGreen},
    {Key::Letter, Ctrl, 'B', Command::MarkBlue},
    {Key::Letter, Ctrl, 'C', Command::MarkCyan},
    {Key::Letter, Ctrl, 'M', Command::MarkMagenta},
    {Key::Letter, Ctrl, 'Y', Command::MarkYellow},
    {Key::Letter, Ctrl, 'U', Command::Unmark},
    {Key::Right, Ctrl, 0, Command::NextMark},
    {Key::Down, Ctrl, 0, Command::NextMark},
    {Key::Left, Ctrl, 0, Command::PreviousMark},
    {Key::Up, Ctrl, 0, Command::PreviousMark},
    {Key::Right, Shift | Ctrl, 0, Command::NextIdenticalMark},
    {Key::Down, Shift | Ctrl, 0, Command::NextIdenticalMark},
    {Key::Left, Shift | Ctrl, 0, Command::PreviousIdenticalMark},
    {Key::Up, Shift | Ctrl, 0, Command::PreviousIdenticalMark},
}};
} // namespace

std::optional<Command> LookupShortcut(const KeyStroke &stroke)
{
    for (const Binding &b : kBindings) {
        if (b.key == stroke.key && b.modifiers == stroke.modifiers
            && ((b.key != Key::Letter && b.key != Key::Function) || b.letter == stroke.letter))
            return b.command;
    }
    return std::nullopt;
}

} // namespace vtm
