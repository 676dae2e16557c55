#include "ScriptedHost.h"

#include "app/Captions.h"
#include "app/FileCommands.h"
#include "app/Placement.h"
#include "document/SafeFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace vtm;
using namespace vtmtest;
namespace fs = std::filesystem;

namespace {
using Bytes = std::vector<std::uint8_t>;

} // namespace

TEST(Files, NameRules)
{
    const std::pair<const char *, const char *> backups[] = {
        {"a.bin", "a.~bi"},
        {"a.c", "a.~c"},
        {"a.html", "a.~ht"},
        {"README", "README.~"},
        {"a.", "a.~"},
        {"/d.v2/README", "/d.v2/README.~"},
        {"/d/x.tar.gz", "/d/x.tar.~gz"},
    };
    for (const auto &[name, backup] : backups)
        EXPECT_EQ(BackupNameFor(name), backup) << name;
    EXPECT_EQ(DirectoryOf("/x.bin"), "/");
    EXPECT_EQ(DirectoryOf("/a/b/c.bin"), "/a/b");
    EXPECT_EQ(DirectoryOf("c.bin"), "");
    EXPECT_EQ(AbsolutePath("/a/b"), "/a/b");
    EXPECT_EQ(AbsolutePath("x.bin"), (fs::current_path() / "x.bin").string());
}

TEST(Files, RecentListAndCaption)
{
    Rig r(Iota(4));
    FileCommands &f = r.ed.files();
    for (const char *name : {"/a", "/b", "/c", "/d", "/e"})
        f.SetCurrentFileName(name);
    f.SetCurrentFileName("/c"); // present already: the order stays
    EXPECT_EQ(r.s.settings.File, (std::array<std::string, 5>{"/e", "/d", "/c", "/b", "/a"}));
    f.SetCurrentFileName("/C"); // another name
    EXPECT_EQ(r.s.settings.File[0], "/C");
    EXPECT_EQ(r.s.settings.File[4], "/b");
    EXPECT_EQ(r.host.caption, "Vantreelmorbisco [/C]");
    EXPECT_EQ(r.s.settings.InitialDir, "/");

    f.SetCurrentFileName("/x/R&D.bin");
    r.ed.UpdateMenus();
    EXPECT_EQ(r.host.menus.recentCaptions[0], "&1: /x/R&&D.bin");
    EXPECT_TRUE(r.host.menus.recentSeparator);
    f.SetCurrentFileName("");
    EXPECT_EQ(r.host.caption, "Vantreelmorbisco");
    EXPECT_EQ(r.s.settings.InitialDir, "/x");

    Rig e({});
    e.ed.UpdateMenus();
    EXPECT_FALSE(e.host.menus.recentSeparator);
    EXPECT_FALSE(e.host.menus.recentVisible[0]);
    EXPECT_FALSE(e.host.menus.hasBuffer);
    EXPECT_EQ(e.host.menus.undoCaption, "&Undo ");
}

TEST(Files, CloseQueryAnswers)
{
    TempDir dir;
    const std::string file = dir / "doc.bin";
    WriteFile(file, {1, 2, 3});
    for (const Language language : {LanguageEnglish, LanguageGerman}) {
        Rig r({});
        r.s.settings.Language = language;
        r.s.settings.OverwriteWarning = false;
        ASSERT_TRUE(r.ed.LoadFromFile(file));
        EXPECT_TRUE(r.ed.files().CloseQuery()); // nothing changed: no question
        EXPECT_TRUE(r.host.messages.empty());

        r.ed.runCommand(Command::Delete);
        r.host.answers = {mrCancel};
        EXPECT_FALSE(r.ed.files().CloseQuery());
        EXPECT_EQ(r.host.messages.back().text,
                  language == LanguageEnglish ? file + " has been changed. Save changes?"
                                              : file + " wurde geändert. Änderungen speichern?");
        EXPECT_EQ(r.host.messages.back().buttons, unsigned(mbYesNoCancel));
        r.host.answers = {mrYes}; // saved under its name, warning off: no further question
        EXPECT_TRUE(r.ed.files().CloseQuery());
        EXPECT_EQ(ReadFile(file), (Bytes{2, 3}));
        EXPECT_FALSE(r.s.doc.isModified());
        WriteFile(file, {1, 2, 3});

        // Unnamed: Yes asks for a name; cancelling it refuses.
        r.ed.files().New();
        r.ed.runCommand(Command::AppendByte);
        r.host.answers = {mrYes};
        EXPECT_FALSE(r.ed.files().CloseQuery());
        EXPECT_EQ(r.host.messages.back().text,
                  language == LanguageEnglish ? "Data has been changed. Save changes?"
                                              : "Daten wurden geändert. Änderungen speichern?");
        EXPECT_EQ(r.s.SaveName, "");
        r.host.answers = {mrNo};
        EXPECT_TRUE(r.ed.files().CloseQuery());
    }
}

TEST(Files, OverwriteQuestionAndBackups)
{
    TempDir dir;
    const std::string a = dir / "a.bin", b = dir / "b.bin", c = dir / "c.bin";
    WriteFile(a, {1, 2, 3});
    WriteFile(dir / "a.~bi", {9});
    WriteFile(b, {7});
    Rig r({});
    ASSERT_TRUE(r.ed.LoadFromFile(a));
    r.ed.runCommand(Command::Insert);

    // Default No; No opens the save dialog; an existing name asks again, a new one not.
    r.host.answers = {mrNo, mrNo};
    r.host.chosenFiles = {b, c};
    r.ed.runCommand(Command::Save);
    ASSERT_EQ(r.host.messages.size(), 2u);
    EXPECT_EQ(r.host.messages[0].variant, MessageVariant::WithDefault);
    EXPECT_EQ(r.host.messages[0].defaultButton, unsigned(mbNo));
    EXPECT_EQ(r.host.messages[0].text.substr(0, 5 + a.size()), "File " + a);
    EXPECT_EQ(r.host.messages[1].text.substr(0, 5 + b.size()), "File " + b);
    EXPECT_EQ(ReadFile(c), (Bytes{0, 1, 2, 3}));
    EXPECT_EQ(ReadFile(a), (Bytes{1, 2, 3}));
    EXPECT_EQ(ReadFile(b), (Bytes{7}));
    EXPECT_FALSE(fs::exists(dir / "c.~bi")); // a new file has nothing to back up
    EXPECT_EQ(r.s.OpenName, c);
    EXPECT_EQ(r.s.settings.File[0], c);
    EXPECT_FALSE(r.s.doc.isModified());

    // Yes: the old file becomes the backup, replacing the older one.
    r.host.messages.clear();
    r.ed.runCommand(Command::Delete);
    ASSERT_TRUE(r.ed.files().SaveToFile(a, true));
    EXPECT_EQ(ReadFile(a), (Bytes{1, 2, 3}));
    EXPECT_EQ(ReadFile(dir / "a.~bi"), (Bytes{1, 2, 3}));
    r.ed.runCommand(Command::Delete);
    r.host.answers = {mrCancel};
    EXPECT_FALSE(r.ed.files().SaveToFile(a, true));
    EXPECT_EQ(ReadFile(a), (Bytes{1, 2, 3}));
    EXPECT_TRUE(r.s.doc.isModified());
    EXPECT_EQ(r.s.SaveName, a);

    // The warning off: plain Save asks nothing, Save as onto an existing file still asks.
    r.host.answers = {mrYes};
    r.ed.files().OverwriteWarnClick();
    EXPECT_EQ(r.host.messages.back().defaultButton, unsigned(mbNo));
    EXPECT_FALSE(r.s.settings.OverwriteWarning);
    const std::size_t asked = r.host.messages.size();
    r.ed.runCommand(Command::Save);
    EXPECT_EQ(r.host.messages.size(), asked);
    EXPECT_EQ(ReadFile(a), (Bytes{2, 3}));
    r.ed.files().OverwriteWarnClick();
    EXPECT_TRUE(r.s.settings.OverwriteWarning);
    EXPECT_EQ(r.host.messages.size(), asked);
}

TEST(Files, FailuresLeaveFilesAndDocumentAlone)
{
    TempDir dir;
    const std::string a = dir / "a.bin";
    WriteFile(a, {1, 2, 3});
    WriteFile(dir / "a.~bi", {9});
    Rig r({});
    r.s.settings.OverwriteWarning = false;
    ASSERT_TRUE(r.ed.LoadFromFile(a));
    r.ed.runCommand(Command::Delete);

    // A directory is no file to overwrite.
    const std::string sub = dir / "sub";
    fs::create_directory(sub);
    EXPECT_FALSE(r.ed.files().SaveToFile(sub, true));
    EXPECT_EQ(r.host.messages.back().text, "Writing failed!\rIt is a folder.");
    EXPECT_TRUE(fs::is_directory(sub));
    EXPECT_EQ(r.s.OpenName, a);

    // A read-only directory: the old file and its old backup stay as they were.
    if (getuid() != 0) {
        fs::permissions(dir.path, fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_FALSE(r.ed.files().SaveToFile(a, false));
        EXPECT_EQ(ReadFile(a), (Bytes{1, 2, 3}));
        EXPECT_EQ(ReadFile(dir / "a.~bi"), (Bytes{9}));
        EXPECT_TRUE(r.s.doc.isModified());
        fs::permissions(dir.path, fs::perms::owner_write, fs::perm_options::add);
    }
    // A full disk, as a file-size limit that holds for every user: the write fails part way.
    {
        bool written = true;
        {
            const FileSizeLimit full(1);
            written = r.ed.files().SaveToFile(a, false);
        }
        EXPECT_FALSE(written);
        EXPECT_EQ(r.host.messages.back().text,
                  "Writing failed!\rWhile writing: the file would be too large for the file "
                  "system.");
        EXPECT_EQ(ReadFile(a), (Bytes{1, 2, 3}));
        EXPECT_EQ(ReadFile(dir / "a.~bi"), (Bytes{9}));
        EXPECT_TRUE(r.s.doc.isModified());
    }
    for (const auto &entry : fs::directory_iterator(dir.path))
        EXPECT_NE(entry.path().filename().string()[0], '.') << "a temporary file was left";

    // Reading: a directory, a FIFO (must not block), a missing file.
    r.host.answers = {mrNo, mrNo, mrNo};
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::string, std::string> bads[] = {
        {sub, "It is a folder."},
        {fifo, "It is not a regular file but a FIFO (named pipe)."},
        {dir / "missing", "While opening: no such file or folder."},
    };
    for (const auto &[bad, why] : bads) {
        r.host.answers = {mrNo};
        EXPECT_FALSE(r.ed.LoadFromFile(bad));
        EXPECT_EQ(r.host.messages.back().text, "Reading " + bad + " failed!\r" + why);
        EXPECT_EQ(r.s.doc.BufferSize(), 2);
        EXPECT_EQ(r.s.OpenName, a);
    }
}

TEST(Files, NewAndKeepMarks)
{
    TempDir dir;
    const std::string a = dir / "a.bin", b = dir / "b.bin";
    WriteFile(a, Bytes(10, 1));
    WriteFile(b, Bytes(20, 2));
    Rig r({});
    ASSERT_TRUE(r.ed.LoadFromFile(a));
    SetMarks(r.s.doc, "1.3......6");
    r.ed.files().ToggleKeepMarks();
    ASSERT_TRUE(r.ed.LoadFromFile(b));
    EXPECT_EQ(MarksOf(r.s.doc),
              (Bytes{1, 0, 3, 0, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    r.ed.files().ToggleKeepMarks();
    ASSERT_TRUE(r.ed.LoadFromFile(a));
    EXPECT_EQ(MarksOf(r.s.doc), Bytes(10, 0));

    r.ed.runCommand(Command::New);
    EXPECT_EQ(r.s.doc.BufferSize(), 0);
    EXPECT_EQ(r.host.caption, "Vantreelmorbisco");
    EXPECT_FALSE(r.host.menus.hasBuffer);
    EXPECT_EQ(r.s.settings.File[0], b);
    EXPECT_EQ(r.s.settings.File[1], a);
}

TEST(Captions, BothLanguages)
{
    EXPECT_EQ(Caption(MenuItem::Open, LanguageEnglish), "&Open...");
    EXPECT_EQ(Caption(MenuItem::Open, LanguageGerman), "&Öffnen...");
    EXPECT_EQ(Caption(MenuItem::PopupPreviousIdenticalByte, LanguageGerman),
              "V&origes ident. Byte");
    EXPECT_EQ(Caption(MenuItem::NoUnknown, LanguageOf(12)), "&Unknow chars as space");
    const std::pair<KeyStroke, const char *> keys[] = {
        {{Key::Letter, Shift | Ctrl, 'Z'}, "Umsch+Strg+Z"},
        {{Key::Insert, Ctrl, 0}, "Strg+Einfg"},
        {{Key::Delete, Shift, 0}, "Umsch+Entf"},
        {{Key::Right, Shift | Ctrl, 0}, "Umsch+Strg+Rechts"},
        {{Key::Backspace, Shift | Alt, 0}, "Umsch+Alt+BkSp"},
        {{Key::Function, Shift, 3}, "Umsch+F3"},
    };
    for (const auto &[key, german] : keys)
        EXPECT_EQ(ShortcutText(key, LanguageGerman), german);
    EXPECT_EQ(ShortcutText({Key::Letter, Shift | Ctrl, 'Z'}, LanguageEnglish), "Shift+Ctrl+Z");
    EXPECT_EQ(ShortcutText({Key::Left, Ctrl, 0}, LanguageEnglish), "Ctrl+Left");
    EXPECT_EQ(FileDialogTitle(FileDialogKind::Save, LanguageGerman), "Speichern unter");
}

TEST(Startup, WindowPlacement)
{
    PlacementInput in;
    in.platform = {50, 60, 540, 450};
    in.stored = {100, 80, 600, 500};
    in.storedBaseUnits = 0x0010'0007;
    in.baseUnits = 0x0010'0007;
    in.screens = {{0, 0, 1920, 1080}};
    EXPECT_EQ(PlaceMainWindow(in), (WindowRect{100, 80, 600, 500}));
    in.baseUnits = 0x0012'0008; // another screen font: the stored bounds are ignored once
    EXPECT_EQ(PlaceMainWindow(in), in.platform);

    // A second copy: 8..40 pixels lower and further right, never past the edges.
    in.baseUnits = in.storedBaseUnits;
    in.firstInstance = false;
    in.r = 4;
    in.s = 0;
    EXPECT_EQ(PlaceMainWindow(in), (WindowRect{108, 120, 600, 500}));
    in.stored = {1800, 1000, 600, 500};
    EXPECT_EQ(PlaceMainWindow(in), (WindowRect{1320, 580, 600, 500}));

    // Off every screen, or tiny: back into the primary's area. A second screen counts.
    in.firstInstance = true;
    in.stored = {-5000, 3000, 2, 3};
    EXPECT_EQ(PlaceMainWindow(in), (WindowRect{0, 0, 100, 100}));
    in.screens.push_back({1920, 0, 1280, 1024});
    in.stored = {2000, 100, 600, 500};
    EXPECT_EQ(PlaceMainWindow(in), (WindowRect{2000, 100, 600, 500}));
}
