#pragma once

// The scans over a stretch of colours that both the marks and their builder use, and the
// costs that decide a stretch's form. Internal to the marks.
#include "document/ByteScan.h"

#include <cstdint>

namespace vtm::markscan {

// A run costs this much; a stretch where runs are shorter is cheaper as a colour per byte.
constexpr std::int64_t RunBytes = 16;
// A gap plus run this long ends a chunk of colours: past it, runs are cheaper again.
constexpr std::int64_t DenseBreak = 32;
// A stretch of colours this long is looked at as a whole: copied as it is when its runs are
// short, taken apart into runs when they are long.
constexpr std::int64_t Window = 1024;

// The first offset in [i, n) holding a non-zero byte, or n.
inline std::int64_t SkipZeros(const std::uint8_t *b, std::int64_t i, std::int64_t n)
{
    while (i < n && (i & 7) != 0 && b[i] == 0)
        ++i;
    while (i + 8 <= n && LoadWord(b + i) == 0)
        i += 8;
    while (i < n && b[i] == 0)
        ++i;
    return i;
}

// The last offset in [0, i] holding a non-zero byte, or -1.
inline std::int64_t SkipZerosBackward(const std::uint8_t *b, std::int64_t i)
{
    while (i >= 7 && LoadWord(b + i - 7) == 0)
        i -= 8;
    while (i >= 0 && b[i] == 0)
        --i;
    return i;
}

// The first offset in [i, n) whose byte is not c, or n.
inline std::int64_t SkipEqual(const std::uint8_t *b, std::int64_t i, std::int64_t n,
                              std::uint8_t c)
{
    const std::uint64_t w = kByteOnes * c;
    while (i + 8 <= n && LoadWord(b + i) == w)
        i += 8;
    while (i < n && b[i] == c)
        ++i;
    return i;
}

inline std::int64_t SkipEqualBackward(const std::uint8_t *b, std::int64_t i, std::uint8_t c)
{
    const std::uint64_t w = kByteOnes * c;
    while (i >= 7 && LoadWord(b + i - 7) == w)
        i -= 8;
    while (i >= 0 && b[i] == c)
        --i;
    return i;
}

inline std::int64_t CountNonZero(const std::uint8_t *b, std::int64_t n)
{
    std::int64_t zeros = 0;
    for (std::int64_t i = 0; i < n; ++i)
        zeros += b[i] == 0;
    return n - zeros;
}

// How many runs a stretch of colours holds.
inline std::int64_t CountRuns(const std::uint8_t *b, std::int64_t n)
{
    std::int64_t runs = n > 0 && b[0] != 0;
    for (std::int64_t i = 1; i < n; ++i)
        runs += b[i] != 0 && b[i] != b[i - 1];
    return runs;
}

} // namespace vtm::markscan
