#include "analysis/Statistics.h"

#include "document/ByteScan.h"
#include "document/Format.h"
#include "document/Language.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vtm {

namespace {
// Four tables of 32-bit counters: consecutive bytes of one value land in different
// tables, so an increment never waits for the store of the one before it.
class Histogram
{
public:
    Histogram() { clear(); }

    void addWord(std::uint64_t w)
    {
        ++m_t[0][w & 0xFF];
        ++m_t[1][(w >> 8) & 0xFF];
        ++m_t[2][(w >> 16) & 0xFF];
        ++m_t[3][(w >> 24) & 0xFF];
        ++m_t[0][(w >> 32) & 0xFF];
        ++m_t[1][(w >> 40) & 0xFF];
        ++m_t[2][(w >> 48) & 0xFF];
        ++m_t[3][w >> 56];
    }
    void addByte(std::uint8_t b) { ++m_t[0][b]; }

    // Adds the counts to out and starts again from zero.
    void flushInto(std::int64_t *out)
    {
        for (std::size_t v = 0; v < 256; ++v)
            out[v] += std::int64_t(m_t[0][v]) + m_t[1][v] + m_t[2][v] + m_t[3][v];
        clear();
    }

private:
    void clear() { std::memset(m_t, 0, sizeof m_t); }

    alignas(64) std::uint32_t m_t[4][256];
};

// Far below the 32-bit limit of a table, whatever the mix of values.
constexpr std::int64_t FlushEvery = std::int64_t(1) << 30;

// Feeds bytes into a histogram, flushing its 32-bit tables into out before they could
// overflow.
class Counter
{
public:
    explicit Counter(std::int64_t *out)
        : m_out(out)
    {}
    ~Counter() { m_h.flushInto(m_out); }
    Counter(const Counter &) = delete;
    Counter &operator=(const Counter &) = delete;

    void add(const std::uint8_t *p, std::int64_t n)
    {
        while (n > 0) {
            const std::int64_t len = std::min(n, FlushEvery - m_pending);
            std::int64_t i = 0;
            for (; i + 16 <= len; i += 16) {
                m_h.addWord(LoadWord(p + i));
                m_h.addWord(LoadWord(p + i + 8));
            }
            for (; i < len; ++i)
                m_h.addByte(p[i]);
            m_pending += len;
            if (m_pending == FlushEvery) {
                m_h.flushInto(m_out);
                m_pending = 0;
            }
            p += len;
            n -= len;
        }
    }

private:
    Histogram m_h;
    std::int64_t *m_out;
    std::int64_t m_pending = 0;
};

// Adds to out[1..6] how many of n colours have each value. Colours are few and small, so
// each is counted with byte compares, 16 at a time, in 8-bit counters summed every 255
// rounds: far fewer steps a byte than a table.
void CountColours(const std::uint8_t *p, std::int64_t n, std::int64_t *out)
{
    std::int64_t i = 0;
#if defined(__SSE2__)
    while (n - i >= 16) {
        const std::int64_t rounds = std::min<std::int64_t>((n - i) / 16, 255);
        __m128i acc[6];
        for (auto &a : acc)
            a = _mm_setzero_si128();
        for (std::int64_t k = 0; k < rounds; ++k, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            for (int c = 0; c < 6; ++c)
                acc[c] = _mm_sub_epi8(acc[c], _mm_cmpeq_epi8(v, _mm_set1_epi8(char(c + 1))));
        }
        for (int c = 0; c < 6; ++c) {
            const __m128i sums = _mm_sad_epu8(acc[c], _mm_setzero_si128());
            out[c + 1] += _mm_cvtsi128_si64(sums) + _mm_extract_epi16(sums, 4);
        }
    }
#endif
    for (; i < n; ++i)
        if (p[i] >= 1 && p[i] <= 6)
            ++out[p[i]];
}

void CountBytes(const Document &doc, std::int64_t *out)
{
    Counter counter(out);
    doc.ForEachSpan(0, doc.BufferSize(), [&](const Document::Span &s) {
        counter.add(s.data, s.size);
        return true;
    });
}

std::string MarkCount(std::int64_t n)
{
    return PadNumber(n, 8, false);
}

// The character column: what DisplayChar gives, in UTF-8. Control codes would break
// the line or take no room, so they get the replacement character, one cell wide.
std::string CharColumn(std::uint8_t v, bool noUnknown)
{
    const auto c = static_cast<std::uint8_t>(DisplayChar(v, true, noUnknown));
    const char32_t u = Cp1252ToUnicode(c);
    if (u < 0x20 || (u >= 0x7F && u < 0xA0))
        return "\xEF\xBF\xBD";
    return Cp1252ToUtf8(c);
}

struct HeaderTexts
{
    const char *file, *modifiedYes, *modifiedNo, *size, *markHead;
    std::array<const char *, 7> marks; // by marks value, 0 unmarked
    const char *tableHead;
};

constexpr HeaderTexts kEnglish{" File: ",
                               " Modified: Yes",
                               " Modified: No",
                               " Number of bytes: ",
                               " Mark        Count",
                               {" Unmarked:", " Red:     ", " Green:   ", " Blue:    ",
                                " Cyan:    ", " Magenta: ", " Yellow:  "},
                               " Dec Hex Char       Bin    Count Percent"};
constexpr HeaderTexts kGerman{" Datei: ",
                              " Geändert: Ja",
                              " Geändert: Nein",
                              " Anzahl Bytes: ",
                              " Markierung   Anzahl",
                              {" Unmarkiert:", " Rot:       ", " Grün:      ", " Blau:      ",
                               " Cyan:      ", " Magenta:   ", " Gelb:      "},
                              " Dez Hex Char       Bin   Anzahl Prozent"};

} // namespace

ByteStatistics CountStatistics(const Document &doc)
{
    ByteStatistics s;
    const std::int64_t size = doc.BufferSize();
    if (size <= 0)
        return s;
    CountBytes(doc, s.values.data());
    if (doc.MarkedCount() == 0) {
        s.marks[0] = size;
        return s;
    }
    // Runs add their length; stretches held a colour per byte are counted.
    std::array<std::int64_t, 256> colours{};
    doc.MarkRuns().forEachPiece(
        0, size, [&](std::int64_t a, std::int64_t b, std::uint8_t c, const std::uint8_t *each) {
            if (each)
                CountColours(each, b - a, colours.data());
            else
                colours[c] += b - a;
        });
    std::int64_t coloured = 0;
    for (std::size_t c = 1; c < s.marks.size(); ++c) {
        s.marks[c] = colours[c];
        coloured += colours[c];
    }
    s.marks[0] = size - coloured;
    return s;
}

std::vector<std::string> StatisticLines(const ByteStatistics &stats, std::int64_t size,
                                        bool modified, const std::string &openName,
                                        Language language, bool noUnknown,
                                        std::string_view decimalSeparator, int sectorSize)
{
    const HeaderTexts &t = IsGerman(language) ? kGerman : kEnglish;
    const bool de = IsGerman(language);
    std::vector<std::string> lines = {
        "",
        t.file + openName,
        modified ? t.modifiedYes : t.modifiedNo,
        t.size + std::to_string(size),
        sectorSize <= 0 ? std::string()
        : de            ? "Gerät, Sektorgröße: " + std::to_string(sectorSize) + " Bytes"
                        : "Device, sector size: " + std::to_string(sectorSize) + " bytes",
        "",
        t.markHead,
        ""};
    // Colours 1..6 first, unmarked last.
    for (std::size_t k = 1; k <= 7; ++k)
        lines.push_back(t.marks[k % 7] + MarkCount(stats.marks[k % 7]));
    lines.insert(lines.end(), {"", "", t.tableHead, ""});
    lines.reserve(lines.size() + 257);
    const std::int64_t max = *std::max_element(stats.values.begin(), stats.values.end());
    for (unsigned v = 0; v < 256; ++v) {
        const std::int64_t n = stats.values[v];
        const double share = size > 0 ? double(n) / double(size) * 100.0 : 0.0;
        // In doubles, so no count can overflow; nearbyint rounds ties to even.
        const auto cells = max > 0 ? std::int64_t(std::nearbyint(double(n) * 20 / double(max))) : 0;
        std::string line = " " + PadNumber(v, 3, false) + "  " + ZeroPadded(v, 2, true) + "    "
                           + CharColumn(std::uint8_t(v), noUnknown) + "  " + BinaryString(v, 8)
                           + " " + PadNumber(n, 8, false) + "  "
                           + FixedTwoDecimals(share, 5, decimalSeparator) + "%   ";
        for (std::int64_t k = 0; k < cells; ++k)
            line += BarCell;
        lines.push_back(std::move(line));
    }
    lines.emplace_back();
    return lines;
}

} // namespace vtm
