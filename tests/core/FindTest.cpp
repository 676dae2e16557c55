#include "ScriptedHost.h"

#include "search/FindState.h"

#include <gtest/gtest.h>

using namespace vtm;
using namespace vtmtest;

namespace {

FindState Accepted(std::vector<std::uint8_t> pattern)
{
    FindState st;
    st.FindBytes = std::move(pattern);
    st.SearchAccepted = true;
    return st;
}

} // namespace

TEST(Find, NextAndPreviousStepThroughOccurrencesAndBeepAtTheEnds)
{
    Rig r({0x41, 0x42, 0x43, 0x41, 0x42, 0x43});
    const FindState st = Accepted({0x41, 0x42});

    // The byte under the cursor is a candidate for the dialog's search, not for Find next.
    EXPECT_TRUE(FindConfirmed(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 0);
    EXPECT_TRUE(FindNext(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 3);
    EXPECT_EQ(r.host.beepCount, 0);
    EXPECT_FALSE(FindNext(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 3);
    EXPECT_EQ(r.host.beepCount, 1);
    EXPECT_TRUE(FindPrevious(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 0);
    EXPECT_FALSE(FindPrevious(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 0);
    EXPECT_EQ(r.host.beepCount, 2);
}

TEST(Find, ConfirmedSearchTakesOriginAndDirectionFromTheState)
{
    Rig r({0x41, 0x42, 0x41, 0x42, 0x41, 0x42, 0x00});
    FindState st = Accepted({0x41, 0x42});
    r.ed.MoveCursorToOffset(3, false, false);

    st.Backward = true; // from the cursor backwards: byte 3 is not the start of one
    EXPECT_TRUE(FindConfirmed(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 2);

    // The entire scope backwards starts its candidates where the string still fits.
    st.BeginAtCursor = false;
    EXPECT_TRUE(FindConfirmed(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 4);

    st.Backward = false;
    EXPECT_TRUE(FindConfirmed(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 0);
    EXPECT_EQ(FindStartOffset(st, 5, 7), 0);
    st.Backward = true;
    EXPECT_EQ(FindStartOffset(st, 5, 7), 6);
    st.BeginAtCursor = true;
    EXPECT_EQ(FindStartOffset(st, 5, 7), 5);
    EXPECT_EQ(r.host.beepCount, 0);

    // Find next and previous ignore origin and direction.
    st.Backward = true;
    st.BeginAtCursor = false;
    EXPECT_TRUE(FindNext(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 2);
}

TEST(Find, CaseFoldingFollowsTheCaseOption)
{
    Rig r({'x', 'A', 'B', 'C', 'a', 'B', 'c', 0xC0, 0xF7, 0xD7, 0xFF});
    FindState st = Accepted({'a', 'b', 'c'});
    st.CaseSensitive = false;
    EXPECT_TRUE(FindNext(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 1);
    EXPECT_TRUE(FindNext(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 4);

    st.CaseSensitive = true;
    r.ed.MoveCursorToOffset(0, false, false);
    EXPECT_FALSE(FindNext(r.ed, st));

    // 224 folds onto 192; 247 and 255 have no capital.
    st.CaseSensitive = false;
    st.FindBytes = {0xE0};
    EXPECT_EQ(SearchFind(r.s.doc, st, 0, false), 7);
    st.FindBytes = {0xF7};
    EXPECT_EQ(SearchFind(r.s.doc, st, 0, false), 8);
    st.FindBytes = {0xD7};
    EXPECT_EQ(SearchFind(r.s.doc, st, 0, false), 9);
    st.FindBytes = {0xFF};
    EXPECT_EQ(SearchFind(r.s.doc, st, 0, false), 10);
}

TEST(Find, EmptyOrUnconfirmedStringNeverMovesTheCursor)
{
    Rig r(Iota(20));
    r.ed.MoveCursorToOffset(5, true, false);
    FindState st = Accepted({});
    EXPECT_EQ(SearchFind(r.s.doc, st, 0, false), -1);
    EXPECT_FALSE(FindConfirmed(r.ed, st));
    EXPECT_FALSE(FindNext(r.ed, st));
    EXPECT_FALSE(FindPrevious(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 5);
    EXPECT_EQ(r.host.beepCount, 3);
    EXPECT_FALSE(FindAcceptable(st));

    st.FindBytes = {7};
    st.SearchAccepted = false;
    EXPECT_FALSE(FindNext(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 5);
    EXPECT_EQ(r.host.beepCount, 4);

    // Longer than the document: nothing in either direction.
    st = Accepted(Iota(21));
    EXPECT_FALSE(FindNext(r.ed, st));
    EXPECT_FALSE(FindPrevious(r.ed, st));
}

TEST(Find, FoundOccurrenceKeepsTheCursorInItsArea)
{
    Rig r(Iota(40));
    r.ed.MoveCursorToOffset(2, true, false);
    const FindState st = Accepted({33, 34});
    EXPECT_TRUE(FindNext(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 33);
    EXPECT_TRUE(r.ed.CursorInCharArea());
    r.ed.MoveCursorToOffset(39, false, false);
    EXPECT_TRUE(FindPrevious(r.ed, st));
    EXPECT_EQ(r.ed.CursorOffset(), 33);
    EXPECT_FALSE(r.ed.CursorInCharArea());
}

TEST(Find, DialogTextsAndButtonPlacementPerMode)
{
    EXPECT_EQ(FindTexts(LanguageEnglish, FindFormMode::Find).caption, "Find");
    EXPECT_EQ(FindTexts(LanguageGerman, FindFormMode::FindAndMark).caption, "Suchen und markieren");
    EXPECT_EQ(FindTexts(LanguageGerman, FindFormMode::Replace).allButton, "&Alles ersetzen");
    EXPECT_EQ(FindTexts(LanguageEnglish, FindFormMode::FindAndMark).allButton, "Mark &all");
    EXPECT_EQ(FindTexts(LanguageGerman, FindFormMode::Find).caseBox, "Groß-/&Kleinschreib.");
    EXPECT_EQ(FindTexts(LanguageEnglish, FindFormMode::Find).decRLabel, "D&ec:");
    // Any language but German is English.
    EXPECT_EQ(FindTexts(LanguageOf(0), FindFormMode::Find).cancelButton, "Cancel");

    const FindButtonLefts two = FindButtonLayout(FindFormMode::Find, 378, 85);
    EXPECT_EQ(two.ok, 83);
    EXPECT_EQ(two.cancel, 210);
    EXPECT_EQ(two.all, -1);
    const FindButtonLefts three = FindButtonLayout(FindFormMode::Replace, 378, 85);
    EXPECT_EQ(three.ok, 41);
    EXPECT_EQ(three.all, 147);
    EXPECT_EQ(three.cancel, 252);
}

// The keys: find next and previous do nothing until a search was confirmed.
TEST(FindCommands, ThroughTheDialogAndTheKeys)
{
    vtmtest::Rig r({0x41, 0x42, 0x43, 0x41, 0x42, 0x43});
    r.ed.runCommand(Command::FindNext);
    EXPECT_EQ(r.host.beepCount, 0);
    EXPECT_FALSE(r.host.menus.canFindAgain);
    r.ed.runCommand(Command::Find); // cancelled
    EXPECT_EQ(r.s.view.CursorOffset(), 0);
    r.host.findAnswers = {{0x42, 0x43}};
    r.ed.runCommand(Command::Find);
    EXPECT_EQ(r.s.view.CursorOffset(), 1);
    EXPECT_TRUE(r.host.menus.canFindAgain);
    r.ed.runCommand(Command::FindNext);
    EXPECT_EQ(r.s.view.CursorOffset(), 4);
    r.ed.runCommand(Command::FindNext);
    EXPECT_EQ(r.host.beepCount, 1);
    r.ed.runCommand(Command::FindPrevious);
    EXPECT_EQ(r.s.view.CursorOffset(), 1);
}
