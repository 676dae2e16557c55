#include "ScriptedHost.h"

#include "app/Commands.h"
#include "app/MenuState.h"

#include <gtest/gtest.h>

#include <set>

using namespace vtm;
using namespace vtmtest;

namespace {
void Collect(const std::vector<MenuNode> &nodes, std::multiset<Command> *seen)
{
    for (const MenuNode &n : nodes) {
        if (n.kind == MenuNode::Kind::Item)
            seen->insert(n.command);
        else if (n.kind == MenuNode::Kind::Submenu)
            Collect(n.children, seen);
    }
}
} // namespace

// The table is what menus, keys and buttons are built from: one entry per command, every
// stroke bound once, every menu item named, every button running a command.
TEST(CommandTable, OneEntryPerCommandAndNoStrokeTwice)
{
    std::set<std::tuple<Key, int, char>> strokes;
    for (int c = 0; c < CommandCount; ++c) {
        const CommandEntry &e = EntryOf(Command(c));
        EXPECT_EQ(int(e.command), c);
        for (const KeyStroke &k : e.keys) {
            if (k.key == Key::Other)
                break;
            EXPECT_TRUE(strokes.insert({k.key, k.modifiers, k.letter}).second)
                << "stroke bound twice, command " << c;
            EXPECT_EQ(LookupShortcut(k), Command(c));
        }
    }
    std::multiset<Command> inMenus;
    Collect(MenuBarLayout(), &inMenus);
    for (const Command c : inMenus) {
        EXPECT_EQ(inMenus.count(c), 1u) << int(c);
        bool next = false;
        EXPECT_TRUE(EntryOf(c).caption || MarkColourOf(c) >= 0 || GotoColourOf(c, &next) > 0
                    || RecentIndexOf(c) >= 0)
            << "unnamed menu item " << int(c);
    }
    for (const SpeedButton b : AllSpeedButtons()) {
        const Command c = CommandOfButton(b);
        EXPECT_TRUE(EntryOf(c).button == b || b == SpeedButton::DezSpeedButton);
    }
    EXPECT_EQ(CommandOfButton(SpeedButton::DezSpeedButton), Command::DecLayout);
}

// Items of commands that need bytes are disabled without them; their keys still reach the
// commands that answer an empty document themselves.
TEST(CommandTable, EnablingFollowsTheState)
{
    Rig r({});
    MenuState m = ComputeMenuState(r.s);
    EXPECT_FALSE(m.enabled[std::size_t(Command::Save)]);
    EXPECT_FALSE(m.enabled[std::size_t(Command::Insert)]);
    EXPECT_TRUE(CanRun(Command::Insert, r.s));
    EXPECT_TRUE(m.enabled[std::size_t(Command::AppendByte)]);
    EXPECT_FALSE(m.enabled[std::size_t(Command::Undo)]);
    EXPECT_FALSE(m.enabled[std::size_t(Command::OpenRecent0)]);
    EXPECT_TRUE(m.checked[std::size_t(Command::HexLayout)]);
    EXPECT_FALSE(m.checked[std::size_t(Command::DecLayout)]);

    r.ed.runCommand(Command::Save); // disabled: asks nothing
    EXPECT_TRUE(r.host.messages.empty());
    r.ed.runCommand(Command::AppendByte);
    r.ed.runCommand(Command::German);
    r.ed.runCommand(Command::DoNotPrintMarks);
    r.ed.runCommand(Command::About);
    r.ed.runCommand(Command::Calculator);
    r.ed.runCommand(Command::HelpCharTable);
    m = ComputeMenuState(r.s);
    EXPECT_TRUE(m.enabled[std::size_t(Command::Save)]);
    EXPECT_TRUE(m.enabled[std::size_t(Command::Undo)]);
    EXPECT_TRUE(m.checked[std::size_t(Command::German)]);
    EXPECT_TRUE(m.checked[std::size_t(Command::DoNotPrintMarks)]);
    EXPECT_FALSE(m.checked[std::size_t(Command::PrintMarksHatched)]);
    EXPECT_EQ(r.host.aboutBoxes, 1);
    EXPECT_EQ(r.host.calculatorLaunches, 1);
    EXPECT_EQ(r.host.helpContexts.back(), 1500);
}
