#pragma once

#include "document/Language.h"
#include "document/Document.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vtm {

// How often each byte value and each marker colour occurs in the document.
struct ByteStatistics
{
    std::array<std::int64_t, 256> values{};
    // Index 0 unmarked, 1..6 the colours; any other marks value counts as unmarked.
    std::array<std::int64_t, 7> marks{};
};

ByteStatistics CountStatistics(const Document &doc);

// One cell of a frequency bar: the full block U+2588 in UTF-8. The lines carry the glyph
// itself, so the window shows them as they are and a screen reader reads the same text.
inline constexpr std::string_view BarCell = "\u2588";

// The lines of the info and statistics window, UTF-8. `modified` is whether the document
// differs from its saved contents; decimalSeparator is the user's (e.g. "," in German).
// sectorSize > 0: the document is a device with sectors of that size.
std::vector<std::string> StatisticLines(const ByteStatistics &stats, std::int64_t size,
                                        bool modified, const std::string &openName,
                                        Language language, bool noUnknown,
                                        std::string_view decimalSeparator = ".",
                                        int sectorSize = 0);

} // namespace vtm
