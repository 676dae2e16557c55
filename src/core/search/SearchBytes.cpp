#include "search/SearchBytes.h"

#include "document/Document.h"
#include "search/BytesData.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vtm {

namespace {

constexpr std::array<std::uint8_t, 256> makeFoldTable()
{
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const bool small =
            (b >= 97 && b <= 122) || (b >= 224 && b <= 246) || (b >= 248 && b <= 254);
        table[b] = std::uint8_t(small ? b - 32 : b);
    }
    return table;
}

constexpr std::array<std::uint8_t, 256> kFold = makeFoldTable();

// Bytes checked one at a time before the block scan starts, so that dense hits stay cheap.
constexpr std::ptrdiff_t kLeadBytes = 16;
// Large enough for the compiler to vectorise the test, small enough to stop soon after a hit.
constexpr std::ptrdiff_t kBlock = 64;

// How often a byte value turns up in typical files: padding, blanks, line ends and small
// letters are everywhere, other bytes are rarer. Only the order matters.
int commonness(std::uint8_t b)
{
    if (b == 0)
        return 10;
    if (b == ' ')
        return 9;
    if (b == 0xFF)
        return 8;
    if (b >= 'a' && b <= 'z')
        return std::strchr("etaoinsrhl", b) ? 7 : 5;
    if (b == '\r' || b == '\n' || b == '\t')
        return 5;
    if ((b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9'))
        return 4;
    if (b < 0x80)
        return 3;
    return 1;
}

// The byte values the scanner looks for at the anchor: one, or a capital and its small
// letter when folding.
struct Needle
{
    std::uint8_t a = 0;
    std::uint8_t b = 0;
};

Needle needleFor(std::uint8_t patternByte, bool fold)
{
    if (!fold)
        return {patternByte, patternByte};
    const std::uint8_t folded = kFold[patternByte];
    const std::uint8_t small = std::uint8_t(folded + 32);
    if (folded != small && kFold[small] == folded)
        return {folded, small};
    return {folded, folded};
}

// The pattern position whose byte is least likely to appear, so the scanner stops rarely.
std::size_t anchorIndex(std::span<const std::uint8_t> pattern, bool fold)
{
    std::size_t best = 0;
    int bestCost = 1000;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const Needle n = needleFor(pattern[i], fold);
        const int cost = commonness(n.a) + (n.a != n.b ? commonness(n.b) : 0);
        if (cost < bestCost) {
            best = i;
            bestCost = cost;
        }
    }
    return best;
}

bool blockHas(const std::uint8_t *p, Needle n)
{
    std::uint8_t hit = 0;
    for (std::ptrdiff_t i = 0; i < kBlock; ++i)
        hit |= std::uint8_t((p[i] == n.a) | (p[i] == n.b));
    return hit != 0;
}

bool isNeedle(std::uint8_t v, Needle n)
{
    return v == n.a || v == n.b;
}

// The first byte of [p, end) that is a needle byte, or end.
const std::uint8_t *findForward(const std::uint8_t *p, const std::uint8_t *end, Needle n)
{
    if (n.a == n.b) {
        const void *q = std::memchr(p, n.a, std::size_t(end - p));
        return q ? static_cast<const std::uint8_t *>(q) : end;
    }
    for (const std::uint8_t *lead = p + std::min(kLeadBytes, end - p); p < lead; ++p) {
        if (isNeedle(*p, n))
            return p;
    }
    while (end - p >= kBlock && !blockHas(p, n))
        p += kBlock;
    for (; p < end; ++p) {
        if (isNeedle(*p, n))
            return p;
    }
    return end;
}

// The last byte of [begin, end) that is a needle byte, or nullptr.
const std::uint8_t *findBackward(const std::uint8_t *begin, const std::uint8_t *end, Needle n)
{
    for (const std::uint8_t *lead = end - std::min(kLeadBytes, end - begin); end > lead;) {
        if (isNeedle(*--end, n))
            return end;
    }
    while (end - begin >= kBlock && !blockHas(end - kBlock, n))
        end -= kBlock;
    while (end > begin) {
        if (isNeedle(*--end, n))
            return end;
    }
    return nullptr;
}

bool matchesAt(const std::uint8_t *at, std::span<const std::uint8_t> pattern, bool fold)
{
    if (!fold)
        return std::memcmp(at, pattern.data(), pattern.size()) == 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (kFold[at[i]] != kFold[pattern[i]])
            return false;
    }
    return true;
}

} // namespace

std::uint8_t FoldByte(std::uint8_t b)
{
    return kFold[b];
}

std::int64_t SearchBytes(std::span<const std::uint8_t> buffer,
                         std::span<const std::uint8_t> pattern, std::int64_t start, bool backward,
                         bool fold)
{
    const std::int64_t size = std::int64_t(buffer.size());
    const std::int64_t n = std::int64_t(pattern.size());
    if (size <= 0 || buffer.data() == nullptr)
        return -1;
    if (!backward)
        start = std::max<std::int64_t>(start, 0);
    // The last offset at which the whole pattern still fits; below 0 it never does.
    const std::int64_t last = size - n;
    if (backward) {
        start = std::min(start, last);
        if (start < 0)
            return -1;
    } else if (start > last) {
        return -1;
    }
    if (n == 0)
        return start;

    const std::uint8_t *base = buffer.data();
    const std::int64_t k = std::int64_t(anchorIndex(pattern, fold));
    const Needle needle = needleFor(pattern[std::size_t(k)], fold);
    if (backward) {
        for (std::int64_t p = start; p >= 0;) {
            const std::uint8_t *q = findBackward(base + k, base + p + k + 1, needle);
            if (!q)
                return -1;
            const std::int64_t c = (q - base) - k;
            if (matchesAt(base + c, pattern, fold))
                return c;
            p = c - 1;
        }
        return -1;
    }
    const std::uint8_t *end = base + last + k + 1;
    for (std::int64_t p = start; p <= last;) {
        const std::uint8_t *q = findForward(base + p + k, end, needle);
        if (q == end)
            return -1;
        const std::int64_t c = (q - base) - k;
        if (matchesAt(base + c, pattern, fold))
            return c;
        p = c + 1;
    }
    return -1;
}

std::int64_t SearchBytes(const Document &doc, const TBytesData &findData, bool caseSensitive,
                         std::int64_t start, bool backward)
{
    const std::span<const std::uint8_t> buffer(doc.Buffer(), std::size_t(doc.BufferSize()));
    return SearchBytes(buffer, findData.Bytes(), start, backward, !caseSensitive);
}

} // namespace vtm
