#include "ScriptedHost.h"

#include <gtest/gtest.h>

using namespace vtm;
using namespace vtmtest;

TEST(EditorNavigation, EdgesOfTheDocument)
{
    Rig r(Iota(20));
    r.ed.runCommand(Command::Left); // nowhere to go: not even the blink restarts
    EXPECT_EQ(r.cursor(), (CellPos{0, 0}));
    EXPECT_EQ(r.host.timerRestarts + r.host.statusWrites, 0);
    EXPECT_TRUE(r.host.invalidated.empty());
    r.ed.runCommand(Command::Up);
    EXPECT_EQ(r.cursor(), (CellPos{0, 0}));
    EXPECT_EQ(r.host.timerRestarts, 1);
    EXPECT_EQ(r.host.status[0], "Pos: 0 $0");

    r.ed.runCommand(Command::End);
    EXPECT_EQ(r.cursor(), (CellPos{7, 1}));
    r.ed.runCommand(Command::Right);
    EXPECT_EQ(r.cursor(), (CellPos{7, 1}));
    r.place(40, 0);
    r.ed.runCommand(Command::End);
    r.ed.runCommand(Command::Right);
    EXPECT_EQ(r.cursor(), (CellPos{35, 1}));

    // Into the shorter last row: onto its last byte, in the same area.
    r.place(20, 0);
    r.ed.runCommand(Command::Down);
    EXPECT_EQ(r.cursor(), (CellPos{7, 1}));
    r.place(42, 0);
    r.ed.runCommand(Command::Down);
    EXPECT_EQ(r.cursor(), (CellPos{35, 1}));
}

TEST(EditorNavigation, RightStaysOnTheLastByteOfAFullLastRow)
{
    Rig r(Iota(32));
    r.place(31, 1);
    r.ed.runCommand(Command::Right);
    EXPECT_EQ(r.cursor(), (CellPos{31, 1}));
    r.place(47, 1);
    r.ed.runCommand(Command::Right);
    EXPECT_EQ(r.cursor(), (CellPos{47, 1}));
}

TEST(EditorNavigation, TabWrapAndPages)
{
    Rig r(Iota(16 * 40));
    r.place(11, 0);
    r.ed.runCommand(Command::Tab);
    EXPECT_EQ(r.cursor(), (CellPos{37, 0}));
    r.ed.runCommand(Command::Tab);
    EXPECT_EQ(r.cursor(), (CellPos{10, 0}));

    r.place(31, 0);
    r.ed.runCommand(Command::Right);
    EXPECT_EQ(r.cursor(), (CellPos{0, 1}));
    r.ed.runCommand(Command::Left);
    EXPECT_EQ(r.cursor(), (CellPos{31, 0}));
    r.place(47, 0);
    r.ed.runCommand(Command::Right);
    EXPECT_EQ(r.cursor(), (CellPos{32, 1}));

    r.place(3, 0);
    r.ed.runCommand(Command::PageDown);
    EXPECT_EQ(r.cursor(), (CellPos{3, 10}));
    EXPECT_EQ(r.host.scrolls, std::vector{-17});
}

TEST(EditorLayout, SwitchKeepsTheCursorByte)
{
    Rig r(Iota(300));
    r.ed.MoveCursorToOffset(100, true, false);
    r.ed.HexClick();
    EXPECT_EQ(r.host.requestLayoutCount, 0);
    r.ed.DecClick();
    EXPECT_EQ(r.cursor(), (CellPos{30, 10}));
    EXPECT_EQ(r.host.status[0], "Pos: 100 $64");
    r.ed.DecClick();
    EXPECT_EQ(r.host.requestLayoutCount, 1);
    r.ed.HexClick();
    EXPECT_EQ(r.cursor(), (CellPos{36, 6}));
}

TEST(EditorLayout, SwitchKeepsTheScrolledPart)
{
    Rig r(Iota(16 * 200));
    r.s.view.VertBar.SetPosition(32);
    r.ed.MoveCursorToOffset(16 * 34 + 3, false, false);
    ASSERT_EQ(r.s.view.TopRow(), 32);
    r.ed.DecClick();
    EXPECT_EQ(r.cursor(), (CellPos{3 * 7, 54}));
    EXPECT_EQ(r.s.view.TopRow(), 51);
    r.ed.HexClick();
    EXPECT_EQ(r.cursor(), (CellPos{2 * 3, 34}));
    EXPECT_GT(r.s.view.TopRow(), 34 - r.s.view.VisibleRows);
    EXPECT_LE(r.s.view.TopRow(), 34);
}

TEST(EditorScrolling, CursorIntoViewAndRedraw)
{
    Rig r(Iota(16 * 40));
    r.s.view.CursorRow = 11;
    r.ed.ScrollCursorIntoView();
    EXPECT_EQ(r.s.view.TopRow(), 2);
    EXPECT_EQ(r.host.scrolls, std::vector{-2 * 17});
    r.s.view.CursorRow = 1;
    r.ed.ScrollCursorIntoView();
    EXPECT_EQ(r.s.view.TopRow(), 1);
    EXPECT_EQ(r.host.scrolls.back(), 17);

    r.host.clearLog();
    r.s.view.VertBar.SetPosition(1); // unchanged, still redrawn
    EXPECT_EQ(r.host.scrolls, std::vector{0});
    EXPECT_EQ(r.host.invalidatePanelCount, 1);
    EXPECT_EQ(r.host.updateNowCount, 1);
}

TEST(EditorScrolling, Blink)
{
    Rig r(Iota(40));
    r.place(11, 0);
    r.ed.MouseMove(5, 20);
    ASSERT_EQ(r.host.status[2], "Dist: 11 $B");
    r.host.clearLog();

    r.ed.CursorTimerTimer(true);
    EXPECT_FALSE(r.s.view.CursorVisible);
    EXPECT_EQ(r.host.invalidated, (std::vector<Rect>{{120, 0, 24, 17}, {384, 0, 136, 17}}));
    EXPECT_EQ(r.host.status[2], "Dist: 11 $B");
    r.ed.CursorTimerTimer(false); // the pointer has left the view
    EXPECT_TRUE(r.s.view.CursorVisible);
    EXPECT_EQ(r.s.view.MouseX, -1);
    EXPECT_EQ(r.s.view.MouseY, -1);
    EXPECT_EQ(r.host.status[2], "");
}

TEST(EditorStatus, PanelsFollowCursorAndMouse)
{
    Rig r(Iota(200));
    r.ed.MoveCursorToOffset(123, false, false);
    EXPECT_EQ(r.host.status[0], "Pos: 123 $7B");
    EXPECT_EQ(r.host.status[1], "Val: 123 $7B 01111011 \"{\"");
    r.s.settings.Language = LanguageGerman;
    r.ed.ApplyLanguage();
    EXPECT_EQ(r.host.status[1], "Wert: 123 $7B 01111011 \"{\"");

    Rig t(Iota(20));
    t.ed.MoveCursorToOffset(19, false, false);
    t.ed.MouseMove(4 * 24 + 5, 17 + 3); // the blank cell right after the end
    EXPECT_EQ(t.host.status[2], "Dist: 1 $1");
    t.ed.MouseMove(384 + 3, 2);
    EXPECT_EQ(t.host.status[2], "Dist: -19 -$13");
    // A blank row below the end: the last byte, in the clicked area.
    t.place(0, 0);
    t.ed.MouseDown(384 + 3 + 8 * 8, 5 * 17 + 3);
    EXPECT_EQ(t.cursor(), (CellPos{35, 1}));
    EXPECT_EQ(t.host.status[2], "Dist: 69 $45");
    t.ed.MouseDown(10 * 24 + 5, 4 * 17);
    EXPECT_EQ(t.cursor(), (CellPos{7, 1}));

    Rig e({});
    e.host.status = {"x", "x", "x"};
    e.ed.MouseDown(30, 5);
    e.ed.MouseMove(400, 20);
    EXPECT_EQ(e.host.status, (std::array<std::string, 3>{}));
}

TEST(EditorLoad, MissingFileIsReportedAndChangesNothing)
{
    const std::string name = (std::filesystem::temp_directory_path() / "vtm_missing").string();
    for (Language language : {LanguageEnglish, LanguageGerman}) {
        Rig r(Iota(40));
        r.s.settings.Language = language;
        r.place(5, 1);
        EXPECT_FALSE(r.ed.LoadFromFile(name));
        ASSERT_EQ(r.host.messages.size(), 1u);
        EXPECT_EQ(r.host.messages[0].kind, MessageKind::Error);
        EXPECT_EQ(r.host.messages[0].text, language == LanguageEnglish
                                               ? "Reading " + name
                                                     + " failed!\rWhile opening: no such file "
                                                       "or folder."
                                               : "Konnte " + name
                                                     + " nicht lesen!\rBeim Öffnen: Datei oder "
                                                       "Ordner existiert nicht.");
        EXPECT_EQ(r.s.doc.BufferSize(), 40);
        EXPECT_EQ(r.cursor(), (CellPos{5, 1}));
    }
}

TEST(EditorLoad, SuccessStartsAtTheTop)
{
    Rig r(Iota(16 * 40));
    r.ed.MoveCursorToOffset(16 * 30, true, false);
    r.ed.runCommand(Command::Delete);
    const int command = r.s.CommandNumber;
    TempFile f(std::vector<std::uint8_t>(16 * 300, 0xAB));
    r.host.answers = {mrNo}; // drop the change
    ASSERT_TRUE(r.ed.LoadFromFile(f.path));
    EXPECT_EQ(r.host.messages.size(), 1u);
    r.host.messages.clear();
    EXPECT_FALSE(r.s.History.CanUndo());
    EXPECT_EQ(r.s.CommandNumber, command);
    EXPECT_FALSE(r.s.doc.isModified());
    EXPECT_TRUE(r.host.messages.empty());
    EXPECT_EQ(r.s.doc.ChangeCount(), 0);
    EXPECT_EQ(r.s.view.RowCount, 300);
    EXPECT_EQ(r.cursor(), (CellPos{0, 0}));
    EXPECT_EQ(r.s.view.TopRow(), 0);
    EXPECT_EQ(r.host.caption, "Vantreelmorbisco [" + f.path + "]");
    EXPECT_EQ(r.host.status[1], "Val: 171 $AB 10101011 \"\xC2\xAB\"");
}
