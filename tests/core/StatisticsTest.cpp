#include "analysis/Statistics.h"
#include "document/Format.h"
#include "document/Language.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace vtm;

namespace {
std::string Bar(int cells)
{
    std::string s;
    for (int i = 0; i < cells; ++i)
        s += BarCell;
    return s;
}

// Header lines, then one line per byte value, then a blank.
constexpr std::size_t kFirstValueLine = 19;

Document DocOf(const std::vector<std::uint8_t> &bytes)
{
    Document d;
    d.loadBytes(bytes.data(), std::int64_t(bytes.size()));
    return d;
}

std::vector<std::string> LinesOf(const Document &d, Language language, bool noUnknown = true,
                                 const std::string &name = "/tmp/a.bin", bool modified = false)
{
    return StatisticLines(CountStatistics(d), d.BufferSize(), modified, name, language, noUnknown);
}
} // namespace

TEST(Statistics, OneByteDocumentInBothLanguages)
{
    Document d = DocOf({65});
    const auto en = LinesOf(d, LanguageEnglish);
    const std::vector<std::string> enHead = {"",
                                             " File: /tmp/a.bin",
                                             " Modified: No",
                                             " Number of bytes: 1",
                                             "",
                                             "",
                                             " Mark        Count",
                                             "",
                                             " Red:            0",
                                             " Green:          0",
                                             " Blue:           0",
                                             " Cyan:           0",
                                             " Magenta:        0",
                                             " Yellow:         0",
                                             " Unmarked:       1",
                                             "",
                                             "",
                                             " Dec Hex Char       Bin    Count Percent",
                                             ""};
    ASSERT_EQ(en.size(), kFirstValueLine + 257);
    EXPECT_EQ(std::vector<std::string>(en.begin(), en.begin() + kFirstValueLine), enHead);
    EXPECT_EQ(en[kFirstValueLine + 65], "  65  41    A  01000001        1  100.00%   " + Bar(20));
    EXPECT_EQ(en[kFirstValueLine + 66], "  66  42    B  01000010        0   0.00%   ");
    EXPECT_EQ(en[kFirstValueLine + 255], " 255  FF    \xC3\xBF  11111111        0   0.00%   ");
    EXPECT_EQ(en.back(), "");

    d.SetMark(0, 3);
    const auto de = StatisticLines(CountStatistics(d), 1, true, "", LanguageGerman, true, ",");
    const std::vector<std::string> deHead = {"",
                                             " Datei: ",
                                             " Geändert: Ja",
                                             " Anzahl Bytes: 1",
                                             "",
                                             "",
                                             " Markierung   Anzahl",
                                             "",
                                             " Rot:              0",
                                             " Grün:             0",
                                             " Blau:             1",
                                             " Cyan:             0",
                                             " Magenta:          0",
                                             " Gelb:             0",
                                             " Unmarkiert:       0",
                                             "",
                                             "",
                                             " Dez Hex Char       Bin   Anzahl Prozent",
                                             ""};
    ASSERT_EQ(de.size(), kFirstValueLine + 257);
    EXPECT_EQ(std::vector<std::string>(de.begin(), de.begin() + kFirstValueLine), deHead);
    EXPECT_EQ(de[kFirstValueLine + 65], "  65  41    A  01000001        1  100,00%   " + Bar(20));
    EXPECT_EQ(de[kFirstValueLine + 1], "   1  01       00000001        0   0,00%   ");

    const auto unnamed = LinesOf(d, LanguageEnglish, true, "", true);
    EXPECT_EQ(unnamed[1], " File: ");
    EXPECT_EQ(unnamed[2], " Modified: Yes");
}

TEST(Statistics, BarsRoundHalvesToEven)
{
    // max 40: 1 -> 0.5 cells, 3 -> 1.5, 5 -> 2.5, 10 -> 5, 39 -> 19.5
    std::vector<std::uint8_t> bytes(40, 'A');
    bytes.insert(bytes.end(), 1, 'B');
    bytes.insert(bytes.end(), 3, 'C');
    bytes.insert(bytes.end(), 5, 'D');
    bytes.insert(bytes.end(), 10, 'E');
    bytes.insert(bytes.end(), 39, 'F');
    const auto lines = LinesOf(DocOf(bytes), LanguageEnglish);
    auto bar = [&](char v) {
        const std::string &l = lines[kFirstValueLine + std::uint8_t(v)];
        return l.substr(l.find("%   ") + 4);
    };
    EXPECT_EQ(bar('A'), Bar(20));
    EXPECT_EQ(bar('B'), "");
    EXPECT_EQ(bar('C'), Bar(2));
    EXPECT_EQ(bar('D'), Bar(2));
    EXPECT_EQ(bar('E'), Bar(5));
    EXPECT_EQ(bar('F'), Bar(20));
    EXPECT_EQ(bar('G'), "");
    // 40 / 98 = 40.816..%, 1 / 98 = 1.0204..%
    EXPECT_NE(lines[kFirstValueLine + 'A'].find("       40  40.82%"), std::string::npos);
    EXPECT_NE(lines[kFirstValueLine + 'B'].find("        1   1.02%"), std::string::npos);
}

TEST(Statistics, CharacterColumn)
{
    std::vector<std::uint8_t> all(256);
    for (int v = 0; v < 256; ++v)
        all[std::size_t(v)] = std::uint8_t(v);
    const Document d = DocOf(all);
    const auto shown = LinesOf(d, LanguageEnglish, false);
    const auto filtered = LinesOf(d, LanguageEnglish, true);
    auto charOf = [](const std::string &line) { return line.substr(12, line.find("  ", 13) - 12); };
    // 0 is blank even when every other character is shown.
    EXPECT_EQ(charOf(shown[kFirstValueLine + 0]), " ");
    EXPECT_EQ(charOf(shown[kFirstValueLine + 'z']), "z");
    EXPECT_EQ(charOf(shown[kFirstValueLine + 0x80]), "\xE2\x82\xAC"); // euro sign
    EXPECT_EQ(charOf(filtered[kFirstValueLine + 0x80]), " ");
    EXPECT_EQ(charOf(filtered[kFirstValueLine + 0x82]), "\xE2\x80\x9A");
    EXPECT_EQ(charOf(filtered[kFirstValueLine + 10]), " ");
    // Control codes would break the list's line: one replacement character instead.
    for (int v : {9, 10, 13, 0x7F, 0x81, 0x9D})
        EXPECT_EQ(charOf(shown[kFirstValueLine + std::size_t(v)]), "\xEF\xBF\xBD") << v;
    for (std::size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i].find_first_of("\r\n\t"), std::string::npos) << i;
    // Every count is 1 of 256 and every bar full.
    EXPECT_EQ(shown[kFirstValueLine + 7],
              "   7  07    \xEF\xBF\xBD  00000111        1   0.39%   " + Bar(20));
}

TEST(Statistics, CountsMatchAPlainLoop)
{
    std::mt19937_64 rng(42);
    for (const std::int64_t size :
         {std::int64_t(1), std::int64_t(15), std::int64_t(1 << 20) + 13}) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
        for (auto &b : bytes)
            b = std::uint8_t(rng() % 7 == 0 ? 0xAA : rng()); // one value far more frequent
        Document d = DocOf(bytes);
        // Marks in the first part only, some outside 1..6, so MarkedEnd < size.
        std::vector<std::uint8_t> marks(static_cast<std::size_t>(size), 0);
        for (std::int64_t i = 0; i < size * 3 / 4; ++i)
            if (rng() % 3 == 0) {
                const std::uint8_t m = std::uint8_t(rng() % 10);
                marks[std::size_t(i)] = m;
                d.SetMark(std::int32_t(i), m);
            }
        ByteStatistics expected;
        for (std::int64_t i = 0; i < size; ++i) {
            ++expected.values[bytes[std::size_t(i)]];
            const std::uint8_t m = marks[std::size_t(i)];
            ++expected.marks[m <= 6 ? m : 0];
        }
        const ByteStatistics got = CountStatistics(d);
        EXPECT_EQ(got.values, expected.values) << size;
        EXPECT_EQ(got.marks, expected.marks) << size;
        std::int64_t values = 0, markSum = 0;
        for (auto n : got.values)
            values += n;
        for (auto n : got.marks)
            markSum += n;
        EXPECT_EQ(values, size);
        EXPECT_EQ(markSum, size);
    }
    Document unmarked = DocOf(std::vector<std::uint8_t>(100, 1));
    EXPECT_EQ(CountStatistics(unmarked).marks[0], 100);
    unmarked.SetMark(99, 0x87);
    EXPECT_EQ(CountStatistics(unmarked).marks[0], 100);
    EXPECT_EQ(CountStatistics(Document()).marks[0], 0);
}

TEST(Statistics, ShareUsesTheGivenSeparator)
{
    EXPECT_EQ(FixedTwoDecimals(33.333333, 6, ","), " 33,33");
    EXPECT_EQ(FixedTwoDecimals(0, 5, ","), " 0,00");
    EXPECT_EQ(FixedTwoDecimals(100, 5, ","), "100,00");
    // A separator of more than one byte still pads by characters.
    EXPECT_EQ(FixedTwoDecimals(2.5, 5, "\xD9\xAB"), " 2\xD9\xAB"
                                                    "50");
}
