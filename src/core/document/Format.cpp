#include "document/Format.h"
#include "document/Color.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace vtm {

namespace {
constexpr std::array<Color, 7> kBright{colors::White,     Color{255, 0, 0},   Color{0, 255, 0},
                                       Color{0, 0, 255},  Color{0, 255, 255}, Color{255, 0, 255},
                                       Color{255, 255, 0}};
constexpr std::array<Color, 7> kDark{Color{128, 128, 128}, Color{128, 0, 0},   Color{0, 128, 0},
                                     Color{0, 0, 128},     Color{0, 128, 128}, Color{128, 0, 128},
                                     Color{128, 128, 0}};

int markIndex(std::uint8_t mark)
{
    const int m = mark & 0x7F;
    return m <= 6 ? m : 0;
}
} // namespace

Color BrightMarkColor(std::uint8_t mark)
{
    return kBright[std::size_t(markIndex(mark))];
}

Color DarkMarkColor(std::uint8_t mark)
{
    return kDark[std::size_t(markIndex(mark))];
}

char DisplayChar(std::uint8_t byte, bool blankNul, bool noUnknown)
{
    if (byte == 0 && blankNul)
        return ' ';
    if (!noUnknown)
        return char(byte);
    const bool shown = (byte >= 0x20 && byte <= 0x7E) || (byte >= 0x82 && byte <= 0x8C)
                       || (byte >= 0x91 && byte <= 0x9C) || byte >= 0x9F;
    return shown ? char(byte) : ' ';
}

std::string PadNumber(std::int64_t value, int width, bool zeroPad)
{
    std::string s = std::to_string(value);
    if (int(s.size()) < width)
        s.insert(0, std::size_t(width) - s.size(), zeroPad ? '0' : ' ');
    return s;
}

std::string BinaryString(std::uint32_t value, int n)
{
    std::string s;
    for (int i = n - 1; i >= 0; --i)
        s += ((value >> i) & 1u) ? '1' : '0';
    return s;
}

std::string ShortHex(std::uint64_t value)
{
    return ZeroPadded(value, 1, true);
}

std::string ZeroPadded(std::uint64_t value, int width, bool hex, HexCase letters)
{
    const unsigned base = hex ? 16 : 10;
    char buf[24];
    char *p = buf + sizeof buf;
    do {
        *--p = HexDigit(unsigned(value % base), letters);
        value /= base;
    } while (value > 0);
    std::string s(p, buf + sizeof buf);
    if (int(s.size()) < width)
        s.insert(0, std::size_t(width) - s.size(), '0');
    return s;
}

std::string FixedTwoDecimals(double x, int width, std::string_view decimalSeparator)
{
    // Round to cents (ties to even), nudge by a thousandth so the shortest form always
    // carries a third decimal, then drop that digit.
    const double cents = std::nearbyint(x * 100.0) * 0.01 + 0.001;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", cents);
    std::string s(buf);
    if (!s.empty())
        s.pop_back();
    // printf writes the C locale's point, which the window system may have set to
    // anything: swap whatever it wrote for the separator asked for.
    const auto point = s.find_first_not_of("-0123456789");
    if (point != std::string::npos) {
        const auto next = s.find_first_of("0123456789", point);
        s.replace(point, (next == std::string::npos ? s.size() : next) - point, decimalSeparator);
    }
    // The width counts characters, not UTF-8 bytes.
    std::size_t chars = 0;
    for (const char c : s)
        chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (chars < std::size_t(width > 0 ? width : 0))
        s.insert(0, std::size_t(width) - chars, ' ');
    return s;
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    throw ConversionError("Invalid Hex-Digit!");
}

char32_t Cp1252ToUnicode(std::uint8_t byte)
{
    static constexpr char32_t high[32] = {
        0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    if (byte >= 0x80 && byte < 0xA0)
        return high[byte - 0x80];
    return byte;
}

} // namespace vtm

namespace vtm {

std::string Cp1252ToUtf8(std::uint8_t byte)
{
    const char32_t c = Cp1252ToUnicode(byte);
    std::string s;
    if (c < 0x80) {
        s += char(c);
    } else if (c < 0x800) {
        s += char(0xC0 | (c >> 6));
        s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xE0 | (c >> 12));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
    return s;
}

} // namespace vtm

namespace vtm {

int UnicodeToCp1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (int b = 0x80; b < 0xA0; ++b)
        if (Cp1252ToUnicode(std::uint8_t(b)) == c)
            return b;
    return -1;
}

} // namespace vtm
