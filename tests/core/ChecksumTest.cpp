// Checksums and hashes: the libraries' results reach the user unchanged, over documents in
// pieces, with holes, read on demand, and over the marked run at the cursor.
#include "ScriptedHost.h"

#include "analysis/Checksums.h"
#include "document/FileSource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include <fcntl.h>
#include <unistd.h>

using namespace vtm;
using namespace vtmtest;

namespace {
using Bytes = std::vector<std::uint8_t>;
using Results = std::vector<std::pair<Checksum, std::string>>;

Results Of(const Bytes &bytes, ChecksumSet set = AllChecksums)
{
    Document doc;
    doc.loadBytes(bytes.data(), std::int64_t(bytes.size()));
    return ComputeChecksums(doc, 0, doc.BufferSize(), set);
}

std::string Find(const Results &results, Checksum c)
{
    for (const auto &[kind, value] : results)
        if (kind == c)
            return value;
    return "(missing)";
}

// The first word a command prints, or empty when it cannot run.
std::string FirstWord(const std::string &command)
{
    std::string out;
    if (std::FILE *p = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, p))
            out += buffer;
        if (::pclose(p) != 0)
            return {};
    }
    const auto begin = out.find_first_not_of(" \t\n");
    if (begin == std::string::npos)
        return {};
    return out.substr(begin, out.find_first_of(" \t\n", begin) - begin);
}
} // namespace

// The published values for the empty input, "abc" and a million "a".
TEST(Checksums, PublishedVectors)
{
    struct Row
    {
        Checksum kind;
        const char *empty, *abc, *million;
    };
    const Row rows[] = {
        {Checksum::Crc32, "00000000", "352441c2", "dc25bfbc"},
        {Checksum::Adler32, "00000001", "024d0127", "15d870f9"},
        {Checksum::Md5, "d41d8cd98f00b204e9800998ecf8427e", "900150983cd24fb0d6963f7d28e17f72",
         "7707d6ae4e027c70eea2a935c2296f21"},
        {Checksum::Sha1, "da39a3ee5e6b4b0d3255bfef95601890afd80709",
         "a9993e364706816aba3e25717850c26c9cd0d89d", "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {Checksum::Sha256, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
         "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {Checksum::Sha512,
         "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff8318d28"
         "77eec2f63b931bd47417a81a538327af927da3e",
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a"
         "3feebbd454d4423643ce80e2a9ac94fa54ca49f",
         "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973ebde0ff244877ea60a4cb0432ce"
         "577c31beb009c5c2c49aa2e4eadb217ad8cc09b"},
        {Checksum::Sha3_256, "a7ffc6f8bf1ed76651c14756a061d662f580ff4de43b49fa82d80a4b80f8434a",
         "3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532",
         "5c8875ae474a3634ba4fd55ec85bffd661f32aca75c6d699d0cdcb6c115891c1"},
        {Checksum::Blake2b512,
         "786a02f742015903c6c6fd852552d272912f4740e15847618a86e217f71f5419d25e1031afee58531389644493"
         "4eb04b903a685b1448b755d56f701afe9be2ce",
         "ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d17d87c5392aab792dc252d5de45"
         "33cc9518d38aa8dbf1925ab92386edd4009923",
         "98fb3efb7206fd19ebf69b6f312cf7b64e3b94dbe1a17107913975a793f177e1d077609d7fba363cbba00d05f7"
         "aa4e4fa8715d6428104c0a75643b0ff3fd3eaf"},
        {Checksum::Xxh3_64, "2d06800538d394c2", "78af5f94892f3950", "b1fd6fae5285c4eb"},
    };
    const Results empty = Of({}), abc = Of({'a', 'b', 'c'}), million = Of(Bytes(1000000, 'a'));
    ASSERT_EQ(abc.size(), std::size_t(ChecksumCount));
    for (const Row &row : rows) {
        SCOPED_TRACE(ChecksumName(row.kind));
        EXPECT_EQ(Find(empty, row.kind), row.empty);
        EXPECT_EQ(Find(abc, row.kind), row.abc);
        EXPECT_EQ(Find(million, row.kind), row.million);
    }
    // Only what was chosen, in the fixed order.
    const Results two = Of({'a', 'b', 'c'}, Bit(Checksum::Xxh3_64) | Bit(Checksum::Crc32));
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].first, Checksum::Crc32);
    EXPECT_EQ(two[1].first, Checksum::Xxh3_64);
}

// However the bytes come (typed pieces among a file's, zeros fed without memory), every
// result equals that of the same bytes in one buffer.
TEST(Checksums, PiecesAndZerosGiveTheSameResults)
{
    std::mt19937 rng(5);
    Bytes bytes(300000);
    for (auto &b : bytes)
        b = std::uint8_t(rng() % 4 == 0 ? 0 : rng());
    std::fill(bytes.begin() + 1000, bytes.begin() + 150000, 0);
    const Results whole = Of(bytes);

    ChecksumRun run(AllChecksums);
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t n = std::min<std::size_t>(1 + rng() % 100000, bytes.size() - at);
        const bool allZero =
            std::all_of(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + n),
                        [](std::uint8_t b) { return b == 0; });
        if (allZero)
            run.addZeros(std::int64_t(n));
        else
            run.add(bytes.data() + at, n);
        at += n;
    }
    EXPECT_EQ(run.finish(), whole);

    // Edits split the document into pieces; inserted zeros come unread.
    Document doc;
    doc.loadBytes(bytes.data(), 1000);
    doc.insertZeros(1000, 149000);
    doc.InsertBytes(150000, bytes.data() + 150000, std::int64_t(bytes.size()) - 150000);
    EXPECT_EQ(ComputeChecksums(doc, 0, doc.BufferSize(), AllChecksums), whole);
    EXPECT_EQ(ComputeChecksums(doc, 5000, 250000, AllChecksums),
              Of(Bytes(bytes.begin() + 5000, bytes.begin() + 250000)));
}

// A sparse file read on demand in small blocks: the results are those of the system's own
// tools over the file.
TEST(Checksums, FileReadOnDemandMatchesTheSystemTools)
{
    Document::SetReadingOnDemandForTesting(0, FileSource::Limits{4096, 2});
    TempDir dir;
    const std::string path = dir / "image.bin";
    {
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 3 << 20), 0); // holes, with data between them
        for (int i = 0; i < 40; ++i) {
            const std::string text = "block " + std::to_string(i * 7919);
            ASSERT_EQ(::pwrite(fd, text.data(), text.size(), off_t(i) * 77777), ssize_t(text.size()));
        }
        ::close(fd);
    }
    Document doc;
    ASSERT_TRUE(doc.loadFile(path));
    ASSERT_TRUE(doc.ReadsOnDemand());
    const Results results = ComputeChecksums(doc, 0, doc.BufferSize(), AllChecksums);
    Document::SetReadingOnDemandForTesting(-1, {});

    const std::pair<Checksum, std::string> tools[] = {
        {Checksum::Md5, "md5sum"},        {Checksum::Sha1, "sha1sum"},
        {Checksum::Sha256, "sha256sum"},  {Checksum::Sha512, "sha512sum"},
        {Checksum::Blake2b512, "b2sum"},  {Checksum::Xxh3_64, "xxhsum -H3"},
    };
    int compared = 0;
    for (const auto &[kind, tool] : tools) {
        std::string expected = FirstWord(tool + " '" + path + "'");
        if (kind == Checksum::Xxh3_64) // "XXH3 (file) = value" or "XXH3_value  file"
            expected = FirstWord(tool + " '" + path + "' | sed 's/.*= //; s/^XXH3_//'");
        if (expected.empty())
            continue; // the tool is not installed here
        EXPECT_EQ(Find(results, kind), expected) << tool;
        ++compared;
    }
    // gzip's trailer holds the CRC-32 of its input, least significant byte first.
    const std::string crc = FirstWord("gzip -1 -c '" + path + "' | tail -c 8 | od -An -tx4 -N4");
    if (!crc.empty()) {
        EXPECT_EQ(Find(results, Checksum::Crc32), std::string(8 - crc.size(), '0') + crc);
        ++compared;
    }
    EXPECT_GE(compared, 5);
}

// The command: the dialog is offered the marked run at the cursor and the remembered
// choice; a stop shows nothing; the choice is remembered.
TEST(Checksums, CommandOverTheMarkedRunAndStop)
{
    Bytes bytes(100);
    for (int i = 0; i < 100; ++i)
        bytes[std::size_t(i)] = std::uint8_t(i * 3);
    Rig r(bytes);
    r.s.doc.FillMarks(20, 30, 2);
    r.s.doc.FillMarks(51, 1, 2); // the same colour, not touching
    r.ed.MoveCursorToOffset(53, false, false); // unmarked
    r.host.checksumChoice = [](ChecksumRequest &q) { q.set = Bit(Checksum::Sha256); };
    r.ed.runCommand(Command::Checksums);
    ASSERT_EQ(r.host.checksumRequests.size(), 1u);
    EXPECT_EQ(r.host.checksumRequests[0].set, ChecksumSet(0x11)); // CRC-32 and SHA-256 at first
    EXPECT_EQ(r.host.checksumRequests[0].runEnd, r.host.checksumRequests[0].runStart);
    ASSERT_EQ(r.host.checksumReports.size(), 1u);
    EXPECT_EQ(r.host.checksumReports[0].to, 100);
    EXPECT_EQ(r.host.checksumReports[0].results, Of(bytes, Bit(Checksum::Sha256)));
    EXPECT_EQ(r.s.settings.Checksums, int(Bit(Checksum::Sha256)));

    r.ed.MoveCursorToOffset(37, false, false); // inside [20, 50)
    r.host.checksumChoice = [](ChecksumRequest &q) { q.markedRun = true; };
    r.ed.runCommand(Command::Checksums);
    const ChecksumRequest &asked = r.host.checksumRequests.back();
    EXPECT_EQ(asked.set, Bit(Checksum::Sha256));
    EXPECT_EQ(asked.runStart, 20);
    EXPECT_EQ(asked.runEnd, 50);
    ASSERT_EQ(r.host.checksumReports.size(), 2u);
    EXPECT_TRUE(r.host.checksumReports[1].markedRun);
    EXPECT_EQ(r.host.checksumReports[1].results,
              Of(Bytes(bytes.begin() + 20, bytes.begin() + 50), Bit(Checksum::Sha256)));

    // Among dense marks (a colour a byte), the run is still found whole.
    {
        Document doc;
        const Bytes zeros(4000);
        doc.loadBytes(zeros.data(), 4000);
        Bytes colours(4000);
        for (std::size_t i = 0; i < colours.size(); i += 2)
            colours[i] = 1;
        std::fill(colours.begin() + 1001, colours.begin() + 2500, 3);
        doc.SetMarks(0, colours.data(), 4000);
        EXPECT_EQ(doc.MarkRuns().runAt(1700), (MarkRun{1001, 2500, 3}));
        EXPECT_EQ(doc.MarkRuns().runAt(2501).colour, 0);
    }

    // Stopped: nothing shown, the document as it was.
    r.host.stopAtPoll = 1;
    r.ed.runCommand(Command::Checksums);
    EXPECT_EQ(r.host.checksumReports.size(), 2u);
    EXPECT_EQ(r.host.status[2].rfind("Stopped at", 0), 0u) << r.host.status[2];
    EXPECT_FALSE(r.s.doc.isModified());
}
