// The data inspector: every row read against values laid down with memcpy, in both byte
// orders, at the end of the document and across the pieces and blocks of a document read on
// demand; typed values overtype the bytes as one step, and refused ones change nothing.
#include "ScriptedHost.h"

#include "analysis/Inspector.h"
#include "edit/TEditAction.h"
#include "edit/TInsertBytesAction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <cstring>
#include <random>

#include <unistd.h>

using namespace vtm;
using namespace vtmtest;

namespace {
using Bytes = std::vector<std::uint8_t>;
using R = InspectorRow;

static_assert(std::endian::native == std::endian::little, "the expectations assume it");

// v as it is stored in the byte order.
template <class T> Bytes Encoded(T v, bool big)
{
    Bytes b(sizeof v);
    std::memcpy(b.data(), &v, sizeof v);
    if (big)
        std::reverse(b.begin(), b.end());
    return b;
}

template <class T> T Decoded(const std::uint8_t *p, bool big)
{
    Bytes b(p, p + sizeof(T));
    if (big)
        std::reverse(b.begin(), b.end());
    T v;
    std::memcpy(&v, b.data(), sizeof v);
    return v;
}

std::string At(const InspectorTexts &t, R row)
{
    return t[std::size_t(row)];
}

InspectorTexts Of(const Bytes &b, bool big = false, Language l = LanguageEnglish)
{
    return InspectBuffer(b.data(), int(b.size()), l, big);
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The integer rows of bytes p..p+n against the values memcpy gives; floats read back to the
// same bits.
void ExpectNumbersOf(const std::uint8_t *p, int n, bool big, const InspectorTexts &t)
{
    auto check = [&](R row, int size, auto value) {
        if (n < size)
            EXPECT_EQ(At(t, row), "") << int(row);
        else
            EXPECT_EQ(At(t, row), std::to_string(value)) << int(row);
    };
    check(R::Int8, 1, n >= 1 ? std::int8_t(p[0]) : 0);
    check(R::UInt8, 1, n >= 1 ? p[0] : 0);
    check(R::Int16, 2, n >= 2 ? Decoded<std::int16_t>(p, big) : 0);
    check(R::UInt16, 2, n >= 2 ? Decoded<std::uint16_t>(p, big) : 0);
    check(R::Int32, 4, n >= 4 ? Decoded<std::int32_t>(p, big) : 0);
    check(R::UInt32, 4, n >= 4 ? Decoded<std::uint32_t>(p, big) : 0);
    check(R::Int64, 8, n >= 8 ? Decoded<std::int64_t>(p, big) : 0);
    check(R::UInt64, 8, n >= 8 ? Decoded<std::uint64_t>(p, big) : 0);
    if (n >= 8) {
        const double d = Decoded<double>(p, big);
        const std::string text = At(t, R::Float64);
        if (std::isfinite(d)) {
            EXPECT_EQ(std::strtod(text.c_str(), nullptr), d) << text;
        }
    }
    EXPECT_EQ(At(t, R::Guid).empty(), n < 16);
}
} // namespace

// Random bytes at every offset of a small document, near its end too, in both byte orders:
// the document's rows are those of the bytes themselves, numbers as memcpy reads them.
TEST(Inspector, NumbersMatchMemcpyAtEveryOffsetAndEmptyPastTheEnd)
{
    std::mt19937 rng(7);
    Bytes bytes(53);
    for (auto &b : bytes)
        b = std::uint8_t(rng());
    Document doc;
    doc.loadBytes(bytes.data(), std::int64_t(bytes.size()));
    for (const bool big : {false, true})
        for (int o = 0; o < int(bytes.size()); ++o) {
            SCOPED_TRACE(o);
            const int n = std::min(16, int(bytes.size()) - o);
            const InspectorTexts t = InspectBytes(doc, o, LanguageEnglish, big);
            ExpectNumbersOf(bytes.data() + o, n, big, t);
        }
    // Past the end and an empty document: nothing at all.
    EXPECT_EQ(InspectBytes(doc, 53, LanguageEnglish, false), InspectorTexts{});
    EXPECT_EQ(InspectBytes(Document{}, 0, LanguageEnglish, false), InspectorTexts{});
}

// Chosen values of every kind, written with memcpy in each byte order.
TEST(Inspector, ChosenValuesInBothByteOrders)
{
    for (const bool big : {false, true}) {
        SCOPED_TRACE(big);
        InspectorTexts t = Of(Encoded(std::int32_t(-123456), big), big);
        EXPECT_EQ(At(t, R::Int32), "-123456");
        EXPECT_EQ(At(t, R::UInt32), "4294843840");
        t = Of(Cat({Encoded(1.5f, big), Bytes(4, 0)}), big);
        EXPECT_EQ(At(t, R::Float32), "1.5");
        t = Of(Encoded(-0.1, big), big, LanguageGerman);
        EXPECT_EQ(At(t, R::Float64), "-0,1");
        t = Of(Encoded(std::numeric_limits<double>::quiet_NaN(), big), big);
        EXPECT_EQ(At(t, R::Float64), "NaN");
        t = Of(Encoded(std::numeric_limits<std::int64_t>::min(), big), big);
        EXPECT_EQ(At(t, R::Int64), "-9223372036854775808");

        // Unix time: signed seconds, four-digit years only.
        EXPECT_EQ(At(Of(Encoded(std::int32_t(1704164645), big), big), R::Unix32),
                  "2024-01-02T03:04:05Z");
        EXPECT_EQ(At(Of(Encoded(std::int32_t(-1), big), big), R::Unix32), "1969-12-31T23:59:59Z");
        EXPECT_EQ(At(Of(Encoded(std::int64_t(-62135596800), big), big), R::Unix64),
                  "0001-01-01T00:00:00Z");
        EXPECT_EQ(At(Of(Encoded(std::int64_t(253402300799), big), big), R::Unix64),
                  "9999-12-31T23:59:59Z");
        EXPECT_EQ(At(Of(Encoded(std::int64_t(-62135596801), big), big), R::Unix64),
                  "out of range");
        EXPECT_EQ(At(Of(Encoded(std::int64_t(253402300800), big), big, LanguageGerman),
                     R::Unix64),
                  "außerhalb des Bereichs");
        EXPECT_EQ(At(Of(Encoded(std::numeric_limits<std::int64_t>::min(), big), big), R::Unix64),
                  "out of range");

        // FILETIME: 100 ns since 1601, the fraction shown when there is one.
        EXPECT_EQ(At(Of(Encoded(std::uint64_t(0), big), big), R::FileTime),
                  "1601-01-01T00:00:00Z");
        EXPECT_EQ(At(Of(Encoded(std::uint64_t(116444736000000001), big), big), R::FileTime),
                  "1970-01-01T00:00:00.0000001Z");
        EXPECT_EQ(At(Of(Encoded(~std::uint64_t(0), big), big), R::FileTime), "out of range");

        // DOS: the time word, then the date word, each in the byte order.
        const Bytes dos = Cat({Encoded(std::uint16_t(0x1883), big), Encoded(std::uint16_t(0x5822), big)});
        EXPECT_EQ(At(Of(dos, big), R::DosDateTime), "2024-01-02T03:04:06");
        const Bytes feb30 = Cat({Encoded(std::uint16_t(0), big),
                                 Encoded(std::uint16_t((44 << 9) | (2 << 5) | 30), big)});
        EXPECT_EQ(At(Of(feb30, big, LanguageGerman), R::DosDateTime), "ungültig");

        // UTF-16 with a surrogate pair, a lone low surrogate, a high one at the end.
        const Bytes pair = Cat({Encoded(std::uint16_t(0xD83D), big), Encoded(std::uint16_t(0xDE00), big)});
        EXPECT_EQ(At(Of(pair, big), R::Utf16), "\xF0\x9F\x98\x80  U+1F600");
        EXPECT_EQ(At(Of(Encoded(std::uint16_t(0xDE00), big), big), R::Utf16), "not valid");
        EXPECT_EQ(At(Of(Encoded(std::uint16_t(0xD83D), big), big), R::Utf16), "");
        EXPECT_EQ(At(Of(Cat({Encoded(std::uint16_t(0xD83D), big), Encoded(std::uint16_t(0x41), big)}), big),
                     R::Utf16),
                  "not valid");
    }

    Bytes g(16);
    for (int i = 0; i < 16; ++i)
        g[std::size_t(i)] = std::uint8_t(i * 0x11);
    EXPECT_EQ(At(Of(g, false), R::Guid), "{33221100-5544-7766-8899-AABBCCDDEEFF}");
    EXPECT_EQ(At(Of(g, true), R::Guid), "{00112233-4455-6677-8899-AABBCCDDEEFF}");
}

TEST(Inspector, CharactersOfTheByteAndTheSequenceAtIt)
{
    EXPECT_EQ(At(Of({0xA5}), R::Binary), "10100101");
    EXPECT_EQ(At(Of({0x80}), R::Cp1252), "\xE2\x82\xAC  U+20AC");
    EXPECT_EQ(At(Of({0x81}), R::Cp1252), "U+0081"); // unassigned: nothing to show
    EXPECT_EQ(At(Of({0x0A}), R::Utf8), "U+000A");
    EXPECT_EQ(At(Of({0xC3, 0xA4}), R::Utf8), "\xC3\xA4  U+00E4");
    EXPECT_EQ(At(Of({0xF0, 0x9F, 0x98, 0x80}), R::Utf8), "\xF0\x9F\x98\x80  U+1F600");
    // Overlong, surrogate, past U+10FFFF, a stray continuation byte.
    for (const Bytes &bad : {Bytes{0xC0, 0x80}, Bytes{0xED, 0xA0, 0x80}, Bytes{0xF4, 0x90, 0x80, 0x80},
                             Bytes{0x80}, Bytes{0xE2, 0x41}})
        EXPECT_EQ(At(Of(bad), R::Utf8), "not valid");
    // A good start cut off by the end shows nothing.
    EXPECT_EQ(At(Of({0xE2, 0x82}), R::Utf8), "");
}

// Read on demand through 64-byte blocks and cut into pieces by edits: every offset reads as
// the bytes do; a value straddles a block boundary and an inserted piece. When the file then
// fails under a read of the inspector's own, the rows empty.
TEST(Inspector, OnDemandPiecesAndAFailingFile)
{
    Document::SetReadingOnDemandForTesting(0, FileSource::Limits{64, 2});
    struct Restore
    {
        ~Restore() { Document::SetReadingOnDemandForTesting(-1, {}); }
    } restore;
    TempDir dir;
    const std::string path = dir / "data.bin";
    Bytes model(300);
    for (std::size_t i = 0; i < model.size(); ++i)
        model[i] = std::uint8_t(i * 37 + 11);
    WriteFile(path, model);
    Rig r(Bytes{}, 9);
    ASSERT_TRUE(r.ed.LoadFromFile(path));
    Document &doc = r.s.doc;
    ASSERT_TRUE(doc.ReadsOnDemand());
    TActions &h = r.s.History;
    ASSERT_TRUE(h.AddAction(std::make_unique<TEditAction>(r.ed.NextCommandNumber(), 62, false, 0xEE), true));
    const Bytes two{0xAB, 0xCD};
    ASSERT_TRUE(h.AddAction(
        std::make_unique<TInsertBytesAction>(r.ed.NextCommandNumber(), 130, false, 2, two.data(), 2),
        true));
    model[62] = 0xEE;
    model.insert(model.begin() + 130, two.begin(), two.end());
    for (const bool big : {false, true})
        for (std::int64_t o = 0; o < std::int64_t(model.size()); ++o) {
            const int n = int(std::min<std::int64_t>(16, std::int64_t(model.size()) - o));
            ASSERT_EQ(InspectBytes(doc, o, LanguageEnglish, big),
                      InspectBuffer(model.data() + o, n, LanguageEnglish, big))
                << o;
        }
    EXPECT_EQ(At(InspectBytes(doc, 58, LanguageEnglish, true), R::UInt64),
              std::to_string(Decoded<std::uint64_t>(model.data() + 58, true)));

    // The cursor's byte comes from a cached block, the bytes after it from one that is not.
    r.s.settings.ShowInspector = true;
    r.ed.MoveCursorToOffset(20, false, false);
    EXPECT_FALSE(r.host.inspector[std::size_t(R::Int32)].empty());
    doc.ByteAt(250);
    doc.ByteAt(150);
    doc.ByteAt(60);
    ASSERT_EQ(::truncate(path.c_str(), 0), 0);
    r.host.answers = {mrNo};
    r.ed.MoveCursorToOffset(61, false, false);
    EXPECT_FALSE(r.host.status[1].empty()) << "the value pane's byte was still readable";
    EXPECT_TRUE(doc.SourceFailed());
    EXPECT_EQ(r.host.inspector, InspectorTexts{});
}

// A typed value overtypes the bytes at the cursor as one step named like an overtype; marks
// stay, Undo brings the old bytes back and Redo the new ones.
TEST(Inspector, TypedValuesOvertypeAsOneStep)
{
    Bytes bytes(24);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t(i);
    Rig r(bytes);
    Document &doc = r.s.doc;
    doc.SetMark(5, 3);
    r.s.settings.ShowInspector = true;
    r.ed.MoveCursorToOffset(4, false, false);
    auto read = [&](std::int64_t p, std::int64_t n) {
        Bytes b(static_cast<std::size_t>(n));
        doc.ReadBytes(p, n, b.data());
        return b;
    };

    r.ed.InspectorEdit(R::Int32, " -2 ");
    EXPECT_EQ(read(4, 4), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(doc.MarkAt(5), 3);
    EXPECT_EQ(doc.BufferSize(), 24);
    EXPECT_EQ(r.s.view.CursorOffset(), 4);
    EXPECT_EQ(r.host.inspector[std::size_t(R::Int32)], "-2");
    Rig typed(bytes); // the Undo caption of a typed digit
    typed.ed.FormKeyPress(U'a');
    EXPECT_EQ(r.s.History.UndoName(), typed.s.History.UndoName());
    EXPECT_EQ(r.host.beepCount, 0);
    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(read(4, 4), (Bytes{4, 5, 6, 7}));
    EXPECT_EQ(doc.MarkAt(5), 3);
    EXPECT_FALSE(r.s.History.CanUndo());
    r.ed.runCommand(Command::Redo);
    EXPECT_EQ(read(4, 4), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));

    r.s.settings.InspectorBigEndian = true;
    r.ed.InspectorEdit(R::UInt16, "0x1234");
    EXPECT_EQ(read(4, 2), (Bytes{0x12, 0x34}));
    r.s.settings.InspectorBigEndian = false;
    r.ed.InspectorEdit(R::Float64, "1,5"); // a German decimal comma
    EXPECT_EQ(read(4, 8), Encoded(1.5, false));
    r.ed.InspectorEdit(R::Int64, "-9223372036854775808");
    EXPECT_EQ(read(4, 8), Encoded(std::numeric_limits<std::int64_t>::min(), false));
    r.ed.InspectorEdit(R::UInt64, "18446744073709551615");
    EXPECT_EQ(read(4, 8), Bytes(8, 0xFF));
    EXPECT_EQ(r.s.History.ActionCount(), 5);
    EXPECT_EQ(r.host.beepCount, 0);
}

// Values that are no number, do not fit the type, or would run past the end beep and leave
// the bytes and the history as they were.
TEST(Inspector, RefusedValuesChangeNothing)
{
    Bytes bytes(12, 0x5A);
    Rig r(bytes);
    r.s.settings.ShowInspector = true;
    const std::pair<R, const char *> refused[] = {
        {R::Int8, "128"},     {R::Int8, "-129"},   {R::UInt8, "256"},   {R::UInt8, "-1"},
        {R::Int16, "abc"},    {R::Int16, ""},      {R::Int16, "1 2"},   {R::UInt32, "0x"},
        {R::Int32, "--1"},    {R::Int32, "+-1"},   {R::Int32, "2147483648"},
        {R::UInt64, "18446744073709551616"},       {R::Float32, "1e39"}, {R::Float64, "1..5"},
        {R::Float64, "+-1"},  {R::Binary, "1"},    {R::Guid, "0"},
    };
    r.ed.MoveCursorToOffset(2, false, false);
    int beeps = 0;
    for (const auto &[row, text] : refused) {
        r.ed.InspectorEdit(row, text);
        EXPECT_EQ(r.host.beepCount, ++beeps) << text;
    }
    // Near the end: a 16-bit value fits, a 32-bit one would run past it.
    r.ed.MoveCursorToOffset(10, false, false);
    r.ed.InspectorEdit(R::Int32, "1");
    EXPECT_EQ(r.host.beepCount, ++beeps);
    EXPECT_EQ(r.host.inspector[std::size_t(R::Int32)], "");
    Bytes now(12);
    r.s.doc.ReadBytes(0, 12, now.data());
    EXPECT_EQ(now, bytes);
    EXPECT_FALSE(r.s.History.CanUndo());

    r.ed.InspectorEdit(R::Int16, "-1");
    EXPECT_EQ(r.host.beepCount, beeps);
    r.s.doc.ReadBytes(10, 2, now.data());
    EXPECT_EQ(now[0], 0xFF);
    EXPECT_EQ(now[1], 0xFF);
}
