#include "document/PieceTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <new>
#include <random>
#include <stdexcept>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

using namespace vtm;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::int64_t Size(const Bytes &b)
{
    return std::int64_t(b.size());
}

std::int64_t Pick(std::mt19937_64 &rng, std::int64_t lo, std::int64_t hi) // [lo, hi]
{
    return hi <= lo ? lo : lo + std::int64_t(rng() % std::uint64_t(hi - lo + 1));
}

Bytes Random(std::mt19937_64 &rng, std::int64_t n)
{
    Bytes b(std::size_t(n), 0);
    for (auto &c : b)
        c = std::uint8_t(rng() % 5 == 0 ? 0 : rng()); // some zeros, as files have
    return b;
}

// The spans of [a, b) in either direction, stopped after `limit` of them: they must tile the
// range from the near end without gaps, each no longer than maxSpan, and hold expected[]
// (which starts at offset `origin`).
void CheckSpans(const PieceTable &t, std::int64_t a, std::int64_t b, bool backward, int limit,
                std::int64_t maxSpan, const std::uint8_t *expected, std::int64_t origin)
{
    std::int64_t next = backward ? b : a;
    int seen = 0;
    auto visit = [&](const PieceTable::Span &s) {
        EXPECT_GT(s.size, 0);
        EXPECT_LE(s.size, maxSpan);
        EXPECT_EQ(backward ? s.offset + s.size : s.offset, next);
        EXPECT_GE(s.offset, a);
        EXPECT_LE(s.offset + s.size, b);
        EXPECT_TRUE(std::equal(s.data, s.data + s.size, expected + (s.offset - origin)))
            << "span at " << s.offset;
        next = backward ? s.offset : s.offset + s.size;
        return ++seen < limit;
    };
    const bool all = backward ? t.forEachSpanBackward(a, b, visit) : t.forEachSpan(a, b, visit);
    if (all) {
        EXPECT_EQ(next, backward ? a : b);
    } else {
        EXPECT_EQ(seen, limit);
    }
}

void ExpectSame(const PieceTable &t, const Bytes &model, std::mt19937_64 &rng,
                std::int64_t maxSpan)
{
    const std::int64_t n = Size(model);
    ASSERT_EQ(t.size(), n);
    Bytes all(model.size() + 1, 0xEE);
    t.read(0, n, all.data());
    ASSERT_TRUE(std::equal(model.begin(), model.end(), all.begin()));
    ASSERT_EQ(all.back(), 0xEE);
    if (n == 0) {
        EXPECT_EQ(t.spanAt(0).size, 0);
        EXPECT_TRUE(t.forEachSpan(0, 0, [](const PieceTable::Span &) { return false; }));
        return;
    }
    for (int i = 0; i < 8; ++i) {
        const std::int64_t p = Pick(rng, 0, n - 1);
        ASSERT_EQ(t.at(p), model[std::size_t(p)]) << p;
        const PieceTable::Span s = t.spanAt(p);
        ASSERT_EQ(s.offset, p);
        ASSERT_GT(s.size, 0);
        ASSERT_LE(p + s.size, n);
        ASSERT_TRUE(std::equal(s.data, s.data + s.size, model.begin() + p));
        std::int64_t a = Pick(rng, 0, n), b = Pick(rng, 0, n);
        if (a > b)
            std::swap(a, b);
        const int limit = rng() % 3 == 0 ? int(Pick(rng, 1, 4)) : 1 << 30;
        CheckSpans(t, a, b, i % 2 == 1, limit, maxSpan, model.data(), 0);
    }
}

// A document of zeros with some bytes set, for sizes no array could hold.
struct Sparse
{
    std::int64_t size = 0;
    std::map<std::int64_t, std::uint8_t> set;

    void shift(std::int64_t from, std::int64_t by)
    {
        std::map<std::int64_t, std::uint8_t> moved;
        for (auto it = set.lower_bound(from); it != set.end(); ++it)
            moved.emplace(it->first + by, it->second);
        set.erase(set.lower_bound(from), set.end());
        set.merge(moved);
    }
    void insert(std::int64_t p, std::int64_t n)
    {
        shift(p, n);
        size += n;
    }
    void erase(std::int64_t p, std::int64_t n)
    {
        set.erase(set.lower_bound(p), set.lower_bound(p + n));
        shift(p + n, -n);
        size -= n;
    }
    void write(std::int64_t p, const Bytes &b)
    {
        for (std::size_t i = 0; i < b.size(); ++i)
            set[p + std::int64_t(i)] = b[i];
    }
    Bytes window(std::int64_t a, std::int64_t b) const
    {
        Bytes w(std::size_t(b - a), 0);
        for (auto it = set.lower_bound(a); it != set.end() && it->first < b; ++it)
            w[std::size_t(it->first - a)] = it->second;
        return w;
    }
};

} // namespace

// Every operation in random order against a plain array, with chunks of four pieces and
// spans of at most seven bytes so that chunk, piece and span boundaries are crossed all the
// time. Lists of pieces taken out long ago must still read back their bytes: sources never
// change once referenced.
TEST(PieceTable, RandomOperationsMatchAPlainArray)
{
    std::mt19937_64 rng(20261211);
    const PieceTable::Limits limits{4, 7};
    for (int round = 0; round < 6; ++round) {
        PieceTable t(limits);
        Bytes model = Random(rng, Pick(rng, 0, 600));
        {
            ByteStorage original;
            ASSERT_TRUE(original.resize(Size(model) + 50)); // longer than what is adopted
            std::copy(model.begin(), model.end(), original.data());
            t.adopt(std::move(original), Size(model));
        }
        struct Kept
        {
            PieceTable::PieceList pieces;
            Bytes bytes;
        };
        std::vector<Kept> kept;

        for (int step = 0; step < 1500; ++step) {
            const std::int64_t size = Size(model);
            const std::int64_t p = Pick(rng, 0, size);
            const std::int64_t n = Pick(rng, 0, std::min<std::int64_t>(size - p, 40));
            const auto mp = model.begin() + p;
            switch (rng() % 10) {
            case 0: {
                const Bytes b = Random(rng, Pick(rng, 0, 30));
                t.insert(p, b.data(), Size(b));
                model.insert(mp, b.begin(), b.end());
                break;
            }
            case 1: {
                const std::int64_t len = Pick(rng, 0, 30);
                if (rng() % 2 == 0) { // a short pattern repeated, cut anywhere later
                    const Bytes pattern = Random(rng, Pick(rng, 2, 5));
                    t.insertRepeat(p, pattern.data(), Size(pattern), len);
                    Bytes run(std::size_t(len), 0);
                    for (std::size_t k = 0; k < run.size(); ++k)
                        run[k] = pattern[k % pattern.size()];
                    model.insert(mp, run.begin(), run.end());
                    break;
                }
                const std::uint8_t v = std::uint8_t(rng() % 3);
                t.insertFill(p, v, len);
                model.insert(mp, std::size_t(len), v);
                break;
            }
            case 2: { // may run past the end
                const Bytes b = Random(rng, Pick(rng, 0, 30));
                t.overwrite(p, b.data(), Size(b));
                model.resize(std::max(model.size(), std::size_t(p) + b.size()));
                std::copy(b.begin(), b.end(), model.begin() + p);
                break;
            }
            case 3:
                t.erase(p, n);
                model.erase(mp, mp + n);
                break;
            case 4: { // cut and paste elsewhere, then keep the pieces for later
                PieceTable::PieceList cut = t.extract(p, n);
                ASSERT_EQ(cut.size(), n);
                const Bytes bytes(mp, mp + n);
                t.erase(p, n);
                model.erase(mp, mp + n);
                const std::int64_t q = Pick(rng, 0, Size(model));
                t.insertPieces(q, cut);
                model.insert(model.begin() + q, bytes.begin(), bytes.end());
                kept.push_back(Kept{std::move(cut), bytes});
                break;
            }
            case 5: { // overtype, check, undo
                const PieceTable::PieceList before = t.extract(p, n);
                const Bytes b = Random(rng, n);
                t.overwrite(p, b.data(), n);
                Bytes now(std::size_t(n) + 1, 0);
                t.read(p, n, now.data());
                ASSERT_TRUE(std::equal(b.begin(), b.end(), now.begin()));
                t.replace(p, n, before);
                break;
            }
            case 6: { // typing: consecutive bytes join one piece
                const std::int64_t pieces = t.pieceCount();
                const bool over = rng() % 2 == 0;
                for (std::int64_t i = 0; i < 12; ++i) {
                    const std::uint8_t c = std::uint8_t(rng());
                    if (over) {
                        t.overwrite(p + i, &c, 1);
                        if (p + i < Size(model))
                            model[std::size_t(p + i)] = c;
                        else
                            model.push_back(c);
                    } else {
                        t.insert(p + i, &c, 1);
                        model.insert(model.begin() + p + i, c);
                    }
                }
                ASSERT_LE(t.pieceCount(), pieces + 2);
                break;
            }
            case 7: { // bytes taken from the table itself
                const PieceTable::Span span = t.spanAt(p);
                const Bytes b(span.data, span.data + span.size);
                const std::int64_t q = Pick(rng, 0, size);
                t.insert(q, span.data, span.size);
                model.insert(model.begin() + q, b.begin(), b.end());
                break;
            }
            case 8: {
                const std::int64_t count = Pick(rng, 0, 8), from = Pick(rng, 0, 5),
                                   to = Pick(rng, 0, 5), spacing = Pick(rng, 0, 3) * from;
                std::vector<std::int64_t> at;
                std::int64_t reach = 0;
                for (std::int64_t k = 0; k < count; ++k) {
                    // at[k] + k * spacing must climb by at least `from`.
                    const std::int64_t lowest = reach - k * spacing;
                    at.push_back(lowest + Pick(rng, 0, rng() % 2 ? 3 : 60));
                    reach = at.back() + k * spacing + from;
                }
                const Bytes src = Random(rng, count * (to + 3) + 1);
                const std::int64_t stride = rng() % 3 == 0 ? 0 : rng() % 2 ? to : to + 3;
                const bool overlap = count > 1 && rng() % 8 == 0;
                if (overlap) // the last run starts inside the one before
                    at.back() = at[at.size() - 2] - spacing + from - 1;
                if (overlap || reach > size) {
                    EXPECT_THROW(t.replaceRuns(at.data(), count, spacing, from, to, src.data(),
                                               stride),
                                 std::invalid_argument);
                    break;
                }
                const std::int64_t added = t.addedBytes();
                t.replaceRuns(at.data(), count, spacing, from, to, src.data(), stride);
                if (count > 0 && (from > 0 || to > 0)) { // shared bytes are added once
                    EXPECT_EQ(t.addedBytes() - added, stride == 0 ? to : count * to);
                }
                for (std::int64_t k = count - 1; k >= 0; --k) {
                    const auto where = model.begin() + at[std::size_t(k)] + k * spacing;
                    model.erase(where, where + from);
                    const auto b = src.begin() + k * stride;
                    model.insert(model.begin() + at[std::size_t(k)] + k * spacing, b, b + to);
                }
                break;
            }
            case 9: // an old cut, back in somewhere
                if (!kept.empty()) {
                    const Kept &k = kept[std::size_t(rng() % kept.size())];
                    t.insertPieces(p, k.pieces);
                    model.insert(mp, k.bytes.begin(), k.bytes.end());
                }
                break;
            }
            if (step % 3 == 0 || rng() % 4 == 0)
                ExpectSame(t, model, rng, limits.maxSpan);
            if (HasFatalFailure())
                return;
        }
        ExpectSame(t, model, rng, limits.maxSpan);
        EXPECT_GT(t.pieceCount(), 8); // enough pieces for many chunks

        // Bad requests change nothing.
        EXPECT_THROW(t.erase(t.size() - 1, 2), std::out_of_range);
        EXPECT_THROW(t.insert(t.size() + 1, model.data(), 1), std::out_of_range);
        PieceTable other(limits);
        const std::uint8_t c = 1;
        other.insert(0, &c, 1);
        EXPECT_THROW(t.insertPieces(0, other.extract(0, 1)), std::invalid_argument);
        ExpectSame(t, model, rng, limits.maxSpan);
    }
}

// A 64 GiB document made of a fill, edited around 2^31, 2^32, 2^33 and its end, checked
// against a sparse model. Keystrokes at its start must cost one chunk and the chunk bases,
// not a copy. Then: growth that the system refuses leaves the table as it was, and bytes
// inserted from the table's own added buffer survive that buffer moving.
// Long runs of patterns of every length up to the largest, cut and moved about: spans at every
// phase, forwards and backwards, across the end of the written-out block, hold the pattern.
TEST(PieceTable, RepeatedPatternsMatchAPlainArray)
{
    std::mt19937_64 rng(77);
    PieceTable t(PieceTable::Limits{4, 1 << 20});
    Bytes model;
    for (int step = 0; step < 120; ++step) {
        const std::int64_t size = Size(model);
        const std::int64_t p = Pick(rng, 0, size);
        switch (rng() % 4) {
        case 0: {
            const std::int64_t length =
                rng() % 4 == 0 ? PieceTable::MaxRepeatPattern - std::int64_t(rng() % 3)
                               : Pick(rng, 2, 300);
            const Bytes pattern = Random(rng, length);
            const std::int64_t n = Pick(rng, 0, 3 * PieceTable::RepeatBlock);
            t.insertRepeat(p, pattern.data(), length, n);
            Bytes run(std::size_t(n), 0);
            for (std::size_t k = 0; k < run.size(); ++k)
                run[k] = pattern[k % pattern.size()];
            model.insert(model.begin() + p, run.begin(), run.end());
            break;
        }
        case 1: {
            const std::int64_t n = Pick(rng, 0, std::min<std::int64_t>(size - p, 70000));
            t.erase(p, n);
            model.erase(model.begin() + p, model.begin() + p + n);
            break;
        }
        case 2: { // moved: the pieces keep their phase
            const std::int64_t n = Pick(rng, 0, std::min<std::int64_t>(size - p, 90000));
            const PieceTable::PieceList cut = t.extract(p, n);
            const Bytes bytes(model.begin() + p, model.begin() + p + n);
            t.erase(p, n);
            model.erase(model.begin() + p, model.begin() + p + n);
            const std::int64_t q = Pick(rng, 0, Size(model));
            t.insertPieces(q, cut);
            model.insert(model.begin() + q, bytes.begin(), bytes.end());
            break;
        }
        default: {
            const Bytes b = Random(rng, Pick(rng, 1, 20));
            if (p + Size(b) <= size) {
                t.overwrite(p, b.data(), Size(b));
                std::copy(b.begin(), b.end(), model.begin() + p);
            }
        }
        }
        ASSERT_NO_FATAL_FAILURE(ExpectSame(t, model, rng, 1 << 20)) << "step " << step;
    }
    // Memory: a 64 MiB run of a 3-byte pattern takes one written-out block.
    PieceTable big;
    const std::uint8_t abc[3] = {'a', 'b', 'c'};
    big.insertRepeat(0, abc, 3, std::int64_t(64) << 20);
    EXPECT_LT(big.addedBytes(), 2 * PieceTable::RepeatBlock);
    EXPECT_EQ(big.at((std::int64_t(64) << 20) - 1), 'a' + ((std::int64_t(64) << 20) - 1) % 3);
}

TEST(PieceTable, FarOffsetsAndFailedGrowth)
{
    constexpr std::int64_t GiB = std::int64_t(1) << 30;
    std::mt19937_64 rng(20261212);
    PieceTable t(PieceTable::Limits{4, std::int64_t(1) << 20});
    Sparse m;
    const Bytes head = Random(rng, 1000);
    {
        ByteStorage original;
        ASSERT_TRUE(original.resize(Size(head)));
        std::copy(head.begin(), head.end(), original.data());
        t.adopt(std::move(original), Size(head));
        m.size = Size(head);
        m.write(0, head);
    }
    t.insertFill(500, 0, 64 * GiB);
    m.insert(500, 64 * GiB);
    for (int i = 0; i < 1000; ++i) {
        const std::uint8_t c = std::uint8_t(rng() | 1);
        t.insert(0, &c, 1);
        m.insert(0, 1);
        m.set[0] = c;
    }

    auto near = [&] {
        const std::int64_t marks[] = {0, std::int64_t(1) << 31, std::int64_t(1) << 32,
                                      std::int64_t(1) << 33, m.size};
        const std::int64_t at = marks[rng() % 5] + Pick(rng, -70000, 70000);
        return std::clamp<std::int64_t>(at, 0, m.size);
    };
    auto check = [&] {
        ASSERT_EQ(t.size(), m.size);
        for (const auto &[p, v] : m.set)
            ASSERT_EQ(t.at(p), v) << p;
        for (int i = 0; i < 4; ++i) {
            std::int64_t a = near(), b = near();
            if (a > b)
                std::swap(a, b);
            b = std::min(b, a + 300000);
            const Bytes want = m.window(a, b);
            Bytes got(want.size() + 1, 0xEE);
            t.read(a, b - a, got.data());
            ASSERT_TRUE(std::equal(want.begin(), want.end(), got.begin())) << a;
            const int limit = rng() % 2 ? 3 : 1 << 30;
            CheckSpans(t, a, b, i % 2 == 1, limit, std::int64_t(1) << 20, want.data(), a);
            if (a < m.size) {
                const PieceTable::Span s = t.spanAt(a);
                ASSERT_EQ(s.offset, a);
                ASSERT_GT(s.size, 0);
                const Bytes w = m.window(a, a + s.size);
                ASSERT_TRUE(std::equal(w.begin(), w.end(), s.data)) << a;
            }
        }
    };

    for (int step = 0; step < 300; ++step) {
        const std::int64_t p = near();
        const std::int64_t room = m.size - p;
        switch (rng() % 6) {
        case 0: {
            const Bytes b = Random(rng, Pick(rng, 1, 20));
            t.overwrite(p, b.data(), Size(b));
            m.size = std::max(m.size, p + Size(b));
            m.write(p, b);
            break;
        }
        case 1: {
            const Bytes b = Random(rng, Pick(rng, 1, 20));
            t.insert(p, b.data(), Size(b));
            m.insert(p, Size(b));
            m.write(p, b);
            break;
        }
        case 2: {
            const std::int64_t n = Pick(rng, 0, std::min(room, rng() % 4 ? 100 : 3 * GiB));
            t.erase(p, n);
            m.erase(p, n);
            break;
        }
        case 3: { // long fills of zeros, short ones of other values
            const bool zero = rng() % 2;
            const std::int64_t n = zero ? Pick(rng, 1, 2 * GiB) : Pick(rng, 1, 100);
            t.insertFill(p, zero ? 0 : 7, n);
            m.insert(p, n);
            if (!zero)
                m.write(p, Bytes(std::size_t(n), 7));
            break;
        }
        case 4: { // runs spread over the whole document
            const std::int64_t count = Pick(rng, 1, 40), from = Pick(rng, 0, 3),
                               to = Pick(rng, 0, 3), spacing = m.size / 41;
            const std::vector<std::int64_t> at(std::size_t(count), Pick(rng, 0, spacing - from));
            const Bytes b = Random(rng, 3);
            t.replaceRuns(at.data(), count, spacing, from, to, b.data(), 0);
            for (std::int64_t k = count - 1; k >= 0; --k) {
                const std::int64_t s = at[0] + k * spacing;
                m.erase(s, from);
                m.insert(s, to);
                m.write(s, Bytes(b.begin(), b.begin() + to));
            }
            break;
        }
        case 5: { // cut a long stretch and put it back elsewhere
            const std::int64_t n = Pick(rng, 0, std::min(room, 3 * GiB));
            const PieceTable::PieceList cut = t.extract(p, n);
            const std::map<std::int64_t, std::uint8_t> bytes(m.set.lower_bound(p),
                                                             m.set.lower_bound(p + n));
            t.erase(p, n);
            m.erase(p, n);
            const std::int64_t q = near();
            t.insertPieces(q, cut);
            m.insert(q, n);
            for (const auto &[k, v] : bytes)
                m.set[k - p + q] = v;
            break;
        }
        }
        if (step % 5 == 0)
            check();
        if (HasFatalFailure())
            return;
    }
    check();
    if (HasFatalFailure())
        return;

    // No address space holds 2^50 bytes: each edit must fail before anything changes (the
    // source bytes are never read).
    const std::int64_t huge = std::int64_t(1) << 50;
    const std::int64_t pieces = t.pieceCount(), added = t.addedBytes();
    EXPECT_THROW(t.insert(1, head.data(), huge), std::bad_alloc);
    EXPECT_THROW(t.overwrite(1, head.data(), huge), std::bad_alloc);
    const std::int64_t at[3] = {0, 0, 0}, spacing = t.size() / 4;
    EXPECT_THROW(t.replaceRuns(at, 3, spacing, 1, huge, head.data(), 0), std::bad_alloc);
    EXPECT_THROW(t.replaceRuns(at, 3, spacing, 1, huge, head.data(), 1), std::bad_alloc);
    EXPECT_EQ(t.pieceCount(), pieces);
    EXPECT_EQ(t.addedBytes(), added);
    check();

    // The added buffer starts with room for 64 KiB; a page just past it forces the growth
    // below to move it, while the bytes being inserted still point into it.
    PieceTable g;
    const Bytes a = Random(rng, 60000);
    g.insert(0, a.data(), Size(a));
#if defined(__linux__)
    auto *const blocker = static_cast<std::uint8_t *>(
        mmap(const_cast<std::uint8_t *>(g.spanAt(0).data) + 65536, 4096, PROT_NONE,
             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0));
#endif
    const PieceTable::Span s = g.spanAt(100);
    ASSERT_EQ(s.size, Size(a) - 100);
    g.insert(0, s.data, s.size);
    Bytes want(a.begin() + 100, a.end());
    want.insert(want.end(), a.begin(), a.end());
    Bytes got(want.size(), 0);
    g.read(0, g.size(), got.data());
    EXPECT_EQ(got, want);
#if defined(__linux__)
    if (blocker != MAP_FAILED)
        munmap(blocker, 4096);
#endif
}
