#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// The marks file's runs read the plain way, a byte at a time, onto the marks a document
// had: from offset 0 on, colour 7 unmarked, every byte after the runs unmarked too. What
// the readers under test must agree with.
inline std::vector<std::uint8_t> PlainDecode(std::vector<std::uint8_t> marks,
                                             const std::uint8_t *runs, std::size_t n)
{
    std::size_t i = 0;
    for (std::size_t r = 0; r < n && i < marks.size(); ++r) {
        const std::uint8_t k = (runs[r] & 7) == 7 ? 0 : runs[r] & 7;
        for (int c = (runs[r] >> 3) + 1; c > 0 && i < marks.size(); --c)
            marks[i++] = k;
    }
    std::fill(marks.begin() + std::ptrdiff_t(i), marks.end(), 0);
    return marks;
}
