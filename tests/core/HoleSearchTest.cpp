// The holes of a sparse file read on demand are passed over unread by searches for anything
// but zeros; what they find must not change, least of all at the edges of the holes.
#include "ScriptedHost.h"

#include "document/Document.h"
#include "edit/TActions.h"
#include "search/ByteNavigation.h"
#include "search/SearchBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vtm;
using namespace vtmtest;

namespace {
using Bytes = std::vector<std::uint8_t>;

std::int64_t PlainSearch(const Bytes &b, const Bytes &pat, std::int64_t start, bool backward,
                         bool fold)
{
    std::uint8_t f[256];
    for (int v = 0; v < 256; ++v)
        f[v] = fold ? FoldByte(std::uint8_t(v)) : std::uint8_t(v);
    const std::uint8_t *d = b.data(), *q = pat.data();
    const std::int64_t n = std::int64_t(pat.size()), last = std::int64_t(b.size()) - n;
    const std::int64_t step = backward ? -1 : 1;
    for (std::int64_t c = backward ? std::min(start, last) : std::max<std::int64_t>(start, 0);
         c >= 0 && c <= last; c += step) {
        std::int64_t i = 0;
        while (i < n && f[d[c + i]] == f[q[i]])
            ++i;
        if (i == n)
            return c;
    }
    return -1;
}

struct Counting : JobMeter
{
    bool poll() override { return true; }
};
} // namespace

// A sparse file with a few stretches of random data between holes, read on demand through
// blocks that do and do not line up with the file system's; then bytes typed into a hole,
// zeros inserted, a deletion across a hole's edge. Random patterns cut from around every
// edge between zeros and data (so: ending in a hole, starting in one's last zeros, spanning
// a short one, all zeros), sometimes spoilt so that the walk runs through every hole, are
// searched both ways from starts around the edges and compared with a plain scan; so is the
// next and previous identical byte, and so are the bytes Find and mark all colours. A miss
// is still counted in full on the job's meter.
TEST(HoleSearch, MatchesAtHoleEdgesAsAPlainScan)
{
    TempDir dir;
    const std::string path = dir / "sparse.bin";
    constexpr std::int64_t size = 150000;
    std::mt19937 rng(7);
    Bytes model(size, 0);
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, size), 0);
        for (const auto &[at, n] :
             std::vector<std::pair<std::int64_t, std::int64_t>>{{0, 40},
                                                                {3 * 4096 - 5, 10},
                                                                {35001, 300},
                                                                {75000, 1},
                                                                {100000, 9000},
                                                                {size - 33, 33}}) {
            for (std::int64_t i = 0; i < n; ++i)
                model[std::size_t(at + i)] = std::uint8_t(1 + rng() % 255);
            ASSERT_EQ(::pwrite(fd, model.data() + at, std::size_t(n), at), n);
        }
        struct stat st;
        ASSERT_EQ(::fstat(fd, &st), 0);
        ::close(fd);
        if (std::int64_t(st.st_blocks) * 512 >= size)
            GTEST_SKIP() << "the file system here makes no holes";
    }
    const Bytes typed{0x11, 0, 0x22};
    model.insert(model.begin() + 60000, typed.begin(), typed.end());
    model.insert(model.begin() + 90000, 5000, 0);
    model.erase(model.begin() + 34990, model.begin() + 35011);

    const std::int64_t n = std::int64_t(model.size());

    // The queries and what a plain scan finds, once for both documents.
    struct Query
    {
        Bytes pattern;
        std::int64_t start;
        bool backward, fold;
        std::int64_t found;
        bool identical = false; // the next or previous byte like the one at start
    };
    std::vector<Query> queries;
    std::vector<std::int64_t> edges{0, n};
    for (std::int64_t p = 1; p < n; ++p)
        if ((model[std::size_t(p - 1)] == 0) != (model[std::size_t(p)] == 0))
            edges.push_back(p);
    const auto near = [&](std::int64_t spread) {
        const std::int64_t e = edges[rng() % edges.size()];
        return std::clamp<std::int64_t>(e - spread + std::int64_t(rng() % (2 * spread + 1)), 0,
                                        n - 1);
    };
    for (int k = 0; k < 400; ++k) {
        const std::int64_t len = 1 + rng() % 24;
        const std::int64_t from = std::min(near(len + 2), n - len);
        Query q{Bytes(model.begin() + from, model.begin() + from + len),
                0,
                k % 2 == 1,
                k % 5 == 0,
                0,
                false};
        if (k % 3 == 0)
            q.pattern[rng() % q.pattern.size()] ^= std::uint8_t(1 + rng() % 255);
        q.start = k % 7 == 0 ? (q.backward ? n - 1 : 0) : near(30);
        q.found = PlainSearch(model, q.pattern, q.start, q.backward, q.fold);
        queries.push_back(std::move(q));
    }
    for (int k = 0; k < 100; ++k) { // one byte: the identical-byte commands
        const std::int64_t p = near(3);
        for (const bool backward : {false, true}) {
            const Bytes one{model[std::size_t(p)]};
            const std::int64_t from = backward ? p - 1 : p + 1;
            queries.push_back(
                {one, p, backward, false, PlainSearch(model, one, from, backward, false), true});
        }
    }

    for (const std::int64_t block : {100, 4096}) {
        SCOPED_TRACE(block);
        Document::SetReadingOnDemandForTesting(0, FileSource::Limits{block, 2});
        Document doc;
        const bool loaded = doc.loadFile(path);
        Document::SetReadingOnDemandForTesting(-1, {});
        ASSERT_TRUE(loaded && doc.ReadsOnDemand());
        doc.InsertBytes(60000, typed.data(), 3);
        doc.insertZeros(90000, 5000);
        doc.remove(34990, 21);
        ASSERT_EQ(doc.BufferSize(), n);

        for (const Query &q : queries) {
            const std::int64_t got =
                !q.identical ? SearchDocument(doc, q.pattern, q.start, q.backward, q.fold)
                : q.backward ? PreviousIdenticalByte(doc, q.start)
                             : NextIdenticalByte(doc, q.start);
            ASSERT_EQ(got, q.found) << "pattern of " << q.pattern.size() << " at " << q.start
                                    << (q.backward ? " backward" : " forward");
        }

        // Find and mark all colours what a run of plain scans finds, holes passed over.
        Rig r({});
        Document::SetReadingOnDemandForTesting(0, FileSource::Limits{block, 2});
        ASSERT_TRUE(r.s.doc.loadFile(path));
        Document::SetReadingOnDemandForTesting(-1, {});
        r.s.doc.InsertBytes(60000, typed.data(), 3);
        r.s.doc.insertZeros(90000, 5000);
        r.s.doc.remove(34990, 21);
        r.host.requestLayout();
        // Some of the queries, and a pattern across every edge, each way through the whole.
        std::vector<Query> marking;
        for (std::size_t k = 0; k < queries.size(); k += 13)
            marking.push_back(queries[k]);
        for (const std::int64_t e : edges)
            if (e >= 4 && e + 4 <= n)
                for (const bool backward : {false, true})
                    marking.push_back({Bytes(model.begin() + e - 4, model.begin() + e + 4),
                                       backward ? n - 1 : 0, backward, false, 0, false});
        for (const Query &q : marking) {
            Bytes want(std::size_t(n), 0);
            for (std::int64_t p = q.start;;) {
                p = PlainSearch(model, q.pattern, p, q.backward, q.fold);
                if (p < 0)
                    break;
                std::fill_n(want.begin() + p, q.pattern.size(), 4);
                p += q.backward ? -std::int64_t(q.pattern.size()) : std::int64_t(q.pattern.size());
            }
            r.ed.MoveCursorToOffset(q.start, false, false);
            r.host.findScripts.push_back({[&q](FindState &st) {
                                              st.FindBytes = q.pattern;
                                              st.Confirm = false;
                                              st.Backward = q.backward;
                                              st.BeginAtCursor = true;
                                              st.CaseSensitive = !q.fold;
                                              st.MarkColor = 4;
                                          },
                                          FindResultAll});
            r.ed.runCommand(Command::FindAndMark);
            ASSERT_EQ(MarksOf(r.s.doc), want) << "marking a pattern of " << q.pattern.size()
                                              << " from " << q.start;
            if (r.s.History.CanUndo())
                r.s.History.Undo();
        }

        const Bytes missing{0x5A, 0xA5, 0x5A, 0xA5, 0x5A, 0xA5, 0x5A, 0xA5};
        ASSERT_EQ(PlainSearch(model, missing, 0, false, false), -1);
        for (const bool backward : {false, true}) {
            Counting meter;
            MeterScope<Document> scope(doc, &meter);
            EXPECT_EQ(SearchDocument(doc, missing, backward ? n - 8 : 0, backward, false), -1);
            EXPECT_EQ(meter.done(), n);
        }
    }
}
