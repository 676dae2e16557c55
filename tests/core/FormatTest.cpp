#include "ScriptedHost.h"
#include "document/Format.h"
#include "document/StatusTexts.h"

#include <gtest/gtest.h>

using namespace vtm;

TEST(Format, DisplayCharBlanksBytesWithoutAGlyph)
{
    for (int b : {0x00, 0x1F, 0x7F, 0x80, 0x81, 0x8D, 0x8E, 0x8F, 0x90, 0x9D, 0x9E})
        EXPECT_EQ(DisplayChar(std::uint8_t(b), false, true), ' ') << b;
    for (int b : {0x20, 0x7E, 0x82, 0x8C, 0x91, 0x9C, 0x9F, 0xA0, 0xFF})
        EXPECT_EQ(DisplayChar(std::uint8_t(b), false, true), char(b)) << b;
    for (int b = 1; b < 256; ++b)
        EXPECT_EQ(DisplayChar(std::uint8_t(b), true, false), char(b)) << b;
    EXPECT_EQ(DisplayChar(0, false, false), '\0');
    EXPECT_EQ(DisplayChar(0, true, false), ' ');
}

TEST(Format, Numbers)
{
    EXPECT_EQ(PadNumber(7, 3, true), "007");
    EXPECT_EQ(PadNumber(255, 3, true), "255");
    EXPECT_EQ(PadNumber(1234, 3, true), "1234");
    EXPECT_EQ(BinaryString(5, 8), "00000101");
    EXPECT_EQ(BinaryString(65, 8), "01000001");
    EXPECT_EQ(ShortHex(0), "0");
    EXPECT_EQ(ShortHex(123), "7B");
    EXPECT_EQ(ShortHex(65536), "10000");
    EXPECT_EQ(FixedTwoDecimals(12.5, 7), "  12.50");
    EXPECT_EQ(FixedTwoDecimals(0, 0), "0.00");
    EXPECT_EQ(FixedTwoDecimals(33.333333, 6), " 33.33");
    EXPECT_EQ(FixedTwoDecimals(100, 0), "100.00");
    EXPECT_EQ(HexDigitValue('a'), 10);
    EXPECT_EQ(HexDigitValue('F'), 15);
    EXPECT_EQ(HexDigitValue('0'), 0);
    try {
        HexDigitValue('g');
        ADD_FAILURE() << "'g' accepted";
    } catch (const ConversionError &e) {
        EXPECT_STREQ(e.what(), "Invalid Hex-Digit!");
    }
}

TEST(Format, MarkColours)
{
    const Color bright[] = {{255, 255, 255}, {255, 0, 0},   {0, 255, 0},  {0, 0, 255},
                            {0, 255, 255},   {255, 0, 255}, {255, 255, 0}};
    const Color dark[] = {{128, 128, 128}, {128, 0, 0},   {0, 128, 0},  {0, 0, 128},
                          {0, 128, 128},   {128, 0, 128}, {128, 128, 0}};
    for (int m = 0; m <= 6; ++m) {
        EXPECT_EQ(BrightMarkColor(std::uint8_t(m)), bright[m]) << m;
        EXPECT_EQ(DarkMarkColor(std::uint8_t(m)), dark[m]) << m;
    }
    for (int m : {7, 0x7F, 0x87}) {
        EXPECT_EQ(BrightMarkColor(std::uint8_t(m)), bright[0]) << m;
        EXPECT_EQ(DarkMarkColor(std::uint8_t(m)), dark[0]) << m;
    }
    EXPECT_EQ(BrightMarkColor(0x81), bright[1]);
    EXPECT_EQ(DarkMarkColor(0x86), dark[6]);
}

TEST(StatusTexts, Readouts)
{
    EXPECT_EQ(PositionText(123), "Pos: 123 $7B");
    EXPECT_EQ(ValueText("Val:", 65), "Val: 65 $41 01000001 \"A\"");
    EXPECT_EQ(ValueText("Val:", 0x80), "Val: 128 $80 10000000");
    EXPECT_EQ(ValueText("Val:", 0xA0), "Val: 160 $A0 10100000");
    EXPECT_EQ(ValueText("Val:", 0x91), "Val: 145 $91 10010001 \"\xE2\x80\x98\"");
    EXPECT_EQ(ValueText("Wert:", 0xA1), "Wert: 161 $A1 10100001 \"\xC2\xA1\"");
    EXPECT_EQ(DistanceText(31), "Dist: 31 $1F");
    EXPECT_EQ(DistanceText(-31), "Dist: -31 -$1F");
}
