#pragma once

#include <cstdint>
#include <cstring>

namespace vtm {

// Eight bytes at a time: the scans over bytes and marks skip whole words.
inline std::uint64_t LoadWord(const std::uint8_t *p)
{
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

inline constexpr std::uint64_t kByteOnes = 0x0101010101010101ull;

// Non-zero when some byte of w is zero.
inline std::uint64_t HasZeroByte(std::uint64_t w)
{
    return (w - kByteOnes) & ~w & 0x8080808080808080ull;
}

// The last offset at or before `from` holding value, or -1 (the backward memchr).
inline std::int64_t FindByteBackward(const std::uint8_t *data, std::int64_t from,
                                     std::uint8_t value)
{
#if defined(__GLIBC__)
    if (from < 0)
        return -1;
    const void *q = memrchr(data, value, std::size_t(from) + 1);
    return q ? static_cast<const std::uint8_t *>(q) - data : -1;
#else
    const std::uint64_t pattern = kByteOnes * value;
    std::int64_t i = from;
    for (; i >= 0 && ((i + 1) & 7) != 0; --i)
        if (data[i] == value)
            return i;
    while (i >= 7 && HasZeroByte(LoadWord(data + i - 7) ^ pattern) == 0)
        i -= 8;
    for (; i >= 0; --i)
        if (data[i] == value)
            return i;
    return -1;
#endif
}

} // namespace vtm
