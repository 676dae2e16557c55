#include "ScriptedHost.h"

#include "analysis/Compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vtm;
using namespace vtmtest;

namespace {
using Bytes = std::vector<std::uint8_t>;

const std::string kQuestionEn =
    "Should all bytes that differ from the bytes in the file be marked red and all bytes that "
    "do not exist in the file be marked yellow?\r\rWARNING: All existing marks will be erased!";
const std::string kQuestionDe =
    "Sollen alle von den Bytes in der Datei abweichenden Bytes rot und alle nicht in der "
    "Datei vorhandenen Bytes gelb markiert werden?\r\rWARNUNG: Hierbei werden alle zur Zeit "
    "bestehenden Markierungen gelöscht!";

Bytes Marks(const std::string &s)
{
    Bytes m;
    for (char c : s)
        m.push_back(c == '.' ? 0 : std::uint8_t(c - '0'));
    return m;
}

// Nothing was recorded and the marks are as they were.
void ExpectUntouched(Rig &r, const Bytes &marks)
{
    EXPECT_EQ(MarksOf(r.s.doc), marks);
    EXPECT_FALSE(r.s.History.CanUndo());
    EXPECT_TRUE(r.host.progress.empty());
}
} // namespace

TEST(Compare, IdenticalFileOnlySaysSo)
{
    TempDir dir;
    WriteFile(dir / "same", Iota(100));
    Rig r(Iota(100));
    SetMarks(r.s.doc, "..1..6");
    CompareWithFile(r.ed, dir / "same");
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(r.host.messages[0].text,
              "The contents of the file is identical to the bytes in memory!");
    EXPECT_EQ(r.host.messages[0].kind, MessageKind::Information);
    EXPECT_EQ(r.host.messages[0].buttons, unsigned(mbOK));
    ExpectUntouched(r, Marks("..1..6" + std::string(94, '.')));

    r.s.settings.Language = LanguageGerman;
    CompareWithFile(r.ed, dir / "same");
    EXPECT_EQ(r.host.messages.back().text,
              "Der Inhalt der Datei ist mit den Bytes im Speicher identisch!");
    EXPECT_EQ(CompareDialogTitle(LanguageGerman), "Daten mit welcher Datei vergleichen?");
    EXPECT_EQ(CompareDialogTitle(LanguageEnglish), "Select file to compare the data with?");
}

TEST(Compare, LongerCopyAsksWithBothLengthsAndYesUnmarksAll)
{
    TempDir dir;
    Bytes longer = Iota(20);
    longer.insert(longer.end(), {1, 2, 3});
    WriteFile(dir / "longer", longer);
    Rig r(Iota(20));
    SetMarks(r.s.doc, "1.3..6..............");
    const Bytes before = MarksOf(r.s.doc);
    r.host.answers = {mrYes};
    CompareWithFile(r.ed, dir / "longer");
    ASSERT_EQ(r.host.messages.size(), 1u);
    const MessageRequest &q = r.host.messages[0];
    EXPECT_EQ(q.text,
              "Number of bytes in memory: 20\rNumber of bytes in file: 23\r\r" + kQuestionEn);
    EXPECT_EQ(q.kind, MessageKind::Information);
    EXPECT_EQ(q.buttons, unsigned(mbYesNoCancel));
    EXPECT_EQ(q.variant, MessageVariant::WithDefault);
    EXPECT_EQ(q.defaultButton, unsigned(mbYes));
    EXPECT_EQ(MarksOf(r.s.doc), Bytes(20, 0));
    EXPECT_EQ(r.s.History.ActionCount(), 1);
    EXPECT_EQ(r.s.History.UndoName(), "(3 * Mark)");

    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(MarksOf(r.s.doc), before);
    r.ed.runCommand(Command::Redo);
    EXPECT_EQ(MarksOf(r.s.doc), Bytes(20, 0));
}

TEST(Compare, ShorterFileMarksTheRestYellowAndDifferencesRed)
{
    TempDir dir;
    WriteFile(dir / "short", Iota(12));
    Rig r(Iota(20));
    SetMarks(r.s.doc, "2...4.......6.1.....");
    CompareWithFile(r.ed, dir / "short");
    EXPECT_EQ(r.host.messages.at(0).text,
              "Number of bytes in memory: 20\rNumber of bytes in file: 12\r\r" + kQuestionEn);
    EXPECT_EQ(MarksOf(r.s.doc), Marks("............66666666"));

    // German, and one common byte differs too.
    Bytes other = Iota(12);
    other[3] = 0xEE;
    WriteFile(dir / "other", other);
    Rig g(Iota(20));
    g.s.settings.Language = LanguageGerman;
    CompareWithFile(g.ed, dir / "other");
    EXPECT_EQ(g.host.messages.at(0).text,
              "Anzahl der Bytes im Speicher: 20\rAnzahl der Bytes in der Datei: 12\r\r"
              "Anzahl unterschiedlicher Bytes: 1\r\r"
                  + kQuestionDe);
    EXPECT_EQ(MarksOf(g.s.doc), Marks("...1........66666666"));

    // Same length: only the count of differences is asked about.
    Bytes same = Iota(20);
    same[0] = same[19] = 0xEE;
    WriteFile(dir / "samelength", same);
    Rig s(Iota(20));
    CompareWithFile(s.ed, dir / "samelength");
    EXPECT_EQ(s.host.messages.at(0).text, "number of different bytes: 2\r\r" + kQuestionEn);
    EXPECT_EQ(MarksOf(s.s.doc), Marks("1..................1"));
}

TEST(Compare, OnlyChangedMarksAreRecorded)
{
    TempDir dir;
    Bytes file = Iota(10);
    file[0] = file[5] = 0xFF;
    WriteFile(dir / "f", file);
    Rig r(Iota(10));
    SetMarks(r.s.doc, "1.6.......");
    CompareWithFile(r.ed, dir / "f");
    EXPECT_EQ(MarksOf(r.s.doc), Marks("1....1...."));
    // Offset 0 was red already: changes only at 2 (yellow to 0) and 5 (to red).
    EXPECT_EQ(r.s.History.UndoName(), "(2 * Mark)");
    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(MarksOf(r.s.doc), Marks("1.6......."));

    // Nothing to change: no step is recorded.
    Rig done(Iota(10));
    SetMarks(done.s.doc, "1....1....");
    CompareWithFile(done.ed, dir / "f");
    EXPECT_FALSE(done.s.History.CanUndo());
    EXPECT_EQ(MarksOf(done.s.doc), Marks("1....1...."));
}

TEST(Compare, ProgressRunsFromOneToNinetyNine)
{
    TempDir dir;
    for (const int fileLength : {1000, 500, 0}) {
        SCOPED_TRACE(fileLength);
        Bytes file(std::size_t(fileLength), 0xEE);
        WriteFile(dir / "p", file);
        Rig r(Bytes(1000, 1));
        CompareWithFile(r.ed, dir / "p");
        ASSERT_EQ(r.host.progress.size(), 99u);
        for (int p = 1; p <= 99; ++p)
            EXPECT_EQ(r.host.progress[std::size_t(p - 1)], std::to_string(p) + "%");
        Bytes expected(1000, 6);
        std::fill_n(expected.begin(), fileLength, 1);
        EXPECT_EQ(MarksOf(r.s.doc), expected);
    }
    // Fewer bytes than percentages: only the percentages some offset reaches.
    WriteFile(dir / "p", Bytes(3, 0xEE));
    Rig small(Bytes(3, 1));
    CompareWithFile(small.ed, dir / "p");
    EXPECT_EQ(small.host.progress, (std::vector<std::string>{"33%", "66%"}));
}

TEST(Compare, NoOrCancelChangesNothing)
{
    TempDir dir;
    WriteFile(dir / "f", Bytes(8, 9));
    for (const int answer : {int(mrNo), int(mrCancel)}) {
        Rig r(Iota(8));
        SetMarks(r.s.doc, ".3......");
        r.host.answers = {answer};
        CompareWithFile(r.ed, dir / "f");
        EXPECT_EQ(r.host.messages.size(), 1u);
        ExpectUntouched(r, Marks(".3......"));
    }
}

TEST(Compare, UnreadableFilesAreReportedAndNothingIsMarked)
{
    TempDir dir;
    WriteFile(dir / "locked", Bytes(8, 9));
    ::chmod((dir / "locked").c_str(), 0);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::vector<std::string> paths = {dir / "missing", dir.path, dir / "fifo"};
    if (::geteuid() != 0) // root reads it anyway
        paths.push_back(dir / "locked");
    for (const std::string &path : paths) {
        SCOPED_TRACE(path);
        for (const Language language : {LanguageEnglish, LanguageGerman}) {
            Rig r(Iota(8));
            r.s.settings.Language = language;
            SetMarks(r.s.doc, "....5...");
            CompareWithFile(r.ed, path);
            ASSERT_EQ(r.host.messages.size(), 1u);
            EXPECT_EQ(r.host.messages[0].kind, MessageKind::Error);
            EXPECT_EQ(r.host.messages[0].buttons, unsigned(mbOK));
            EXPECT_NE(r.host.messages[0].text.find("\"" + path + "\""), std::string::npos);
            EXPECT_EQ(r.host.messages[0].text.find("identi"), std::string::npos);
            ExpectUntouched(r, Marks("....5..."));
        }
    }
}

namespace {
// Shortens the file while the question is up, between the two passes.
class ShrinkingHost : public ScriptedHost
{
public:
    std::string file;
    int showMessage(const MessageRequest &request) override
    {
        if (messages.empty()) {
            EXPECT_EQ(::truncate(file.c_str(), 4), 0);
        }
        return ScriptedHost::showMessage(request);
    }
};
} // namespace

TEST(Compare, FileThatChangesBetweenThePassesMarksNothing)
{
    TempDir dir;
    WriteFile(dir / "f", Bytes(16, 9));
    EditorState s;
    ShrinkingHost host;
    host.file = dir / "f";
    Editor ed(s, host);
    s.doc.loadBytes(Iota(16).data(), 16);
    SetMarks(s.doc, "...2");
    CompareWithFile(ed, host.file);
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].kind, MessageKind::Error);
    EXPECT_NE(host.messages[1].text.find("changed"), std::string::npos);
    EXPECT_EQ(MarksOf(s.doc), Marks("...2............"));
    EXPECT_FALSE(s.History.CanUndo());
}

TEST(Compare, FileOfMoreThanTwoGigabytes)
{
    TempDir dir;
    const std::string path = dir / "big";
    const std::int64_t length = (std::int64_t(3) << 30) + 5;
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const bool sized = ::ftruncate(fd, off_t(length)) == 0;
    ::close(fd);
    if (!sized)
        GTEST_SKIP() << "no sparse file of that size here";
    Rig r(Iota(16)); // byte 0 agrees with the file's zeros
    r.host.answers = {mrNo};
    CompareWithFile(r.ed, path);
    EXPECT_EQ(r.host.messages.at(0).text,
              "Number of bytes in memory: 16\rNumber of bytes in file: 3221225477\r\r"
              "number of different bytes: 15\r\r"
                  + kQuestionEn);
    EXPECT_FALSE(r.s.History.CanUndo());
    CompareWithFile(r.ed, path);
    EXPECT_EQ(MarksOf(r.s.doc), Marks(".111111111111111"));
}

TEST(Compare, CountsAndMarksEveryDifferenceOfALargerDocument)
{
    // Past one read block and with runs of differences longer than a counting round.
    std::mt19937_64 rng(7);
    const std::size_t size = (std::size_t(1) << 20) + 4096 * 3 + 7;
    Bytes doc(size), marks(size, 0);
    for (auto &b : doc)
        b = std::uint8_t(rng());
    Bytes file = doc;
    std::int64_t differing = 0;
    auto differ = [&](std::size_t i) {
        if (file[i] == doc[i])
            ++differing;
        file[i] = std::uint8_t(doc[i] ^ (1 + rng() % 255));
        marks[i] = 1;
    };
    for (int k = 0; k < 3000; ++k)
        differ(std::size_t(rng() % size));
    for (std::size_t i = 8192; i < 8192 + 5000; ++i)
        differ(i);
    differ(size - 1);
    TempDir dir;
    WriteFile(dir / "f", file);
    Rig r(doc);
    r.s.doc.SetMark(3, 4);
    r.s.doc.SetMark(std::int32_t(size - 2), 6);
    CompareWithFile(r.ed, dir / "f");
    EXPECT_EQ(r.host.messages.at(0).text,
              "number of different bytes: " + std::to_string(differing) + "\r\r" + kQuestionEn);
    EXPECT_EQ(MarksOf(r.s.doc), marks);
}
