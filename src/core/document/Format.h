#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vtm {

// The character shown for a byte. With noUnknown, bytes that have no printable
// Windows-1252 character show as a space.
char DisplayChar(std::uint8_t byte, bool blankNul, bool noUnknown);

std::string PadNumber(std::int64_t value, int width, bool zeroPad);
std::string BinaryString(std::uint32_t value, int n);

enum class HexCase { Upper, Lower };

// The hexadecimal digit of the low four bits. Inline: the painter calls it for every cell.
constexpr char HexDigit(unsigned value, HexCase letters = HexCase::Upper)
{
    return (letters == HexCase::Upper ? "0123456789ABCDEF" : "0123456789abcdef")[value & 15];
}

// Upper-case hexadecimal without leading zeros ("0" for 0).
std::string ShortHex(std::uint64_t value);
// The value in hexadecimal or in decimal, with leading zeros to at least width digits.
std::string ZeroPadded(std::uint64_t value, int width, bool hex, HexCase letters = HexCase::Upper);
// Two decimals, padded on the left to width; the separator is the user's locale's (UTF-8).
std::string FixedTwoDecimals(double x, int width, std::string_view decimalSeparator = ".");

class ConversionError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// 0..15 for "0".."9", "A".."F" in either case; throws ConversionError otherwise.
int HexDigitValue(char c);
bool IsHexDigit(char c);

// Windows-1252 byte to Unicode code point; the five unassigned bytes map to themselves.
char32_t Cp1252ToUnicode(std::uint8_t byte);
// The byte of a typed character in Windows-1252, or -1 when the code page lacks it.
int UnicodeToCp1252(char32_t c);
// The same character as UTF-8, the encoding of every text the core hands out.
std::string Cp1252ToUtf8(std::uint8_t byte);

} // namespace vtm
