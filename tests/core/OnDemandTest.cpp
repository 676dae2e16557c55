// Files larger than memory is meant to hold: read on demand, edited as pieces over them,
// saved from the pieces, and watched for other programs changing them.
#include "ScriptedHost.h"

#include "edit/TActions.h"
#include "edit/TDeleteBytesAction.h"
#include "edit/TEditAction.h"
#include "edit/TInsertBytesAction.h"
#include "edit/TMarkAction.h"
#include "marks/MarkCommands.h"
#include "document/SafeFile.h"
#include "search/SearchBytes.h"
#include "view/DumpPainter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vtm;
using namespace vtmtest;

namespace {
constexpr std::int64_t K = 1024, M = K * K, G = K * M;
using Bytes = std::vector<std::uint8_t>;
// A sparse file: zeros but for these bytes.
using Sparse = std::map<std::int64_t, std::string>;

void MakeSparse(const std::string &path, std::int64_t size, const Sparse &data)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t(size)), 0);
    for (const auto &[at, text] : data)
        ASSERT_EQ(::pwrite(fd, text.data(), text.size(), off_t(at)), ssize_t(text.size()));
    ::close(fd);
}

// Checks a saved file against what it should hold by reading only the regions that hold data
// (holes read as zeros): their bytes must be the expected ones, and they must be few.
void ExpectSparseFile(const std::string &path, std::int64_t size, const Sparse &want)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    struct stat st;
    ASSERT_EQ(::fstat(fd, &st), 0);
    EXPECT_EQ(st.st_size, size);
    std::int64_t dataBytes = 0;
    std::size_t found = 0;
    for (off_t p = 0;;) {
        const off_t d = ::lseek(fd, p, SEEK_DATA);
        if (d < 0)
            break;
        const off_t h = ::lseek(fd, d, SEEK_HOLE);
        ASSERT_GT(h, d);
        dataBytes += h - d;
        ASSERT_LT(dataBytes, 4 * M) << "the saved file should stay sparse";
        Bytes got(std::size_t(h - d));
        ASSERT_EQ(::pread(fd, got.data(), got.size(), d), ssize_t(got.size()));
        Bytes expected(got.size(), 0);
        for (const auto &[at, text] : want)
            for (std::size_t i = 0; i < text.size(); ++i)
                if (at + std::int64_t(i) >= d && at + std::int64_t(i) < h) {
                    expected[std::size_t(at + std::int64_t(i) - d)] = std::uint8_t(text[i]);
                    ++found;
                }
        ASSERT_EQ(got, expected) << "data at " << d;
        p = h;
    }
    std::size_t total = 0;
    for (const auto &[at, text] : want)
        total += text.size();
    EXPECT_EQ(found, total) << "every expected byte lies in a region that holds data";
    ::close(fd);
}

Bytes FileBytes(const std::string &path)
{
    Bytes b(std::filesystem::file_size(path));
    std::FILE *f = std::fopen(path.c_str(), "rb");
    const std::size_t got = f ? std::fread(b.data(), 1, b.size(), f) : 0;
    if (f)
        std::fclose(f);
    b.resize(got);
    return b;
}

Bytes B(const char *text)
{
    return Bytes(text, text + std::strlen(text));
}

std::int64_t Find(const Document &doc, const char *text, std::int64_t from, bool backward)
{
    return SearchDocument(doc, B(text), from, backward, false);
}
} // namespace

// Sparse images of 5 and 64 GiB: opened on demand, edited at both ends and across 4 GiB,
// searched across block and piece boundaries, marked far out, undone, redone and saved; the
// saved file holds exactly the expected bytes and stays sparse.
TEST(OnDemand, SparseImagesEditSearchMarkAndSave)
{
    // The saved file is sparse: 16 MiB of free space are enough to save 64 GiB.
    SetFreeSpaceCallForTesting([](const std::string &) { return 16 * M; });
    for (const std::int64_t size : {5 * G, 64 * G}) {
        SCOPED_TRACE(size);
        TempDir dir;
        const std::string image = dir / "image.bin";
        const std::int64_t needle = 3 * M - 3; // across a block boundary of the cache
        MakeSparse(image, size,
                   {{0, "HEAD"}, {needle, "NEEDLE12"}, {4 * G - 2, "XYZW"}, {size - 4, "TAIL"}});
        Rig r(Bytes{});
        ASSERT_TRUE(r.ed.LoadFromFile(image));
        Document &doc = r.s.doc;
        ASSERT_TRUE(doc.ReadsOnDemand());
        ASSERT_EQ(doc.BufferSize(), size);
        EXPECT_LT(doc.BufferCapacity(), M);

        r.ed.MoveCursorToOffset(size - 1, false, false);
        EXPECT_EQ(r.s.view.CursorOffset(), size - 1);
        EXPECT_EQ(doc.ByteAt(size - 1), 'L');
        EXPECT_EQ(Find(doc, "NEEDLE12", 0, false), needle);
        EXPECT_EQ(Find(doc, "YZ", 4 * G + 100, true), 4 * G - 1);

        TActions &h = r.s.History;
        const auto g = [&] { return r.ed.NextCommandNumber(); };
        const Bytes ab = B("ab"), bang = B("!");
        ASSERT_TRUE(h.AddAction(std::make_unique<TEditAction>(g(), 4 * G - 1, false, 'Q'), true));
        ASSERT_TRUE(h.AddAction(
            std::make_unique<TInsertBytesAction>(g(), 0, false, 2, ab.data(), 2), true));
        // "QZ" now stands at 4 GiB + 1.
        ASSERT_TRUE(h.AddAction(
            std::make_unique<TDeleteBytesAction>(r.ed, g(), 4 * G + 1, 2, false), true));
        ASSERT_TRUE(h.AddAction(
            std::make_unique<TInsertBytesAction>(g(), size, false, 1, bang.data(), 1), true));
        ASSERT_TRUE(h.AddAction(
            std::make_unique<TMarkAction>(ActionKind::Mark, g(), size - 2, false, std::uint8_t(3)),
            true));
        const Sparse want{{0, "abHEAD"}, {needle + 2, "NEEDLE12"}, {4 * G, "XW"},
                          {size - 4, "TAIL!"}};
        auto check = [&] {
            ASSERT_EQ(doc.BufferSize(), size + 1);
            for (const auto &[at, text] : want)
                for (std::size_t i = 0; i < text.size(); ++i)
                    ASSERT_EQ(doc.ByteAt(at + std::int64_t(i)), std::uint8_t(text[i])) << at;
            // Across pieces: typed bytes into the file's, the file's into an appended byte.
            EXPECT_EQ(Find(doc, "bHE", 0, false), 1);
            EXPECT_EQ(Find(doc, "L!", 0, true), -1);
            EXPECT_EQ(Find(doc, "L!", size, true), size - 1);
            EXPECT_EQ(SearchDocument(doc, Bytes{0, 'X', 'W', 0}, 4 * G - 100, false, false),
                      4 * G - 1);
            EXPECT_EQ(FindMarkForward(doc, 0, AnyMark), size - 2);
        };
        check();
        while (h.CanUndo())
            h.Undo();
        EXPECT_EQ(doc.BufferSize(), size);
        EXPECT_EQ(Find(doc, "XYZW", 4 * G - 100, false), 4 * G - 2);
        EXPECT_EQ(doc.MarkedCount(), 0);
        while (h.CanRedo())
            h.Redo();
        check();

        // Saved under a new name, then over the file the document reads from: it keeps
        // reading the bytes it was opened with, and a second save gives the same file.
        const std::string copy = dir / "copy.bin";
        ASSERT_TRUE(r.ed.files().SaveToFile(copy, true));
        ExpectSparseFile(copy, size + 1, want);
        ASSERT_TRUE(r.ed.files().SaveToFile(image, true));
        ExpectSparseFile(image, size + 1, want);
        check();
        ASSERT_TRUE(r.ed.files().SaveToFile(copy, true));
        ExpectSparseFile(copy, size + 1, want);
        EXPECT_FALSE(doc.isModified());
    }
    SetFreeSpaceCallForTesting(nullptr);
}

namespace {
// Small files read on demand through tiny blocks, so that a few kilobytes behave as a huge
// file does.
class OnDemandSmall : public ::testing::Test
{
protected:
    void SetUp() override { Document::SetReadingOnDemandForTesting(0, FileSource::Limits{64, 2}); }
    void TearDown() override { Document::SetReadingOnDemandForTesting(-1, {}); }
};

// What the painters leave on screen: the last character drawn at each place of an 8-pixel
// font.
struct TextCanvas : Canvas
{
    std::map<std::pair<int, int>, char> at;
    void fillRect(int, int, int, int, Color) override {}
    void drawText(int x, int y, std::string_view text, Color, Color) override
    {
        for (std::size_t i = 0; i < text.size(); ++i)
            at[{x + 8 * int(i), y}] = text[i];
    }
    std::string shown() const
    {
        std::string all;
        for (const auto &[where, c] : at)
            all += c;
        return all;
    }
};

Bytes Pattern(std::size_t n, std::uint8_t seed)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = std::uint8_t(i * 7 + seed);
    return b;
}
} // namespace

// Another program truncates or rewrites the file under an open document: the editor says so
// (in the user's language) and offers to reload, shows and saves none of the file's bytes
// meanwhile, never mixes old bytes with new ones, and reloads when asked.
TEST_F(OnDemandSmall, FileChangedUnderTheDocumentIsReportedAndNothingIsSavedSilently)
{
    TempDir dir;
    const std::string path = dir / "data.bin";
    const Bytes original = Pattern(4096, 1);
    {
        std::FILE *f = std::fopen(path.c_str(), "wb");
        std::fwrite(original.data(), 1, original.size(), f);
        std::fclose(f);
    }
    Rig r(Bytes{}, 9); // nine rows: the last one begins a block of 64 bytes
    ASSERT_TRUE(r.ed.LoadFromFile(path));
    Document &doc = r.s.doc;
    ASSERT_TRUE(doc.ReadsOnDemand());
    EXPECT_EQ(doc.ByteAt(100), original[100]);
    r.ed.FormKeyPress(U'a'); // a change that is not saved yet
    ASSERT_TRUE(doc.isModified());

    // The cursor's row, the last one in view, needs a block that is no longer cached; the
    // rows above it are.
    r.ed.MoveCursorToOffset(130, false, false);
    ASSERT_EQ(r.s.view.TopRow(), 0);
    doc.ByteAt(1);
    doc.ByteAt(100);

    // Truncated: painting meets it first, in the cursor's row, and leaves none of the file's
    // bytes on screen, not even those painted before; then the next tick says so and the
    // user keeps the document for now.
    ASSERT_EQ(::truncate(path.c_str(), 1000), 0);
    TextCanvas canvas;
    EXPECT_NO_THROW(PaintRows(canvas, r.s.Scene(), 0, 1000));
    EXPECT_NO_THROW(PaintNumberCell(canvas, r.s.Scene(), 0));
    EXPECT_TRUE(doc.SourceFailed());
    EXPECT_FALSE(canvas.at.empty());
    EXPECT_EQ(canvas.shown().find_first_not_of(' '), std::string::npos) << "[" << canvas.shown() << "]";
    r.host.clearLog();
    r.host.answers = {mrNo};
    r.ed.CursorTimerTimer(true);
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_NE(r.host.messages[0].text.find("has been changed or truncated by another program"),
              std::string::npos);
    EXPECT_TRUE(doc.SourceFailed());
    // Reported once; the tick does not ask again.
    r.ed.CursorTimerTimer(true);
    EXPECT_EQ(r.host.messages.size(), 1u);
    // Reading fails instead of showing anything.
    EXPECT_THROW(doc.ByteAt(3000), SourceReadError);
    EXPECT_THROW(doc.ByteAt(100), SourceReadError);

    // Searching and saving report it again; nothing is written.
    r.host.clearLog();
    r.s.Find.FindBytes = B("xyz");
    r.s.Find.SearchAccepted = true;
    r.host.answers = {mrNo, mrNo};
    r.ed.runCommand(Command::FindNext);
    r.s.settings.OverwriteWarning = false;
    r.ed.runCommand(Command::Save);
    EXPECT_EQ(std::filesystem::file_size(path), 1000u);
    EXPECT_TRUE(doc.isModified());
    ASSERT_GE(r.host.messages.size(), 1u);
    for (const auto &m : r.host.messages)
        EXPECT_NE(m.text.find("changed or truncated"), std::string::npos) << m.text;

    // Undo needs no bytes of the file; redoing the overtype reads the old byte, fails, and
    // leaves a history that no longer offers a step it cannot take.
    r.host.clearLog();
    r.host.answers = {mrNo};
    r.ed.runCommand(Command::Undo);
    r.ed.runCommand(Command::Redo);
    EXPECT_FALSE(r.s.History.CanRedo());
    EXPECT_FALSE(r.s.History.CanUndo());
    EXPECT_EQ(r.host.messages.size(), 1u);

    // In German too; Yes reloads what the file holds now.
    r.ed.SetLanguage(LanguageGerman);
    r.host.clearLog();
    r.host.answers = {mrYes};
    r.ed.runCommand(Command::FindNext);
    ASSERT_GE(r.host.messages.size(), 1u);
    EXPECT_NE(r.host.messages[0].text.find("von einem anderen Programm geändert oder gekürzt"),
              std::string::npos);
    EXPECT_FALSE(doc.SourceFailed());
    EXPECT_EQ(doc.BufferSize(), 1000);
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(doc.ByteAt(999), original[999]);

    // Rewritten in place with other bytes of the same size: a block not read before is
    // refused, not taken from the new contents.
    EXPECT_EQ(doc.ByteAt(0), original[0]);
    const Bytes other = Pattern(1000, 99);
    {
        const int fd = ::open(path.c_str(), O_WRONLY);
        ASSERT_EQ(::pwrite(fd, other.data(), other.size(), 0), 1000);
        struct timespec later[2] = {{0, UTIME_OMIT}, {0, 0}};
        ::clock_gettime(CLOCK_REALTIME, &later[1]);
        later[1].tv_sec += 5; // a clock too coarse to show the write must not hide it
        ::futimens(fd, later);
        ::close(fd);
    }
    EXPECT_THROW(doc.ByteAt(900), SourceReadError);
    EXPECT_TRUE(doc.SourceFailed());
}

// Saving in place (the file has a second name) over the file the document reads from: the
// document must not read a region after overwriting it.
TEST_F(OnDemandSmall, SavingInPlaceOverTheSourceReadsTheOldBytes)
{
    TempDir dir;
    const std::string path = dir / "data.bin", other = dir / "link.bin";
    const Bytes original = Pattern(5000, 3);
    {
        std::FILE *f = std::fopen(path.c_str(), "wb");
        std::fwrite(original.data(), 1, original.size(), f);
        std::fclose(f);
    }
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    Rig r(Bytes{});
    ASSERT_TRUE(r.ed.LoadFromFile(path));
    ASSERT_TRUE(r.s.doc.ReadsOnDemand());
    // Inserting in front shifts every later byte: writing in place would overwrite bytes
    // before they are read.
    const Bytes front = Pattern(300, 77);
    ASSERT_TRUE(r.s.History.AddAction(std::make_unique<TInsertBytesAction>(
                                          r.ed.NextCommandNumber(), 0, false, 300, front.data(), 300),
                                      true));
    ASSERT_TRUE(r.ed.files().SaveToFile(path, true));
    Bytes want = front;
    want.insert(want.end(), original.begin(), original.end());
    EXPECT_EQ(FileBytes(other), want); // the second name sees the new bytes
    EXPECT_EQ(BytesOf(r.s.doc), want);
    r.s.History.Undo();
    EXPECT_EQ(BytesOf(r.s.doc), original);
}

// Another program changes the file at random moments while the document reads it through
// tiny blocks: every byte handed out is the byte the file held when it was opened, and
// once a change is seen, nothing more is handed out.
TEST_F(OnDemandSmall, RandomChangesNeverMixOldAndNewBytes)
{
    TempDir dir;
    const std::string path = dir / "data.bin";
    std::mt19937 rng(2024);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        const Bytes original = Pattern(2000 + rng() % 3000, std::uint8_t(round));
        {
            std::FILE *f = std::fopen(path.c_str(), "wb");
            std::fwrite(original.data(), 1, original.size(), f);
            std::fclose(f);
        }
        Document doc;
        ASSERT_TRUE(doc.loadFile(path));
        const std::int64_t size = doc.BufferSize();
        bool changed = false;
        for (int step = 0; step < 80; ++step) {
            if (!changed && rng() % 20 == 0) {
                changed = true;
                const int fd = ::open(path.c_str(), O_WRONLY);
                switch (rng() % 3) {
                case 0: ASSERT_EQ(::ftruncate(fd, off_t(rng() % std::uint64_t(size))), 0); break;
                case 1: ASSERT_EQ(::ftruncate(fd, off_t(size + 1 + rng() % 100)), 0); break;
                default: {
                    const Bytes other = Pattern(std::size_t(size), std::uint8_t(round + 1));
                    ASSERT_EQ(::pwrite(fd, other.data(), other.size(), 0), ssize_t(size));
                }
                }
                // A clock too coarse to show the change must not hide it.
                struct timespec t[2] = {{0, UTIME_OMIT}, {0, 0}};
                ::clock_gettime(CLOCK_REALTIME, &t[1]);
                t[1].tv_sec += 10;
                ::futimens(fd, t);
                ::close(fd);
            }
            const std::int64_t p = std::int64_t(rng() % std::uint64_t(size));
            const std::int64_t n = std::min<std::int64_t>(size - p, 1 + rng() % 300);
            Bytes got(static_cast<std::size_t>(n));
            try {
                doc.ReadBytes(p, n, got.data());
                ASSERT_TRUE(std::equal(got.begin(), got.end(), original.begin() + p))
                    << "bytes at " << p << " are not the file's bytes at opening";
                ASSERT_FALSE(doc.SourceFailed());
            } catch (const SourceReadError &e) {
                ASSERT_TRUE(changed) << "a read failed though nothing changed";
                EXPECT_EQ(e.why, SourceReadError::Why::Changed);
                ASSERT_TRUE(doc.SourceFailed());
            }
        }
        // Looked at now, a changed file has failed for good.
        EXPECT_EQ(doc.CheckSource(), !changed);
        if (changed) {
            EXPECT_THROW(doc.ByteAt(0), SourceReadError);
        }
    }
}

namespace {
// Files are stamped from a clock that may tick only every few milliseconds: waits until it
// has passed the file's change time, so that the file's next change shows in it.
void WaitForTheClockToPass(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return;
    for (int tries = 0; tries < 5000; ++tries) {
        struct timespec now;
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
        if (now.tv_sec > st.st_ctim.tv_sec
            || (now.tv_sec == st.st_ctim.tv_sec && now.tv_nsec > st.st_ctim.tv_nsec))
            return;
        ::usleep(1000);
    }
}

// A sync after which the clock has moved on: each step of a save that follows it moves the
// change time of the file it touches.
int TickingSync(int fd)
{
    const int r = ::fsync(fd);
    WaitForTheClockToPass(fd);
    return r;
}
} // namespace

// Another program rewrites the file in place, keeps its size and sets its modification time
// back: only the change time shows it, and that is enough for the next read and for the check
// before a save, so a save writes no bytes that were never shown.
TEST_F(OnDemandSmall, RewriteThatSetsTheModificationTimeBackIsCaught)
{
    TempDir dir;
    const std::string path = dir / "data.bin", copy = dir / "copy.bin";
    const Bytes original = Pattern(4096, 5), other = Pattern(4096, 6);
    for (const bool saving : {false, true}) {
        SCOPED_TRACE(saving ? "saving" : "reading");
        WriteFile(path, original);
        Rig r(Bytes{});
        ASSERT_TRUE(r.ed.LoadFromFile(path));
        Document &doc = r.s.doc;
        ASSERT_TRUE(doc.ReadsOnDemand());
        EXPECT_EQ(doc.ByteAt(4000), original[4000]); // the end is read and kept
        {
            const int fd = ::open(path.c_str(), O_WRONLY);
            struct stat before;
            ASSERT_EQ(::fstat(fd, &before), 0);
            WaitForTheClockToPass(fd);
            ASSERT_EQ(::pwrite(fd, other.data(), other.size(), 0), ssize_t(other.size()));
            const struct timespec back[2] = {before.st_atim, before.st_mtim};
            ASSERT_EQ(::futimens(fd, back), 0);
            struct stat after;
            ASSERT_EQ(::fstat(fd, &after), 0);
            ::close(fd);
            ASSERT_EQ(after.st_size, before.st_size);
            ASSERT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
            ASSERT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        }
        r.host.clearLog();
        r.host.answers = {mrNo};
        if (saving) {
            EXPECT_FALSE(r.ed.files().SaveToFile(copy, true));
            EXPECT_FALSE(std::filesystem::exists(copy));
        } else {
            EXPECT_THROW(doc.ByteAt(2000), SourceReadError); // a block not read before
            r.ed.CursorTimerTimer(true);
        }
        EXPECT_TRUE(doc.SourceFailed());
        EXPECT_THROW(doc.ByteAt(4000), SourceReadError);
        EXPECT_EQ(r.host.messages.size(), 1u);
        for (const auto &m : r.host.messages)
            EXPECT_NE(m.text.find("changed or truncated"), std::string::npos) << m.text;
    }
}

// The editor's own saves link, rename and unlink the file it reads on demand (replacing it,
// or writing in place where it has a second name), which moves that file's change time:
// neither the reads after them nor the next save take that for another program's change.
TEST_F(OnDemandSmall, OwnSavesWithABackupAreNoChangeOfAnotherProgram)
{
    SetSyncCallForTesting(TickingSync);
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place" : "replaced");
        TempDir dir;
        const std::string path = dir / "data.bin";
        Bytes want = Pattern(3000, 7);
        WriteFile(path, want);
        if (inPlace) {
            ASSERT_EQ(::link(path.c_str(), (dir / "link.bin").c_str()), 0);
        }
        Rig r(Bytes{});
        r.s.settings.CreateBackUp = true;
        r.s.settings.OverwriteWarning = false;
        ASSERT_TRUE(r.ed.LoadFromFile(path));
        ASSERT_TRUE(r.s.doc.ReadsOnDemand());
        r.host.clearLog();
        // Save, Save as over the same file, Save.
        for (const bool saveAs : {false, true, false}) {
            const Bytes before = want;
            r.ed.runCommand(Command::AppendByte);
            want.push_back(0);
            r.host.answers = {mrYes}; // Save as asks before it overwrites
            ASSERT_TRUE(r.ed.files().SaveToFile(path, saveAs));
            EXPECT_EQ(FileBytes(path), want);
            EXPECT_EQ(FileBytes(BackupNameFor(path)), before);
            EXPECT_TRUE(r.s.doc.CheckSource());
            EXPECT_EQ(BytesOf(r.s.doc), want); // every block of the file under it read anew
        }
        for (const auto &m : r.host.messages)
            EXPECT_EQ(m.text.find("another program"), std::string::npos) << m.text;
        EXPECT_FALSE(r.s.doc.SourceFailed());
    }
    SetSyncCallForTesting(nullptr);
}
