// Saving keeps the identity of the file the user names; loading reads what the system reads.
#include "ScriptedHost.h"

#include "analysis/Compare.h"
#include "app/FileCommands.h"
#include "app/RegFile.h"
#include "document/SafeFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vtm;
using namespace vtmtest;
namespace fs = std::filesystem;

namespace {
using Bytes = std::vector<std::uint8_t>;

struct stat StatOf(const std::string &path)
{
    struct stat st
    {
    };
    ::stat(path.c_str(), &st);
    return st;
}

bool NoTemporaryLeft(const std::string &dir)
{
    for (const auto &entry : fs::directory_iterator(dir))
        if (entry.path().filename().string().rfind(".vtm", 0) == 0)
            return false;
    return true;
}

// A document loaded from `path` with one byte appended, ready to be saved.
void LoadAndChange(Rig &r, const std::string &path)
{
    ASSERT_TRUE(r.ed.LoadFromFile(path));
    r.ed.runCommand(Command::AppendByte);
}

// Runs `body` in a child process with the given user and group; true when it returned true.
template <class Body> bool AsUser(uid_t uid, gid_t gid, Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const bool ok =
            ::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0 && body();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)
           && WEXITSTATUS(status) == 0;
}

std::vector<int> g_syncedDirs;
std::string g_watched;
Bytes g_seenAtDirSync;
int RecordingSync(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        g_syncedDirs.push_back(fd);
        g_seenAtDirSync = ReadFile(g_watched);
    }
    return ::fsync(fd);
}
} // namespace

TEST(FileIntegrity, SavingThroughLinksWritesTheFileTheyLeadTo)
{
    TempDir dir;
    fs::create_directories(dir / "real");
    fs::create_directories(dir / "mid");
    fs::create_directories(dir / "links");
    WriteFile(dir / "real/a.bin", {1, 2});
    // links/a.bin -> ../mid/a -> ../real/a.bin
    fs::create_symlink("../real/a.bin", dir / "mid/a");
    fs::create_symlink("../mid/a", dir / "links/a.bin");
    Rig r({});
    r.s.settings.OverwriteWarning = false;
    LoadAndChange(r, dir / "links/a.bin");
    ASSERT_TRUE(r.ed.files().SaveToFile(dir / "links/a.bin", false));
    EXPECT_TRUE(fs::is_symlink(dir / "links/a.bin"));
    EXPECT_TRUE(fs::is_symlink(dir / "mid/a"));
    EXPECT_EQ(ReadFile(dir / "real/a.bin"), (Bytes{1, 2, 0}));
    EXPECT_EQ(ReadFile(dir / "real/a.~bi"), (Bytes{1, 2})); // beside the real file
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "links/a.~bi")));
    EXPECT_EQ(r.host.caption, "Vantreelmorbisco [" + dir / "links/a.bin" + "]");

    // A link to a file not there yet is written as the shell's '>' would.
    fs::create_symlink("real/new.bin", dir / "dangling.bin");
    ASSERT_TRUE(r.ed.files().SaveToFile(dir / "dangling.bin", false));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.bin"));
    EXPECT_EQ(ReadFile(dir / "real/new.bin"), (Bytes{1, 2, 0}));

    // A link loop is no file to write.
    fs::create_symlink("loop2", dir / "loop1");
    fs::create_symlink("loop1", dir / "loop2");
    EXPECT_EQ(WriteFileSafely(dir / "loop1", nullptr, 0).result, WriteResult::Failed);

    // The settings file kept in a repository and linked into the configuration.
    fs::create_symlink("../real/settings.reg", dir / "links/settings.reg");
    RegFile reg;
    reg.WriteDword("Hex", 1);
    ASSERT_TRUE(reg.Save(dir / "links/settings.reg"));
    EXPECT_TRUE(fs::is_symlink(dir / "links/settings.reg"));
    RegFile back;
    ASSERT_TRUE(back.Load(dir / "real/settings.reg"));
    EXPECT_EQ(back.Value("Hex").dword, 1);
    EXPECT_TRUE(NoTemporaryLeft(dir / "real"));
}

TEST(FileIntegrity, HardLinksOwnersAndModesAreKept)
{
    TempDir dir;
    const std::string a = dir / "a.bin", b = dir / "b.bin";
    WriteFile(a, {1, 2, 3});
    fs::create_hard_link(a, b);
    Rig r({});
    r.s.settings.OverwriteWarning = false;
    LoadAndChange(r, a);
    ASSERT_TRUE(r.ed.files().SaveToFile(a, false));
    EXPECT_EQ(ReadFile(b), (Bytes{1, 2, 3, 0})); // the other name sees the new bytes
    EXPECT_EQ(StatOf(a).st_ino, StatOf(b).st_ino);
    EXPECT_EQ(ReadFile(dir / "a.~bi"), (Bytes{1, 2, 3}));
    EXPECT_TRUE(NoTemporaryLeft(dir.path));

    if (::geteuid() != 0)
        GTEST_SKIP() << "owners can be given away only by root";
    // Root saving another user's set-id file: owner, group and mode stay.
    const std::string prog = dir / "prog";
    WriteFile(prog, {7});
    ASSERT_EQ(::chown(prog.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(prog.c_str(), 06755), 0);
    const Bytes eight = {8};
    ASSERT_EQ(WriteFileSafely(prog, eight.data(), 1, true).result, WriteResult::Written);
    EXPECT_EQ(ReadFile(prog), eight);
    EXPECT_EQ(StatOf(prog).st_uid, 65534u);
    EXPECT_EQ(StatOf(prog).st_gid, 65534u);
    EXPECT_EQ(StatOf(prog).st_mode & 07777, 06755u);
    EXPECT_EQ(StatOf(dir / "prog.~").st_mode & 07777, 06755u);

    // A user who may write the file but not give it its owner writes it in place; the
    // backup copy holds the old bytes and carries no set-id bits under its new owner.
    ASSERT_EQ(::chmod(dir.path.c_str(), 0777), 0);
    const std::string shared = dir / "shared.bin";
    WriteFile(shared, {1, 1});
    ASSERT_EQ(::chown(shared.c_str(), 12345, 12345), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 06666), 0);
    EXPECT_TRUE(AsUser(65534, 65534, [&] {
        const Bytes next = {2, 2, 2};
        return WriteFileSafely(shared, next.data(), 3, true).result == WriteResult::Written;
    }));
    EXPECT_EQ(ReadFile(shared), (Bytes{2, 2, 2}));
    EXPECT_EQ(StatOf(shared).st_uid, 12345u);
    EXPECT_EQ(StatOf(shared).st_gid, 12345u);
    EXPECT_EQ(ReadFile(dir / "shared.~bi"), (Bytes{1, 1}));
    EXPECT_EQ(StatOf(dir / "shared.~bi").st_uid, 65534u);
    EXPECT_EQ(StatOf(dir / "shared.~bi").st_mode & 07777, 0666u);
    EXPECT_TRUE(NoTemporaryLeft(dir.path));
}

TEST(FileIntegrity, InPlaceFailureLeavesTheOldBytes)
{
    TempDir dir;
    const std::string a = dir / "a.bin";
    Bytes old(4096);
    for (std::size_t i = 0; i < old.size(); ++i)
        old[i] = std::uint8_t(i * 7);
    WriteFile(a, old);
    fs::create_hard_link(a, dir / "other.bin"); // forces writing in place
    const Bytes big(1 << 20, 0x5A);
    for (const bool backup : {true, false}) {
        WriteOutcome out;
        {
            const FileSizeLimit full(64 * 1024);
            out = WriteFileSafely(a, big.data(), std::int64_t(big.size()), backup);
        }
        EXPECT_EQ(ReadFile(a), old) << "the old bytes are put back";
        if (backup) {
            EXPECT_EQ(out.result, WriteResult::FailedOldKept);
            EXPECT_EQ(out.keptCopy, dir / "a.~bi");
            EXPECT_EQ(ReadFile(dir / "a.~bi"), old);
        } else {
            EXPECT_EQ(out.result, WriteResult::Failed);
        }
        EXPECT_TRUE(NoTemporaryLeft(dir.path));
    }
    // Through the editor the message names the copy.
    Rig r({});
    r.s.settings.OverwriteWarning = false;
    LoadAndChange(r, a);
    r.s.doc.loadBytes(big.data(), std::int64_t(big.size()));
    r.s.doc.setChangeCount(1);
    {
        const FileSizeLimit full(64 * 1024);
        EXPECT_FALSE(r.ed.files().SaveToFile(a, false));
    }
    EXPECT_EQ(r.host.messages.back().text,
              "Writing failed!\rWhile writing into the file in place: the file would be too "
              "large for the file system.\rThe old contents of the file are kept in "
                  + dir / "a.~bi" + ".");
    EXPECT_EQ(ReadFile(a), old);
}

std::int64_t TenBytesFree(const std::string &)
{
    return 10;
}

// A shortfall known before writing is reported before anything is created, on both paths.
TEST(FileIntegrity, TooLittleDiskSpaceChangesNothing)
{
    TempDir dir;
    const std::string a = dir / "a.bin";
    const Bytes old(20, 1);
    WriteFile(a, old);
    Rig r({});
    r.s.settings.OverwriteWarning = false;
    LoadAndChange(r, a);
    r.s.doc.loadBytes(Bytes(100, 7).data(), 100);
    r.s.doc.setChangeCount(1);
    SetFreeSpaceCallForTesting(&TenBytesFree);
    EXPECT_FALSE(r.ed.files().SaveToFile(a, true));
    fs::create_hard_link(a, dir / "other.bin"); // in place: the old 20 bytes aside, then 100
    const WriteOutcome linked = WriteFileSafely(a, Bytes(100, 7).data(), 100, true);
    SetFreeSpaceCallForTesting(nullptr);
    EXPECT_EQ(r.host.messages.back().text,
              "Writing failed!\rNot enough free disk space: 100 bytes are needed, 10 are free.");
    EXPECT_EQ(linked.result, WriteResult::FailedNoSpace);
    EXPECT_EQ(linked.needed, 100);
    EXPECT_EQ(ReadFile(a), old);
    EXPECT_FALSE(fs::exists(dir / "a.~bi"));
    EXPECT_TRUE(NoTemporaryLeft(dir.path));
    EXPECT_EQ(r.s.doc.ChangeCount(), 1); // still unsaved
}

TEST(FileIntegrity, LongNamesAndTheDirectorySync)
{
    TempDir dir;
    const std::string name = dir / (std::string(251, 'n') + ".bin"); // 255 bytes
    WriteFile(name, {1});
    Rig r({});
    r.s.settings.OverwriteWarning = false;
    LoadAndChange(r, name);
    g_watched = name;
    g_syncedDirs.clear();
    SetSyncCallForTesting(&RecordingSync);
    const bool saved = r.ed.files().SaveToFile(name, false);
    SetSyncCallForTesting(nullptr);
    ASSERT_TRUE(saved);
    EXPECT_EQ(ReadFile(name), (Bytes{1, 0}));
    EXPECT_EQ(ReadFile(BackupNameFor(name)), (Bytes{1}));
    // The directory was synced once the new file stood under its name.
    ASSERT_FALSE(g_syncedDirs.empty());
    EXPECT_EQ(g_seenAtDirSync, (Bytes{1, 0}));
    EXPECT_FALSE(r.s.doc.isModified());
}

TEST(FileIntegrity, ChangedByAnotherProgramAsksBeforeSaving)
{
    TempDir dir;
    const std::string a = dir / "a.bin";
    WriteFile(a, {1, 2});
    Rig r({});
    r.s.settings.OverwriteWarning = false;
    LoadAndChange(r, a);
    WriteFile(a, {1, 2, 3}); // the other program
    r.host.answers = {mrNo};
    EXPECT_FALSE(r.ed.files().SaveToFile(a, false));
    EXPECT_EQ(r.host.messages.back().text.substr(0, 5 + a.size() + 36),
              "File " + a + " has been changed by another program");
    EXPECT_EQ(r.host.messages.back().defaultButton, unsigned(mbNo));
    EXPECT_EQ(ReadFile(a), (Bytes{1, 2, 3}));
    EXPECT_TRUE(r.s.doc.isModified());
    r.host.answers = {mrYes};
    EXPECT_TRUE(r.ed.files().SaveToFile(a, false));
    EXPECT_EQ(ReadFile(a), (Bytes{1, 2, 0}));
    // What the editor wrote itself is no change of another program.
    r.ed.runCommand(Command::AppendByte);
    const std::size_t asked = r.host.messages.size();
    EXPECT_TRUE(r.ed.files().SaveToFile(a, false));
    EXPECT_EQ(r.host.messages.size(), asked);
}

// Another program puts a link to some other file where the opened file was: Save names the
// file it would write before writing through the link; No leaves both files alone, Yes
// writes the other file (its backup beside it), asked once. A link the file was opened
// through, still leading to it, is no question.
TEST(FileIntegrity, NameSwappedForALinkIsNamedBeforeSaving)
{
    TempDir dir;
    const std::string a = dir / "a.bin", other = dir / "other.bin";
    WriteFile(a, {1, 2});
    WriteFile(other, {7});
    Rig r({});
    r.s.settings.OverwriteWarning = false;
    r.s.settings.CreateBackUp = true;
    LoadAndChange(r, a);
    fs::remove(a);
    fs::create_symlink(other, a);
    r.host.messages.clear();
    r.host.answers = {mrNo};
    EXPECT_FALSE(r.ed.files().SaveToFile(a, false));
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(r.host.messages[0].text, "File " + a + " is now a link to " + other
                                           + ".\r\rSave the document into " + other + " anyway?");
    EXPECT_EQ(r.host.messages[0].defaultButton, unsigned(mbNo));
    EXPECT_EQ(ReadFile(other), (Bytes{7}));
    EXPECT_TRUE(r.s.doc.isModified());

    r.host.messages.clear();
    r.host.answers = {mrYes};
    EXPECT_TRUE(r.ed.files().SaveToFile(a, false));
    EXPECT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(ReadFile(other), (Bytes{1, 2, 0}));
    EXPECT_EQ(ReadFile(BackupNameFor(other)), (Bytes{7}));
    EXPECT_TRUE(fs::is_symlink(a));
    // Saved through the link with the user's consent: the next save does not ask again.
    r.ed.runCommand(Command::AppendByte);
    r.host.messages.clear();
    EXPECT_TRUE(r.ed.files().SaveToFile(a, false));
    EXPECT_TRUE(r.host.messages.empty());
}

TEST(FileIntegrity, ReadingFollowsTheSystem)
{
    TempDir dir;
    // "sym/../x.bin" is real/x.bin when sym leads to real/deep, not ./x.bin.
    fs::create_directories(dir / "real/deep");
    fs::create_symlink("real/deep", dir / "sym");
    WriteFile(dir / "real/x.bin", {0x52});
    WriteFile(dir / "x.bin", {0x44});
    const fs::path before = fs::current_path();
    fs::current_path(dir.path);
    Rig r({});
    r.s.settings.OverwriteWarning = false;
    const bool loaded = r.ed.LoadFromFile("sym/../x.bin");
    fs::current_path(before);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(r.s.doc.ByteAt(0), 0x52);
    EXPECT_EQ(r.s.OpenName, dir / "sym/../x.bin");
    r.ed.runCommand(Command::AppendByte);
    ASSERT_TRUE(r.ed.files().SaveToFile(r.s.SaveName, false));
    EXPECT_EQ(ReadFile(dir / "real/x.bin"), (Bytes{0x52, 0}));
    EXPECT_EQ(ReadFile(dir / "x.bin"), (Bytes{0x44}));
    EXPECT_EQ(AbsolutePath("./a//b/../c"), (before / "a/b/../c").string());

    // A file that reports no size has content all the same; compare sees it too.
    Rig p({});
    ASSERT_TRUE(p.ed.LoadFromFile("/proc/version"));
    EXPECT_GT(p.s.doc.BufferSize(), 10);
    const auto version = BytesOf(p.s.doc);
    EXPECT_EQ(std::string(version.begin(), version.begin() + 5), "Linux");
    CompareWithFile(p.ed, "/proc/version");
    EXPECT_EQ(p.host.messages.back().text,
              "The contents of the file is identical to the bytes in memory!");

    // A file that grows while it is read loads as far as it had grown, never less than its
    // size at the start, and the bytes are the file's own.
    const std::string growing = dir / "growing.bin";
    Bytes start(8 << 20);
    for (std::size_t i = 0; i < start.size(); ++i)
        start[i] = std::uint8_t(i);
    WriteFile(growing, start);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        std::FILE *f = std::fopen(growing.c_str(), "ab");
        const Bytes chunk(4096, 0xEE);
        for (int k = 0; k < 2048 && !stop; ++k) {
            std::fwrite(chunk.data(), 1, chunk.size(), f);
            std::fflush(f);
        }
        std::fclose(f);
    });
    Rig g({});
    const bool grown = g.ed.LoadFromFile(growing);
    stop = true;
    writer.join();
    ASSERT_TRUE(grown);
    const Bytes now = ReadFile(growing);
    ASSERT_GE(std::size_t(g.s.doc.BufferSize()), start.size());
    ASSERT_LE(std::size_t(g.s.doc.BufferSize()), now.size());
    const auto held = BytesOf(g.s.doc);
    EXPECT_TRUE(std::equal(held.begin(), held.end(), now.begin()));
}
