// Saving and loading run as long commands: whenever the user stops one, everything is as
// it was before it began.
#include "ScriptedHost.h"

#include "app/FileCommands.h"

#include <gtest/gtest.h>

#include <set>

using namespace vtm;
using namespace vtmtest;
namespace fs = std::filesystem;

namespace {
using Bytes = std::vector<std::uint8_t>;
using StopRule = std::function<bool(const JobMeter &)>;

// Three slices of the jobs' counting and a tail, so that a job polls several times.
Bytes Content(std::uint8_t seed)
{
    Bytes b((std::size_t(3) << 20) + 777);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = std::uint8_t(i * 31 + seed + (i >> 13));
    return b;
}

Bytes Slurp(const std::string &path)
{
    Bytes b(fs::file_size(path));
    std::FILE *f = std::fopen(path.c_str(), "rb");
    b.resize(std::fread(b.data(), 1, b.size(), f));
    std::fclose(f);
    return b;
}

std::set<std::string> Names(const TempDir &dir)
{
    std::set<std::string> names;
    for (const auto &e : fs::directory_iterator(dir.path))
        names.insert(e.path().filename().string());
    return names;
}

// A stop at the first poll, half-way, and at the last (all bytes done).
const StopRule Stops[] = {
    [](const JobMeter &) { return true; },
    [](const JobMeter &m) { return m.done() * 2 >= m.total(); },
    [](const JobMeter &m) { return m.done() >= m.total(); },
};

class JobFiles : public ::testing::Test
{
protected:
    void TearDown() override { Document::SetReadingOnDemandForTesting(-1, {}); }
};
} // namespace

TEST_F(JobFiles, StoppedSaveLeavesTheFileAsItWas)
{
    const Bytes original = Content(1);
    const Bytes edited(original.begin() + 1, original.end());
    for (const bool onDemand : {false, true}) {
        for (const bool linked : {false, true}) { // a second name: written in place
            SCOPED_TRACE(std::string(onDemand ? "on demand" : "whole")
                         + (linked ? ", linked" : ""));
            Document::SetReadingOnDemandForTesting(onDemand ? 0 : -1, FileSource::Limits{4096, 2});
            TempDir dir;
            const std::string a = dir / "a.bin", backup = dir / "a.~bi", other = dir / "b.bin";
            WriteFile(a, original);
            WriteFile(backup, {9});
            if (linked)
                fs::create_hard_link(a, other);
            Rig r({});
            r.s.settings.OverwriteWarning = false;
            ASSERT_TRUE(r.ed.LoadFromFile(a));
            ASSERT_EQ(r.s.doc.ReadsOnDemand(), onDemand);
            r.ed.runCommand(Command::Delete);
            const std::string undo = r.host.menus.undoCaption;
            const std::set<std::string> names = Names(dir);
            for (const StopRule &stop : Stops) {
                r.host.stopWhen = stop;
                r.ed.runCommand(Command::Save);
                EXPECT_EQ(Slurp(a), original);
                EXPECT_EQ(Slurp(backup), Bytes{9});
                r.host.chosenFiles = {dir / "new.bin"};
                r.ed.runCommand(Command::SaveAs);
                EXPECT_EQ(Names(dir), names); // no temporary file, no new one
                EXPECT_EQ(r.s.OpenName, a);
                EXPECT_TRUE(r.s.doc.isModified());
                EXPECT_EQ(r.host.menus.undoCaption, undo);
                EXPECT_TRUE(r.host.messages.empty());
                EXPECT_FALSE(r.host.status[2].empty()); // says it was stopped
            }
            // Unstopped, and asking nothing: the file is still the one the editor saw.
            r.host.stopWhen = nullptr;
            r.ed.runCommand(Command::Save);
            EXPECT_TRUE(r.host.messages.empty());
            EXPECT_GE(r.host.polls.size(), 3u);
            EXPECT_EQ(Slurp(a), edited);
            EXPECT_EQ(Slurp(backup), original);
            if (linked) { // the same file
                EXPECT_EQ(Slurp(other), edited);
            }
            EXPECT_FALSE(r.s.doc.isModified());
        }
    }
}

TEST_F(JobFiles, StoppedLoadKeepsThePreviousDocument)
{
    TempDir dir;
    const std::string a = dir / "a.bin", b = dir / "b.bin";
    WriteFile(a, Iota(50));
    const Bytes big = Content(2);
    WriteFile(b, big);
    Rig r({});
    ASSERT_TRUE(r.ed.LoadFromFile(a));
    r.ed.runCommand(Command::Delete);
    SetMarks(r.s.doc, "..3");
    const Bytes bytes = BytesOf(r.s.doc), marks = MarksOf(r.s.doc);
    const std::string undo = r.host.menus.undoCaption;
    r.host.clipboard = {{"application/x-vtm", big}};
    for (const StopRule &stop : Stops) {
        r.host.stopWhen = stop;
        r.host.answers = {mrNo, mrNo}; // the changes may go
        r.host.chosenFiles = {b};
        r.ed.runCommand(Command::Open);
        EXPECT_FALSE(r.host.status[2].empty()); // says it was stopped
        r.host.clipboardChoices = {0};
        r.ed.files().OpenClipboard();
        EXPECT_EQ(r.host.messages.size(), 2u); // the questions alone
        r.host.messages.clear();
        EXPECT_EQ(BytesOf(r.s.doc), bytes);
        EXPECT_EQ(MarksOf(r.s.doc), marks);
        EXPECT_EQ(r.s.OpenName, a);
        EXPECT_TRUE(r.s.doc.isModified());
        EXPECT_EQ(r.host.menus.undoCaption, undo);
    }
    r.host.stopWhen = nullptr;
    r.host.answers = {mrNo};
    ASSERT_TRUE(r.ed.LoadFromFile(b));
    EXPECT_GE(r.host.polls.size(), 3u);
    EXPECT_EQ(BytesOf(r.s.doc), big);
    EXPECT_EQ(r.s.OpenName, b);
    EXPECT_FALSE(r.s.doc.isModified());
    r.host.clipboardChoices = {0};
    r.ed.files().OpenClipboard();
    EXPECT_EQ(BytesOf(r.s.doc), big);
    EXPECT_EQ(r.s.OpenName, "");

    // A file read on demand opens at once: nothing to stop.
    Document::SetReadingOnDemandForTesting(0, FileSource::Limits{4096, 2});
    r.host.stopWhen = Stops[0];
    EXPECT_TRUE(r.ed.LoadFromFile(b));
    EXPECT_TRUE(r.host.polls.empty());
}
