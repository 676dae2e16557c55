// Disks and partitions: a regular file stands in for a device (fixed size, sector size, no
// times in its stamp); a real loop device where the tests may attach one.
#include "ScriptedHost.h"

#include "analysis/Statistics.h"
#include "document/BlockDevice.h"
#include "document/FileTexts.h"
#include "edit/EditTexts.h"
#include "edit/TActions.h"
#include "edit/TReplaceAction.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <random>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vtm;
using namespace vtmtest;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Random(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto &x : b)
        x = std::uint8_t(rng());
    return b;
}

bool Has(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

// Overtypes [p, p + bytes.size()) as one step.
bool Overtype(Rig &r, std::int64_t p, const Bytes &bytes)
{
    return r.s.History.AddAction(std::make_unique<TReplaceAction>(r.ed, r.ed.NextCommandNumber(), p,
                                                                  false, std::int64_t(bytes.size()),
                                                                  bytes.data(),
                                                                  std::int64_t(bytes.size())),
                                 true);
}

// Opens the device and allows writing to it.
bool OpenWritable(Rig &r, const std::string &path)
{
    if (!r.ed.LoadFromFile(path))
        return false;
    r.host.answers = {mrYes};
    r.ed.runCommand(Command::AllowDeviceWriting);
    return r.s.doc.WritingAllowed();
}

class Devices : public ::testing::Test
{
protected:
    void TearDown() override
    {
        SetFakeDeviceForTesting(std::string(), 0, 0);
        SetDeviceWriteFailureForTesting(-1, 0);
        Document::SetReadingOnDemandForTesting(-1, {});
        Document::SetKeepLimitForTesting(-1);
    }
    // A file standing in for a device of its size.
    std::string device(const Bytes &bytes, int sector = 512)
    {
        const std::string path = m_dir / ("disk" + std::to_string(++m_count));
        WriteFile(path, bytes);
        SetFakeDeviceForTesting(path, std::int64_t(bytes.size()), sector);
        return path;
    }
    TempDir m_dir;
    int m_count = 0;
};

} // namespace

TEST_F(Devices, OpenReadOnlyUntilAllowedAndNeverChangeSize)
{
    const Bytes original = Random(64 * 1024, 1);
    const std::string path = device(original, 4096);
    Rig r(Bytes{});
    ASSERT_TRUE(r.ed.LoadFromFile(path));
    Document &doc = r.s.doc;
    ASSERT_TRUE(doc.IsDevice());
    EXPECT_TRUE(doc.ReadsOnDemand()); // however small
    EXPECT_EQ(doc.SectorSize(), 4096);
    EXPECT_EQ(r.host.caption, "Vantreelmorbisco [" + path + "] (device, read-only)");
    EXPECT_EQ(r.s.settings.File[0], path);
    EXPECT_EQ(StatisticLines({}, doc.BufferSize(), false, path, Language::English, false, ".",
                             doc.SectorSize())[4],
              "Device, sector size: 4096 bytes");

    // Read-only: typing and pasting over are refused, once per command, saying how to
    // allow writing; marks are no change of the bytes.
    r.host.clearLog();
    r.ed.FormKeyPress(U'a');
    EXPECT_EQ(r.s.view.CursorCol, 0); // a refused digit does not move on
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(r.host.messages[0].text, DeviceReadOnlyText(Language::English));
    EXPECT_TRUE(Has(r.host.messages[0].text, "Options > Allow writing to the device"));
    EXPECT_FALSE(doc.isModified());
    r.ed.runCommand(Command::MarkRed);
    EXPECT_EQ(doc.MarkAt(0), 1);

    // Every command that would change the size is refused before any dialog.
    for (Command c : {Command::Insert, Command::Delete, Command::Backspace, Command::AppendByte,
                      Command::InsertBytes, Command::AppendBytes, Command::DeleteBytes}) {
        r.host.clearLog();
        r.ed.runCommand(c);
        ASSERT_EQ(r.host.messages.size(), 1u) << int(c);
        EXPECT_EQ(r.host.messages[0].text, DeviceFixedSizeText(Language::English));
    }
    EXPECT_EQ(doc.BufferSize(), std::int64_t(original.size()));

    // Allowing asks first, naming the device, its size and whether it is mounted; No is the
    // default and changes nothing.
    r.host.clearLog();
    r.host.answers = {mrNo};
    r.ed.runCommand(Command::AllowDeviceWriting);
    ASSERT_EQ(r.host.messages.size(), 1u);
    const MessageRequest &q = r.host.messages[0];
    EXPECT_TRUE(Has(q.text, "Allow writing to the device " + path + " (64 KiB (65,536 bytes))?"))
        << q.text;
    EXPECT_TRUE(Has(q.text, "mounted")) << q.text;
    EXPECT_EQ(q.defaultButton, mbNo);
    EXPECT_TRUE(doc.ReadOnly());
    r.host.answers = {mrYes};
    r.ed.runCommand(Command::AllowDeviceWriting);
    EXPECT_TRUE(doc.WritingAllowed());
    EXPECT_EQ(r.host.caption, "Vantreelmorbisco [" + path + "] (device, writable)");

    // Writable: overtyping works, the size stays fixed, also for a replacement of another
    // length and a paste that would insert.
    r.host.clearLog();
    r.ed.MoveCursorToOffset(0, false, false);
    r.ed.FormKeyPress(U'4');
    r.ed.FormKeyPress(U'2');
    EXPECT_EQ(doc.ByteAt(0), 0x42);
    EXPECT_TRUE(r.host.messages.empty());
    const Bytes three = {1, 2, 3};
    EXPECT_FALSE(
        r.s.History.AddAction(std::make_unique<TReplaceAction>(r.ed, r.ed.NextCommandNumber(), 10,
                                                               false, 2, three.data(), 3),
                              true));
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(r.host.messages[0].text, DeviceFixedSizeText(Language::English));
    EXPECT_EQ(doc.BufferSize(), std::int64_t(original.size()));
    EXPECT_TRUE(r.s.History.CanUndo()); // a refusal keeps the history

    // In German, and the caption follows the language.
    r.host.clearLog();
    r.ed.SetLanguage(Language::German);
    EXPECT_EQ(r.host.caption, "Vantreelmorbisco [" + path + "] (Gerät, beschreibbar)");
    r.ed.runCommand(Command::Insert);
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_TRUE(Has(r.host.messages[0].text, "Die Größe eines Geräts ist fest"));

    // A device that is unplugged (here: its size changes) fails like a truncated file.
    SetFakeDeviceForTesting(std::string(), 0, 0);
    SetFakeDeviceForTesting(path, 32 * 1024, 512);
    EXPECT_FALSE(doc.CheckSource());
    EXPECT_TRUE(doc.SourceFailed());
}

TEST_F(Devices, SavesWriteOnlyTheChangedSectorsInPlaceAndUndoStillReadsTheOldBytes)
{
    // Tiny blocks: the bytes kept from before a save meet block edges all the time.
    Document::SetReadingOnDemandForTesting(0, FileSource::Limits{96, 2});
    const Bytes original = Random(16 * 512, 2);
    const std::string path = device(original);
    struct stat before;
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    Rig r(Bytes{});
    ASSERT_TRUE(OpenWritable(r, path));
    Document &doc = r.s.doc;

    // Two changes three sectors apart; another program writes into an untouched sector,
    // which a device does not tell: only the changed sectors are written back.
    ASSERT_TRUE(Overtype(r, 700, {0xAA, 0xBB}));
    ASSERT_TRUE(Overtype(r, 5 * 512 - 1, {0xCC, 0xDD})); // straddles two sectors
    EXPECT_EQ(doc.ChangedRanges().size(), 2u);
    {
        std::FILE *f = std::fopen(path.c_str(), "r+b");
        std::fseek(f, 3000, SEEK_SET);
        std::fputc(0x77, f);
        std::fclose(f);
    }
    r.host.clearLog();
    r.host.answers = {mrYes};
    r.ed.runCommand(Command::Save);
    ASSERT_EQ(r.host.messages.size(), 1u) << r.host.messages[1].text;
    const std::string &q = r.host.messages[0].text;
    EXPECT_TRUE(Has(q, "Write the changes straight into the device " + path + "?")) << q;
    EXPECT_TRUE(Has(q, "1,536 bytes in 2 ranges")) << q;
    EXPECT_TRUE(Has(q, "no temporary file and no backup copy")) << q;
    EXPECT_EQ(r.host.messages[0].defaultButton, mbNo);
    EXPECT_FALSE(doc.isModified());

    Bytes expected = original;
    expected[700] = 0xAA, expected[701] = 0xBB, expected[5 * 512 - 1] = 0xCC,
    expected[5 * 512] = 0xDD, expected[3000] = 0x77;
    EXPECT_EQ(ReadFile(path), expected);
    struct stat after;
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino); // in place
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.path),
                            std::filesystem::directory_iterator()),
              1); // no temporary file, no backup

    // Undo reads the bytes as opened, though the device holds others now; saving that
    // writes them back.
    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(doc.ByteAt(5 * 512 - 1), original[5 * 512 - 1]);
    EXPECT_EQ(doc.ByteAt(5 * 512), original[5 * 512]);
    r.host.answers = {mrYes};
    r.ed.runCommand(Command::Save);
    expected[5 * 512 - 1] = original[5 * 512 - 1], expected[5 * 512] = original[5 * 512];
    EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(Devices, ASaveTooLargeToKeepItsOldBytesSaysSoAndDropsTheUndoSteps)
{
    const Bytes original = Random(8 * 512, 8);
    const std::string path = device(original);
    Rig r(Bytes{});
    ASSERT_TRUE(OpenWritable(r, path));
    ASSERT_TRUE(Overtype(r, 100, {1, 2}));
    ASSERT_TRUE(Overtype(r, 2000, {3}));
    Document::SetKeepLimitForTesting(600); // two sectors are more
    r.host.clearLog();
    r.host.answers = {mrYes};
    r.ed.runCommand(Command::Save);
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_TRUE(Has(r.host.messages[0].text, "Nothing before it can be undone afterwards"));
    EXPECT_FALSE(r.s.History.CanUndo());
    Bytes expected = original;
    expected[100] = 1, expected[101] = 2, expected[2000] = 3;
    EXPECT_EQ(ReadFile(path), expected);
    EXPECT_EQ(BytesOf(r.s.doc), expected);
    // Later steps undo as usual.
    ASSERT_TRUE(Overtype(r, 2000, {4}));
    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(r.s.doc.ByteAt(2000), 3);
}

TEST_F(Devices, RandomOvertypesUndoesAndSavesKeepDeviceAndDocumentEqual)
{
    Document::SetReadingOnDemandForTesting(0, FileSource::Limits{200, 3});
    const Bytes original = Random(8 * 512, 3);
    const std::string path = device(original);
    Rig r(Bytes{});
    ASSERT_TRUE(OpenWritable(r, path));
    std::mt19937 rng(4);
    Bytes model = original;
    std::vector<Bytes> undo, redo; // the model's states
    for (int round = 0; round < 400; ++round) {
        const unsigned op = rng() % 10;
        if (op < 5) {
            const std::size_t n = 1 + rng() % 700;
            const std::size_t p = rng() % (model.size() - n);
            const Bytes bytes = Random(n, unsigned(round));
            ASSERT_TRUE(Overtype(r, std::int64_t(p), bytes));
            undo.push_back(model);
            redo.clear();
            std::copy(bytes.begin(), bytes.end(), model.begin() + std::ptrdiff_t(p));
        } else if (op < 7 && !undo.empty()) {
            r.ed.runCommand(Command::Undo);
            redo.push_back(model);
            model = undo.back();
            undo.pop_back();
        } else if (op < 8 && !redo.empty()) {
            r.ed.runCommand(Command::Redo);
            undo.push_back(model);
            model = redo.back();
            redo.pop_back();
        } else {
            // Now and then a save too large to keep the old bytes: the history goes.
            Document::SetKeepLimitForTesting(rng() % 4 == 0 ? 0 : -1);
            r.host.answers = {mrYes};
            r.ed.runCommand(Command::Save);
            ASSERT_EQ(ReadFile(path), model) << "round " << round;
            if (!r.s.History.CanUndo())
                undo.clear();
            if (!r.s.History.CanRedo())
                redo.clear();
        }
        ASSERT_EQ(BytesOf(r.s.doc), model) << "round " << round;
    }
}

TEST_F(Devices, AWriteErrorPartWaySaysWhereAndKeepsTheChanges)
{
    const Bytes original = Random(8 * 512, 5);
    const std::string path = device(original);
    Rig r(Bytes{});
    ASSERT_TRUE(OpenWritable(r, path));
    ASSERT_TRUE(Overtype(r, 10, {1}));
    ASSERT_TRUE(Overtype(r, 3000, {2}));
    SetDeviceWriteFailureForTesting(2600, EIO);
    r.host.clearLog();
    r.host.answers = {mrYes};
    r.ed.runCommand(Command::Save);
    ASSERT_EQ(r.host.messages.size(), 2u) << r.host.messages[2].text;
    const std::string &m = r.host.messages[1].text;
    EXPECT_EQ(m, "Writing failed!\rWhile writing to the device at offset 2600 (A28h): "
                 "input/output error (the disk may be failing or gone).\rOf the 2 changed "
                 "ranges, 1 were written completely before it (552 bytes in all). The document "
                 "keeps its changes: save again, or undo them.");
    EXPECT_TRUE(r.s.doc.isModified());
    EXPECT_EQ(r.host.caption, "Vantreelmorbisco [" + path + "] (device, writable)");
    const Bytes now = ReadFile(path);
    EXPECT_EQ(now[10], 1);
    EXPECT_EQ(now[3000], original[3000]);

    // Retried without the fault, everything is written.
    SetDeviceWriteFailureForTesting(-1, 0);
    r.host.answers = {mrYes};
    r.ed.runCommand(Command::Save);
    EXPECT_FALSE(r.s.doc.isModified());
    EXPECT_EQ(ReadFile(path), BytesOf(r.s.doc));

    // The reasons of refused opens of devices.
    FileFailure denied = FileFailure::System(FileStep::Opening, EACCES);
    denied.fileType = S_IFBLK;
    denied.owner = 0;
    EXPECT_EQ(FailureReason(Language::English, denied),
              "While opening: permission denied. Run the program with the rights to read the "
              "device, for example as a member of the group \"root\" that owns it.");
    EXPECT_TRUE(Has(FailureReason(Language::German, denied), "Mitglied der Gruppe \"root\""));
    FileFailure unknown = FileFailure::Of(FileStep::None, FileProblem::UnknownSize);
    EXPECT_EQ(FailureReason(Language::English, unknown),
              "It is a block device whose size the system does not tell.");
}

TEST_F(Devices, SaveAsImagesTheDeviceIntoAFileThatMayThenChangeSize)
{
    const Bytes original = Random(300 * 1024 + 512, 6);
    const std::string path = device(original);
    Rig r(Bytes{});
    ASSERT_TRUE(r.ed.LoadFromFile(path));
    const std::string image = m_dir / "image.bin";
    r.host.chosenFiles = {image};
    r.ed.runCommand(Command::SaveAs);
    EXPECT_EQ(ReadFile(image), original);
    EXPECT_FALSE(r.s.doc.IsDevice());
    EXPECT_EQ(r.host.caption, "Vantreelmorbisco [" + image + "]");
    r.host.clearLog();
    r.ed.runCommand(Command::Insert);
    EXPECT_EQ(r.s.doc.BufferSize(), std::int64_t(original.size()) + 1);
    EXPECT_EQ(ReadFile(path), original);
}

namespace {
// Runs a command; its first line of output, or "" when it failed.
std::string Shell(const std::string &command)
{
    std::string out;
    if (std::FILE *p = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char line[512];
        if (std::fgets(line, sizeof line, p))
            out = line;
        if (::pclose(p) != 0)
            out.clear();
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}
} // namespace

TEST_F(Devices, ALoopDeviceOpensSavesInPlaceAndImagesByteExact)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "attaching a loop device needs root";
    const Bytes original = Random(4 << 20, 7);
    const std::string backing = m_dir / "backing.img";
    WriteFile(backing, original);
    const std::string loop = Shell("losetup -f --show '" + backing + "'");
    if (loop.rfind("/dev/loop", 0) != 0)
        GTEST_SKIP() << "losetup cannot attach a loop device here";
    struct Detach
    {
        std::string loop;
        ~Detach() { Shell("losetup -d '" + loop + "'"); }
    } detach{loop};

    Rig r(Bytes{});
    ASSERT_TRUE(r.ed.LoadFromFile(loop))
        << (r.host.messages.empty() ? "" : r.host.messages[0].text);
    Document &doc = r.s.doc;
    ASSERT_TRUE(doc.IsDevice());
    EXPECT_EQ(doc.BufferSize(), std::int64_t(original.size()));
    EXPECT_GT(doc.SectorSize(), 0);
    r.ed.runCommand(Command::End);
    EXPECT_EQ(r.s.view.CursorOffset(), std::int64_t(original.size()) - 1);
    EXPECT_EQ(doc.ByteAt(std::int64_t(original.size()) - 1), original.back());

    r.host.clearLog();
    r.ed.runCommand(Command::Insert);
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(r.host.messages[0].text, DeviceFixedSizeText(Language::English));

    r.host.clearLog();
    r.host.answers = {mrYes};
    r.ed.runCommand(Command::AllowDeviceWriting);
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_TRUE(Has(r.host.messages[0].text, "The device is not mounted."));
    ASSERT_TRUE(Overtype(r, 1000, {std::uint8_t(original[1000] ^ 0xFF)}));
    r.host.answers = {mrYes};
    r.ed.runCommand(Command::Save);
    EXPECT_FALSE(doc.isModified());
    Shell("sync");
    Bytes expected = original;
    expected[1000] ^= 0xFF;
    EXPECT_EQ(ReadFile(backing), expected);

    const std::string image = m_dir / "image.bin";
    r.host.chosenFiles = {image};
    r.ed.runCommand(Command::SaveAs);
    EXPECT_EQ(ReadFile(image), expected);
}
