#include "ScriptedHost.h"

#include "app/ClipboardFormats.h"
#include "edit/EditTexts.h"

#include <gtest/gtest.h>

#include <random>

using namespace vtm;
using namespace vtmtest;

namespace {
using Bytes = std::vector<std::uint8_t>;
}

TEST(ClipboardFormats, LinesAndNumbers)
{
    EXPECT_EQ(ClipboardLine(1, 5, ""), "         1 $00000001          5 $00000005 (CF_TEXT)");
    EXPECT_EQ(ClipboardLine(49152, 4096, "image/png"),
              "     49152 $0000C000       4096 $00001000 \"image/png\"");
    EXPECT_EQ(ClipboardLine(7, 0x123456789, ""),
              "         7 $00000007 4886718345 $123456789 (CF_OEMTEXT)");
    EXPECT_EQ(StandardFormatName(142), " (CF_DSPENHMETAFILE)");
    EXPECT_EQ(StandardFormatName(600), " (CF_PRIVATEFIRST..CF_PRIVATELAST)");
    EXPECT_EQ(StandardFormatName(1023), " (CF_GDIOBJFIRST..CF_GDIOBJLAST)");
    EXPECT_EQ(StandardFormatName(1024), "");
    EXPECT_EQ(StandardFormatName(0), "");
    EXPECT_EQ(ClipboardLineNumber("     49152 $0000C000 ..."), 49152);
    EXPECT_EQ(ClipboardLineNumber("  x $1"), -1);

    // Registered numbers are given on first sight and kept; standard types keep theirs.
    ClipboardRegistry r;
    EXPECT_EQ(r.NumberOf("text/plain"), 1u);
    EXPECT_EQ(r.NumberOf("text/html"), 0xC000u);
    EXPECT_EQ(r.NumberOf("image/png"), 0xC001u);
    EXPECT_EQ(r.NumberOf("text/html"), 0xC000u);
    EXPECT_EQ(ClipboardRegistry::RegisteredName(1, "text/plain"), "");
    EXPECT_EQ(ClipboardColumnEdges(8, 2).nameLeft, 2 + 42 * 8 + 3);
}

TEST(OpenClipboard, LoadsTheChosenFormatUnnamed)
{
    Rig r({1, 2, 3});
    r.ed.files().SetCurrentFileName("/tmp/old.bin");
    r.s.doc.SetMark(0, 3);
    r.host.clipboard = {{"text/plain", {'h', 'i'}}, {"application/x-vtm", {9, 8, 7, 6}}};
    r.host.clipboardChoices = {1};
    r.ed.files().OpenClipboard();
    ASSERT_EQ(r.host.chooserLines.size(), 1u);
    EXPECT_EQ(r.host.chooserLines[0][0], "         1 $00000001          2 $00000002 (CF_TEXT)");
    EXPECT_EQ(r.host.chooserLines[0][1],
              "     49152 $0000C000          4 $00000004 \"application/x-vtm\"");
    EXPECT_EQ(BytesOf(r.s.doc), (Bytes{9, 8, 7, 6}));
    EXPECT_EQ(MarksOf(r.s.doc), Bytes(4, 0));
    EXPECT_EQ(r.s.OpenName, "");
    EXPECT_EQ(r.host.caption, "Vantreelmorbisco");
    EXPECT_FALSE(r.s.History.CanUndo());
    EXPECT_FALSE(r.s.doc.isModified());

    // An empty block gives an empty, unnamed document.
    r.host.clipboard = {{"application/x-empty", {}}};
    r.host.clipboardChoices = {0};
    r.ed.files().OpenClipboard();
    EXPECT_EQ(r.s.doc.BufferSize(), 0);
    EXPECT_TRUE(r.host.messages.empty());
}

TEST(OpenClipboard, CancelledGoneOrTooLargeLeavesTheDocument)
{
    Rig r({1, 2, 3});
    const Bytes before{1, 2, 3};
    r.ed.files().OpenClipboard(); // emptied after the menu was shown
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(r.host.messages[0].text, "Clipboard-format is not any more available!");
    EXPECT_TRUE(r.host.chooserLines.empty());

    r.host.clipboard = {{"text/plain", {'x'}}, {"text/html", {'<'}}};
    r.ed.files().OpenClipboard(); // chooser cancelled
    EXPECT_EQ(BytesOf(r.s.doc), before);

    // The save-changes question answered Cancel.
    r.ed.FormKeyPress(U'7');
    const Bytes edited = BytesOf(r.s.doc);
    r.host.clipboardChoices = {0};
    r.host.answers = {mrCancel};
    r.ed.files().OpenClipboard();
    EXPECT_EQ(BytesOf(r.s.doc), edited);

    // The chosen format moved while the chooser was open.
    r.host.answers = {mrNo};
    r.host.clipboardChoices = {1};
    r.host.whileChoosing = [&] { std::swap(r.host.clipboard[0], r.host.clipboard[1]); };
    r.host.messages.clear();
    r.host.chooserLines.clear();
    r.ed.files().OpenClipboard();
    ASSERT_EQ(r.host.messages.size(), 2u); // the save question, then the error
    EXPECT_EQ(r.host.messages[1].text, "Clipboard-format is not any more available!");
    EXPECT_EQ(BytesOf(r.s.doc), edited);

    // Gone altogether.
    r.host.answers = {mrNo};
    r.host.clipboardChoices = {0};
    r.host.whileChoosing = [&] { r.host.clipboard.clear(); };
    r.ed.files().OpenClipboard();
    EXPECT_EQ(r.host.messages.back().text, "Clipboard-format is not any more available!");
    EXPECT_EQ(BytesOf(r.s.doc), edited);

    // No memory for the data: said so, nothing lost.
    r.host.whileChoosing = nullptr;
    r.host.clipboard = {{"application/x-big", Bytes(300000, 1)}};
    r.host.answers = {mrNo};
    r.host.clipboardChoices = {0};
    r.s.doc.setStorageLimit(Document::StorageStep);
    r.ed.files().OpenClipboard();
    EXPECT_EQ(r.host.messages.back().text, OutOfMemoryText(LanguageEnglish));
    EXPECT_EQ(BytesOf(r.s.doc), edited);
}

// Hostile clipboards: odd names, sizes, choices and changes never crash, and the document
// is either exactly the chosen data or untouched.
TEST(OpenClipboard, RandomClipboardsAreSafe)
{
    std::mt19937 rng(99);
    Rig r({5, 5});
    for (int round = 0; round < 300; ++round) {
        r.host.clipboard.clear();
        const int n = int(rng() % 5);
        for (int i = 0; i < n; ++i) {
            std::string name(rng() % 40, '\0');
            for (char &c : name)
                c = char(rng());
            r.host.clipboard.emplace_back(name, Bytes(rng() % 100, std::uint8_t(rng())));
        }
        r.host.clipboardChoices = {int(rng() % 7) - 1};
        const auto copy = r.host.clipboard;
        r.host.whileChoosing = [&] {
            if (rng() % 3 == 0 && !r.host.clipboard.empty())
                r.host.clipboard.erase(r.host.clipboard.begin());
        };
        r.host.answers = {mrNo};
        const Bytes before = BytesOf(r.s.doc);
        r.ed.files().OpenClipboard();
        const Bytes now = BytesOf(r.s.doc);
        bool fromClipboard = false;
        for (const auto &entry : copy)
            fromClipboard = fromClipboard || entry.second == now;
        EXPECT_TRUE(now == before || fromClipboard) << "round " << round;
    }
}
