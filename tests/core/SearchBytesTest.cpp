#include "document/Document.h"
#include "search/BytesData.h"
#include "search/SearchBytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace vtm;

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes B(const std::string &s)
{
    return Bytes(s.begin(), s.end());
}

std::uint8_t refFold(std::uint8_t b)
{
    const bool small = (b >= 'a' && b <= 'z') || (b >= 224 && b <= 254 && b != 247);
    return small ? std::uint8_t(b - 32) : b;
}

// One candidate after the other, the whole pattern compared at each.
std::int64_t refSearch(const Bytes &buf, const Bytes &pat, std::int64_t start, bool backward,
                       bool fold)
{
    const std::int64_t size = std::int64_t(buf.size()), n = std::int64_t(pat.size());
    if (size == 0)
        return -1;
    auto matches = [&](std::int64_t p) {
        for (std::int64_t i = 0; i < n; ++i) {
            const std::uint8_t a = buf[std::size_t(p + i)], b = pat[std::size_t(i)];
            if ((fold ? refFold(a) : a) != (fold ? refFold(b) : b))
                return false;
        }
        return true;
    };
    if (!backward) {
        for (std::int64_t p = std::max<std::int64_t>(start, 0); p <= size - n; ++p)
            if (matches(p))
                return p;
        return -1;
    }
    for (std::int64_t p = std::min(start, size - n); p >= 0; --p)
        if (matches(p))
            return p;
    return -1;
}

std::int64_t Find(const std::string &buf, const std::string &pat, std::int64_t start, bool backward,
                  bool fold = false)
{
    const Bytes b = B(buf), p = B(pat);
    return SearchBytes(b, p, start, backward, fold);
}
} // namespace

TEST(SearchBytes, FoldTableChangesOnlyTheSmallLetters)
{
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(FoldByte(std::uint8_t(b)), refFold(std::uint8_t(b))) << b;
}

TEST(SearchBytes, NamedCases)
{
    const std::string abc = "ABCABC";
    EXPECT_EQ(Find(abc, "AB", 0, false), 0);
    EXPECT_EQ(Find(abc, "AB", 1, false), 3);
    EXPECT_EQ(Find(abc, "AB", 4, false), -1);
    EXPECT_EQ(Find(abc, "AB", 2, true), 0);
    // Backward from the last byte: the first candidate is the last whole fit.
    EXPECT_EQ(Find(abc, "ABC", 5, true), 3);
    EXPECT_EQ(Find(abc, "ABCABCA", 0, false), -1);
    EXPECT_EQ(Find(abc, "ABCABCA", 6, true), -1);

    for (const char *hay : {"xxABC", "xxaBc", "xxabc"})
        EXPECT_EQ(Find(hay, "abc", 0, false, true), 2) << hay;
    EXPECT_EQ(Find("xxaBc", "abc", 0, false, false), -1);
    EXPECT_EQ(Find("\xD7\xDF\xF7\xFF", "\xF7", 0, false, true), 2);
    EXPECT_EQ(Find("\xD7\xDF\xF7\xFF", "\xFF", 3, true, true), 3);
    EXPECT_EQ(Find("\xD7\xDF", "\xF7", 0, false, true), -1);
    EXPECT_EQ(Find("\xD7\xDF", "\xFF", 1, true, true), -1);
    EXPECT_EQ(Find("..\xC0", "\xE0", 0, false, true), 2);
    EXPECT_EQ(Find("..\xC0", "\xE0", 0, false, false), -1);
}

TEST(SearchBytes, EdgesOfTheArguments)
{
    EXPECT_EQ(SearchBytes({}, B("A"), 0, false, false), -1);
    EXPECT_EQ(SearchBytes({}, {}, 0, true, false), -1);
    // An empty pattern is found at once, wherever a candidate exists.
    EXPECT_EQ(Find("abc", "", 1, false), 1);
    EXPECT_EQ(Find("abc", "", 3, false), 3);
    EXPECT_EQ(Find("abc", "", 4, false), -1);
    EXPECT_EQ(Find("abc", "", 9, true), 3);
    EXPECT_EQ(Find("abc", "", -1, true), -1);
    EXPECT_EQ(Find("abc", "a", -5, false), 0);
    EXPECT_EQ(Find("abc", "c", -1, true), -1);
    EXPECT_EQ(Find("abc", "c", INT64_MAX, true), 2);
    EXPECT_EQ(Find("abc", "a", INT64_MAX, false), -1);
}

TEST(SearchBytes, ReadsTheDocumentAndTheSearchString)
{
    Document doc;
    TBytesData find;
    find.SetBytes(B("ab"));
    EXPECT_EQ(SearchBytes(doc, find, false, 0, false), -1);
    const Bytes bytes = B("xABab");
    ASSERT_TRUE(doc.loadBytes(bytes.data(), std::int64_t(bytes.size())));
    EXPECT_EQ(SearchBytes(doc, find, false, 0, false), 1);
    EXPECT_EQ(SearchBytes(doc, find, true, 0, false), 3);
    // Storage past the last byte is never a candidate.
    find.SetBytes(B(std::string("b\0", 2)));
    EXPECT_EQ(SearchBytes(doc, find, true, 4, false), -1);
}

// Lets SearchBytes use at most the given vector scanner while it lives.
struct VectorLevel
{
    explicit VectorLevel(int level) { LimitSearchVectors(level); }
    ~VectorLevel() { LimitSearchVectors(2); }
    VectorLevel(const VectorLevel &) = delete;
    VectorLevel &operator=(const VectorLevel &) = delete;
};

// Alphabets rich in bytes that folding joins (and the two it must not) give many matches
// and near misses; the full byte range gives sparse hits across the scanner's blocks.
TEST(SearchBytes, AgreesWithTheCandidateRule)
{
    const std::vector<Bytes> alphabets = {
        B("aAbB"), {0xE0, 0xC0, 0xF7, 0xD7, 0xFF, 0xDF, 'z', 'Z'}, B(std::string("\0\1", 2)), {}};
    std::mt19937 rng(20240611);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 6000; ++round) {
        const VectorLevel level(round % 3); // every scanner the processor has
        const Bytes &alpha = alphabets[std::size_t(round) % alphabets.size()];
        auto randomByte = [&] {
            return alpha.empty() ? std::uint8_t(pick(0, 255))
                                 : alpha[std::size_t(pick(0, int(alpha.size()) - 1))];
        };
        Bytes buf(static_cast<std::size_t>(pick(0, round % 10 == 0 ? 600 : 90)));
        for (auto &b : buf)
            b = randomByte();
        const int len = pick(0, 6) == 0 ? pick(0, int(buf.size()) + 3) : pick(1, 5);
        Bytes pat(static_cast<std::size_t>(len));
        if (len <= int(buf.size()) && pick(0, 1)) {
            // A piece of the buffer, its letters' case flipped now and then.
            const int at = pick(0, int(buf.size()) - len);
            for (int i = 0; i < len; ++i)
                pat[std::size_t(i)] =
                    std::uint8_t(buf[std::size_t(at + i)] ^ (pick(0, 3) ? 0 : 32));
        } else {
            for (auto &b : pat)
                b = randomByte();
        }
        const std::int64_t size = std::int64_t(buf.size());
        for (std::int64_t start : {std::int64_t(0), std::int64_t(pick(0, int(size))), size - len,
                                   size - 1, size, std::int64_t(-1)}) {
            for (bool backward : {false, true}) {
                for (bool fold : {false, true}) {
                    ASSERT_EQ(SearchBytes(buf, pat, start, backward, fold),
                              refSearch(buf, pat, start, backward, fold))
                        << "round " << round << " start " << start << " backward " << backward
                        << " fold " << fold;
                }
            }
        }
    }
}

// A lone occurrence at every offset of a long quiet buffer, so that each one falls on every
// kind of boundary the scanner has.
TEST(SearchBytes, FindsALoneOccurrenceAnywhere)
{
    const std::int64_t size = 300;
    for (std::int64_t at = 0; at + 2 <= size; ++at) {
        const VectorLevel level(int(at % 3));
        Bytes buf(static_cast<std::size_t>(size), '.');
        buf[std::size_t(at)] = 'Q';
        buf[std::size_t(at) + 1] = 0xE9;
        for (bool fold : {false, true}) {
            const Bytes pat = fold ? Bytes{'q', 0xC9} : Bytes{'Q', 0xE9};
            EXPECT_EQ(SearchBytes(buf, pat, 0, false, fold), at) << at;
            EXPECT_EQ(SearchBytes(buf, pat, size - 1, true, fold), at) << at;
            EXPECT_EQ(SearchBytes(buf, pat, at + 1, false, fold), -1) << at;
            EXPECT_EQ(SearchBytes(buf, pat, at - 1, true, fold), -1) << at;
        }
    }
}
