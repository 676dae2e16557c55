#include "search/SearchBytes.h"

#include "document/Document.h"
#include "search/BytesData.h"

#include <algorithm>
#include <vector>
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

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
// Passing `other` leaves that position out (for a second probe); it comes back when the
// pattern has no other.
std::size_t anchorIndex(std::span<const std::uint8_t> pattern, bool fold,
                        std::size_t other = SIZE_MAX)
{
    std::size_t best = other == SIZE_MAX ? 0 : other;
    int bestCost = 1000;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (i == other)
            continue;
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
#if defined(__GLIBC__)
    if (n.a == n.b)
        return static_cast<const std::uint8_t *>(memrchr(begin, n.a, std::size_t(end - begin)));
#endif
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


#if defined(__SSE2__)
// Two probes of the pattern, each a byte compared after an OR that makes a capital and its
// small letter alike. Sixteen candidates are tested at once, and only where both probes
// hit is the whole pattern compared: in random data that is one candidate in 16384 or
// fewer, however common the single bytes are.
struct Probe
{
    std::int64_t at;
    __m128i value, orMask;
};

Probe probeFor(std::span<const std::uint8_t> pattern, std::size_t i, bool fold)
{
    const Needle n = needleFor(pattern[i], fold);
    // A two-letter needle differs in bit 5 only: OR-ing it in leaves the small letter.
    const bool pair = n.a != n.b;
    return {std::int64_t(i), _mm_set1_epi8(char(pair ? n.b : n.a)), _mm_set1_epi8(char(pair ? 0x20 : 0))};
}

// Bit i set: candidate c + i passes both probes; 32 candidates per call.
struct Sse2Lanes
{
    static std::uint64_t mask(const std::uint8_t *c, const Probe &x, const Probe &y)
    {
        return half(c, x, y) | half(c + 16, x, y) << 16;
    }
    static std::uint64_t half(const std::uint8_t *c, const Probe &x, const Probe &y)
    {
        const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(c + x.at)), x.orMask);
        const __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(c + y.at)), y.orMask);
        return std::uint32_t(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, x.value), _mm_cmpeq_epi8(b, y.value))));
    }
    static bool any(const std::uint8_t *c, const Probe &x, const Probe &y) { return mask(c, x, y) != 0; }
    static constexpr std::int64_t Lanes = 32;
    static constexpr std::int64_t Block = 32;
};

#if defined(__GNUC__) && defined(__x86_64__)
#define VTM_AVX2 1
// The same test on 64 candidates per call where the processor has AVX2.
struct Avx2Lanes
{
    __attribute__((target("avx2"))) static std::uint64_t mask(const std::uint8_t *c, const Probe &x,
                                                              const Probe &y)
    {
        return half(c, x, y) | half(c + 32, x, y) << 32;
    }
    __attribute__((target("avx2"))) static std::uint64_t half(const std::uint8_t *c, const Probe &x,
                                                              const Probe &y)
    {
        const __m256i xv = _mm256_broadcastsi128_si256(x.value), xo = _mm256_broadcastsi128_si256(x.orMask);
        const __m256i yv = _mm256_broadcastsi128_si256(y.value), yo = _mm256_broadcastsi128_si256(y.orMask);
        const __m256i a = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(c + x.at)), xo);
        const __m256i b = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(c + y.at)), yo);
        return std::uint32_t(
            _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, xv), _mm256_cmpeq_epi8(b, yv))));
    }
    // Whether any of 256 candidates passes: one test for the usual block without a hit.
    __attribute__((target("avx2"))) static bool any(const std::uint8_t *c, const Probe &x,
                                                    const Probe &y)
    {
        const __m256i xv = _mm256_broadcastsi128_si256(x.value), xo = _mm256_broadcastsi128_si256(x.orMask);
        const __m256i yv = _mm256_broadcastsi128_si256(y.value), yo = _mm256_broadcastsi128_si256(y.orMask);
        __m256i hits = _mm256_setzero_si256();
        for (int i = 0; i < Block; i += 32) {
            const __m256i a = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(c + i + x.at)), xo);
            const __m256i b = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(c + i + y.at)), yo);
            hits = _mm256_or_si256(hits, _mm256_and_si256(_mm256_cmpeq_epi8(a, xv), _mm256_cmpeq_epi8(b, yv)));
        }
        return !_mm256_testz_si256(hits, hits);
    }
    static constexpr std::int64_t Lanes = 64;
    static constexpr std::int64_t Block = 256;
};
#endif

// Whole blocks while every probe load stays inside the buffer, then one by one.
template <class L>
std::int64_t scanForward(const std::uint8_t *base, std::int64_t p, std::int64_t last,
                         std::span<const std::uint8_t> pattern, bool fold, const Probe &x,
                         const Probe &y)
{
    for (; p + L::Lanes - 1 <= last; p += L::Lanes) {
        // Blocks without a candidate go by in one test each.
        while (p + L::Block - 1 <= last && !L::any(base + p, x, y))
            p += L::Block;
        if (p + L::Lanes - 1 > last)
            break;
        for (std::uint64_t m = L::mask(base + p, x, y); m != 0; m &= m - 1) {
            const std::int64_t c = p + __builtin_ctzll(m);
            if (matchesAt(base + c, pattern, fold))
                return c;
        }
    }
    for (; p <= last; ++p)
        if (matchesAt(base + p, pattern, fold))
            return p;
    return -1;
}

template <class L>
std::int64_t scanBackward(const std::uint8_t *base, std::int64_t p,
                          std::span<const std::uint8_t> pattern, bool fold, const Probe &x,
                          const Probe &y)
{
    for (; p >= L::Lanes - 1; p -= L::Lanes) {
        // Descending streams get less help from the hardware prefetcher than ascending ones.
        while (p >= L::Block - 1 && !L::any(base + p - (L::Block - 1), x, y)) {
            for (std::int64_t line = 0; line < L::Block; line += 64)
                __builtin_prefetch(base + p - 4096 - line);
            p -= L::Block;
        }
        if (p < L::Lanes - 1)
            break;
        const std::int64_t first = p - (L::Lanes - 1);
        for (std::uint64_t m = L::mask(base + first, x, y); m != 0;) {
            const int bit = 63 - __builtin_clzll(m);
            if (matchesAt(base + first + bit, pattern, fold))
                return first + bit;
            m &= ~(std::uint64_t(1) << bit);
        }
    }
    for (; p >= 0; --p)
        if (matchesAt(base + p, pattern, fold))
            return p;
    return -1;
}

#if VTM_AVX2
// Flattened, so the AVX2 test is inlined into the loops compiled for it.
__attribute__((target("avx2"), flatten)) std::int64_t
scanForwardAvx2(const std::uint8_t *base, std::int64_t p, std::int64_t last,
                std::span<const std::uint8_t> pattern, bool fold, const Probe &x, const Probe &y)
{
    return scanForward<Avx2Lanes>(base, p, last, pattern, fold, x, y);
}

__attribute__((target("avx2"), flatten)) std::int64_t
scanBackwardAvx2(const std::uint8_t *base, std::int64_t p, std::span<const std::uint8_t> pattern,
                 bool fold, const Probe &x, const Probe &y)
{
    return scanBackward<Avx2Lanes>(base, p, pattern, fold, x, y);
}

const bool kHasAvx2 = __builtin_cpu_supports("avx2");
#endif
#endif

// 2: the widest scanner the processor has; 1: at most SSE2; 0: none.
int g_vectorLevel = 2;

} // namespace

void LimitSearchVectors(int level)
{
    g_vectorLevel = level;
}

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
#if defined(__SSE2__)
    // A single byte without folding: the C library's scans are as fast as it gets.
    if (g_vectorLevel >= 1 && !(n == 1 && needle.a == needle.b)) {
        const Probe x = probeFor(pattern, std::size_t(k), fold);
        const Probe y = probeFor(pattern, anchorIndex(pattern, fold, std::size_t(k)), fold);
#if VTM_AVX2
        if (kHasAvx2 && g_vectorLevel >= 2)
            return backward ? scanBackwardAvx2(base, start, pattern, fold, x, y)
                            : scanForwardAvx2(base, start, last, pattern, fold, x, y);
#endif
        return backward ? scanBackward<Sse2Lanes>(base, start, pattern, fold, x, y)
                        : scanForward<Sse2Lanes>(base, start, last, pattern, fold, x, y);
    }
#endif
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

std::int64_t SearchDocument(const Document &doc, std::span<const std::uint8_t> pattern,
                            std::int64_t start, bool backward, bool fold)
{
    const std::int64_t size = doc.BufferSize();
    const std::int64_t n = std::int64_t(pattern.size());
    if (size <= 0)
        return -1;
    const std::int64_t last = size - n;
    if (backward) {
        start = std::min(start, last);
        if (start < 0)
            return -1;
    } else {
        start = std::max<std::int64_t>(start, 0);
        if (start > last)
            return -1;
    }
    if (n == 0)
        return start;

    // Occurrences inside a span are found in its memory; those that cross from one span
    // into the next in a small window copied across the boundary. A pattern with a byte
    // other than 0 cannot lie wholly inside zeros, so stretches known to be zeros are passed
    // over unread; only the window across each of their ends is searched.
    const bool skipZeros =
        std::any_of(pattern.begin(), pattern.end(), [](std::uint8_t b) { return b != 0; });
    const auto walk = [&](std::int64_t a, std::int64_t b, auto f) {
        if (skipZeros)
            return backward ? doc.ForEachSpanOrZerosBackward(a, b, f)
                            : doc.ForEachSpanOrZeros(a, b, f);
        return backward ? doc.ForEachSpanBackward(a, b, f) : doc.ForEachSpan(a, b, f);
    };
    std::vector<std::uint8_t> window;
    const auto across = [&](std::int64_t lo, std::int64_t hi) -> std::int64_t {
        if (lo > hi)
            return -1;
        window.resize(std::size_t(hi - lo + n));
        doc.ReadBytes(lo, hi - lo + n, window.data());
        const std::int64_t r = SearchBytes(window, pattern, backward ? hi - lo : 0, backward, fold);
        return r < 0 ? -1 : lo + r;
    };
    std::int64_t found = -1;
    if (!backward) {
        walk(start, size, [&](const Document::Span &s) {
            const std::int64_t end = s.offset + s.size;
            const std::int64_t r =
                s.zeros() ? -1
                          : SearchBytes({s.data, std::size_t(s.size)}, pattern,
                                        std::max(start, s.offset) - s.offset, false, fold);
            if (r >= 0)
                found = s.offset + r;
            else if (end < size)
                found = across(std::max(start, end - n + 1), std::min(last, end - 1));
            return found < 0;
        });
        return found;
    }
    walk(0, start + n, [&](const Document::Span &s) {
        const std::int64_t end = s.offset + s.size;
        found = across(std::max<std::int64_t>(0, std::max(s.offset, end - n + 1)),
                       std::min(start, end - 1));
        if (found < 0 && !s.zeros() && std::min(start, end - n) >= s.offset) {
            const std::int64_t r = SearchBytes({s.data, std::size_t(s.size)}, pattern,
                                               std::min(start, end - n) - s.offset, true, fold);
            if (r >= 0)
                found = s.offset + r;
        }
        return found < 0;
    });
    return found;
}

std::int64_t SearchBytes(const Document &doc, const TBytesData &findData, bool caseSensitive,
                         std::int64_t start, bool backward)
{
    return SearchDocument(doc, findData.Bytes(), start, backward, !caseSensitive);
}

} // namespace vtm
