#include "analysis/Inspector.h"

#include "document/Format.h"
#include "edit/EditContext.h"
#include "edit/TActions.h"
#include "edit/TReplaceAction.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <system_error>

namespace vtm {

namespace {
struct Pair
{
    const char *english;
    const char *german;
};

std::string Pick(const Pair &p, Language language)
{
    return IsGerman(language) ? p.german : p.english;
}

// In the order of InspectorRow.
constexpr std::array<Pair, InspectorRowCount> kLabels{{
    {"Binary", "Binär"},
    {"8-bit signed", "8 Bit mit Vorzeichen"},
    {"8-bit unsigned", "8 Bit ohne Vorzeichen"},
    {"16-bit signed", "16 Bit mit Vorzeichen"},
    {"16-bit unsigned", "16 Bit ohne Vorzeichen"},
    {"32-bit signed", "32 Bit mit Vorzeichen"},
    {"32-bit unsigned", "32 Bit ohne Vorzeichen"},
    {"64-bit signed", "64 Bit mit Vorzeichen"},
    {"64-bit unsigned", "64 Bit ohne Vorzeichen"},
    {"32-bit float", "32-Bit-Gleitkomma"},
    {"64-bit float", "64-Bit-Gleitkomma"},
    {"Windows-1252", "Windows-1252"},
    {"UTF-8", "UTF-8"},
    {"UTF-16", "UTF-16"},
    {"Unix time (32 bit)", "Unix-Zeit (32 Bit)"},
    {"Unix time (64 bit)", "Unix-Zeit (64 Bit)"},
    {"DOS date and time", "DOS-Datum und -Zeit"},
    {"Windows FILETIME", "Windows-FILETIME"},
    {"GUID", "GUID"},
}};

std::string NotValid(Language language)
{
    return Pick({"not valid", "ungültig"}, language);
}

std::string OutOfRange(Language language)
{
    return Pick({"out of range", "außerhalb des Bereichs"}, language);
}

// The first k bytes as one number in the byte order.
std::uint64_t Load(const std::uint8_t *b, int k, bool bigEndian)
{
    std::uint64_t v = 0;
    for (int i = 0; i < k; ++i)
        v |= std::uint64_t(b[bigEndian ? i : k - 1 - i]) << (8 * (k - 1 - i));
    return v;
}

void Store(std::uint64_t v, int k, bool bigEndian, std::uint8_t *out)
{
    for (int i = 0; i < k; ++i)
        out[bigEndian ? k - 1 - i : i] = std::uint8_t(v >> (8 * i));
}

void AppendUtf8(std::string &s, char32_t c)
{
    if (c < 0x80) {
        s += char(c);
    } else if (c < 0x800) {
        s += char(0xC0 | (c >> 6));
        s += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += char(0xE0 | (c >> 12));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xF0 | (c >> 18));
        s += char(0x80 | ((c >> 12) & 0x3F));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
}

// The character with its code point; control characters by their code point alone, as they
// have nothing to show.
std::string CharacterText(char32_t c)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", unsigned(c));
    if (c < 0x20 || (c >= 0x7F && c < 0xA0))
        return code;
    std::string s;
    AppendUtf8(s, c);
    return s + "  " + code;
}

bool Continuation(std::uint8_t b, std::uint8_t lo = 0x80, std::uint8_t hi = 0xBF)
{
    return b >= lo && b <= hi;
}

// The character starting at b: empty when its bytes run past the n there are.
std::string Utf8Text(const std::uint8_t *b, int n, Language language)
{
    const std::uint8_t lead = b[0];
    int length = 0;
    std::uint8_t lo = 0x80, hi = 0xBF; // the second byte's range, which rules out overlongs
    char32_t c = 0;
    if (lead < 0x80)
        return CharacterText(lead);
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        if (lead == 0xE0)
            lo = 0xA0;
        else if (lead == 0xED)
            hi = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        if (lead == 0xF0)
            lo = 0x90;
        else if (lead == 0xF4)
            hi = 0x8F; // nothing past U+10FFFF
    } else {
        return NotValid(language);
    }
    // A byte that breaks the sequence makes it invalid whatever follows the end.
    for (int i = 1; i < length && i < n; ++i) {
        if (!(i == 1 ? Continuation(b[i], lo, hi) : Continuation(b[i])))
            return NotValid(language);
        c = (c << 6) | (b[i] & 0x3F);
    }
    return length <= n ? CharacterText(c) : std::string();
}

std::string Utf16Text(const std::uint8_t *b, int n, bool bigEndian, Language language)
{
    if (n < 2)
        return {};
    const auto high = char32_t(Load(b, 2, bigEndian));
    if (high >= 0xDC00 && high <= 0xDFFF)
        return NotValid(language);
    if (high < 0xD800 || high > 0xDBFF)
        return CharacterText(high);
    if (n < 4)
        return {};
    const auto low = char32_t(Load(b + 2, 2, bigEndian));
    if (low < 0xDC00 || low > 0xDFFF)
        return NotValid(language);
    return CharacterText(0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00));
}

// Days since 1970-01-01 to a date of the proleptic Gregorian calendar.
void CivilFromDays(std::int64_t z, std::int64_t *year, unsigned *month, unsigned *day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *day = doy - (153 * mp + 2) / 5 + 1;
    *month = mp < 10 ? mp + 3 : mp - 9;
    *year = std::int64_t(yoe) + era * 400 + (*month <= 2 ? 1 : 0);
}

// Four-digit years only: 0001-01-01 and 9999-12-31 in days since 1970.
constexpr std::int64_t kFirstDay = -719162, kLastDay = 2932896;

// ISO 8601 in UTC; fraction: ten-millionths of a second, shown when there are any.
std::string UtcText(std::int64_t days, std::int64_t secondOfDay, std::uint32_t fraction,
                    Language language)
{
    if (days < kFirstDay || days > kLastDay)
        return OutOfRange(language);
    std::int64_t y = 0;
    unsigned m = 0, d = 0;
    CivilFromDays(days, &y, &m, &d);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d", int(y), m, d,
                  int(secondOfDay / 3600), int(secondOfDay / 60 % 60), int(secondOfDay % 60));
    std::string s = text;
    if (fraction != 0) {
        std::snprintf(text, sizeof text, ".%07u", unsigned(fraction));
        s += text;
    }
    return s + "Z";
}

std::string UnixText(std::int64_t seconds, Language language)
{
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        --days;
        rest += 86400;
    }
    return UtcText(days, rest, 0, language);
}

std::string FileTimeText(std::uint64_t ticks, Language language)
{
    constexpr std::uint64_t perSecond = 10'000'000;
    constexpr std::int64_t daysFrom1601To1970 = 134774;
    const std::uint64_t seconds = ticks / perSecond;
    return UtcText(std::int64_t(seconds / 86400) - daysFrom1601To1970,
                   std::int64_t(seconds % 86400), std::uint32_t(ticks % perSecond), language);
}

bool LeapYear(unsigned y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// A time word then a date word, in local time as DOS kept it: no zone.
std::string DosText(std::uint16_t time, std::uint16_t date, Language language)
{
    static constexpr unsigned monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const unsigned hour = time >> 11, minute = (time >> 5) & 63, second = (time & 31) * 2;
    const unsigned year = 1980 + (date >> 9), month = (date >> 5) & 15, day = date & 31;
    if (hour > 23 || minute > 59 || second > 59 || month < 1 || month > 12 || day < 1)
        return NotValid(language);
    if (day > monthDays[month - 1] + (month == 2 && LeapYear(year) ? 1 : 0))
        return NotValid(language);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", year, month, day, hour,
                  minute, second);
    return text;
}

std::string GuidText(const std::uint8_t *b, bool bigEndian)
{
    std::uint8_t g[16];
    std::memcpy(g, b, 16);
    if (!bigEndian) {
        std::reverse(g, g + 4);
        std::reverse(g + 4, g + 6);
        std::reverse(g + 6, g + 8);
    }
    std::string s = "{";
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            s += '-';
        s += HexDigit(g[i] >> 4);
        s += HexDigit(g[i]);
    }
    return s + "}";
}

std::string BinaryText(std::uint8_t b)
{
    std::string s(8, '0');
    for (int i = 0; i < 8; ++i)
        if (b & (0x80 >> i))
            s[std::size_t(i)] = '1';
    return s;
}

// The shortest text that reads back as the same number; German writes a decimal comma.
template <class T> std::string FloatText(T x, Language language)
{
    if (x != x)
        return "NaN";
    if (x == std::numeric_limits<T>::infinity())
        return "Inf";
    if (x == -std::numeric_limits<T>::infinity())
        return "-Inf";
    char text[64];
    const auto r = std::to_chars(text, text + sizeof text, x);
    std::string s(text, r.ptr);
    if (IsGerman(language))
        std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

std::string_view Trimmed(std::string_view t)
{
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t'))
        t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t'))
        t.remove_suffix(1);
    return t;
}

// An integer of `bits` bits, signed or not, in decimal or with 0x in hexadecimal; its bits.
std::optional<std::uint64_t> ParseInteger(std::string_view t, int bits, bool isSigned)
{
    bool negative = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    int base = 10;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        base = 16;
        t.remove_prefix(2);
    }
    if (t.empty() || t.front() == '-' || t.front() == '+')
        return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), magnitude, base);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size())
        return std::nullopt;
    const std::uint64_t top = std::uint64_t(1) << (bits - 1); // 2^(bits-1)
    const std::uint64_t maxUnsigned = top - 1 + top;          // 2^bits - 1 without overflow
    if (negative && magnitude != 0) {
        if (!isSigned || magnitude > top)
            return std::nullopt;
        return (~magnitude + 1) & maxUnsigned;
    }
    if (magnitude > (isSigned ? top - 1 : maxUnsigned))
        return std::nullopt;
    return magnitude;
}

template <class T> std::optional<T> ParseFloat(std::string_view t)
{
    // A plus is allowed where the reader takes only a minus.
    if (!t.empty() && t.front() == '+') {
        t.remove_prefix(1);
        if (!t.empty() && (t.front() == '+' || t.front() == '-'))
            return std::nullopt;
    }
    std::string s(t);
    std::replace(s.begin(), s.end(), ',', '.');
    T x{};
    const char *begin = s.data(), *end = s.data() + s.size();
    const auto r = std::from_chars(begin, end, x, std::chars_format::general);
    if (begin == end || r.ec != std::errc() || r.ptr != end)
        return std::nullopt;
    return x;
}

template <class F, class T> F BitCast(T v)
{
    static_assert(sizeof(F) == sizeof(T));
    F f;
    std::memcpy(&f, &v, sizeof f);
    return f;
}

int IntegerBits(InspectorRow row)
{
    switch (row) {
    case InspectorRow::Int8:
    case InspectorRow::UInt8: return 8;
    case InspectorRow::Int16:
    case InspectorRow::UInt16: return 16;
    case InspectorRow::Int32:
    case InspectorRow::UInt32: return 32;
    default: return 64;
    }
}
} // namespace

std::string InspectorRowLabel(InspectorRow row, Language language)
{
    return Pick(kLabels[std::size_t(row)], language);
}

std::string InspectorCaptionText(InspectorCaption caption, Language language)
{
    static constexpr std::array<Pair, 3> captions{{
        {"Data inspector", "Dateninspektor"},
        {"Little endian", "Little-Endian"},
        {"Big endian", "Big-Endian"},
    }};
    return Pick(captions[std::size_t(caption)], language);
}

InspectorTexts InspectBuffer(const std::uint8_t *b, int n, Language language, bool bigEndian)
{
    InspectorTexts t;
    if (n <= 0)
        return t;
    n = std::min(n, InspectorSpan);
    auto at = [&](InspectorRow row) -> std::string & { return t[std::size_t(row)]; };
    auto u = [&](int k) { return Load(b, k, bigEndian); };
    at(InspectorRow::Binary) = BinaryText(b[0]);
    at(InspectorRow::Int8) = std::to_string(std::int8_t(b[0]));
    at(InspectorRow::UInt8) = std::to_string(b[0]);
    at(InspectorRow::Cp1252) = CharacterText(Cp1252ToUnicode(b[0]));
    at(InspectorRow::Utf8) = Utf8Text(b, n, language);
    if (n >= 2) {
        at(InspectorRow::Int16) = std::to_string(std::int16_t(u(2)));
        at(InspectorRow::UInt16) = std::to_string(std::uint16_t(u(2)));
        at(InspectorRow::Utf16) = Utf16Text(b, n, bigEndian, language);
    }
    if (n >= 4) {
        at(InspectorRow::Int32) = std::to_string(std::int32_t(u(4)));
        at(InspectorRow::UInt32) = std::to_string(std::uint32_t(u(4)));
        at(InspectorRow::Float32) = FloatText(BitCast<float>(std::uint32_t(u(4))), language);
        at(InspectorRow::Unix32) = UnixText(std::int32_t(u(4)), language);
        at(InspectorRow::DosDateTime) = DosText(std::uint16_t(Load(b, 2, bigEndian)),
                                                std::uint16_t(Load(b + 2, 2, bigEndian)), language);
    }
    if (n >= 8) {
        at(InspectorRow::Int64) = std::to_string(std::int64_t(u(8)));
        at(InspectorRow::UInt64) = std::to_string(u(8));
        at(InspectorRow::Float64) = FloatText(BitCast<double>(u(8)), language);
        at(InspectorRow::Unix64) = UnixText(std::int64_t(u(8)), language);
        at(InspectorRow::FileTime) = FileTimeText(u(8), language);
    }
    if (n >= 16)
        at(InspectorRow::Guid) = GuidText(b, bigEndian);
    return t;
}

InspectorTexts InspectBytes(const Document &doc, std::int64_t offset, Language language,
                            bool bigEndian)
{
    const std::int64_t size = doc.BufferSize();
    if (offset < 0 || offset >= size)
        return {};
    std::uint8_t bytes[InspectorSpan];
    const int n = int(std::min<std::int64_t>(InspectorSpan, size - offset));
    doc.ReadBytes(offset, n, bytes);
    return InspectBuffer(bytes, n, language, bigEndian);
}

std::optional<InspectorValue> EncodeInspectorValue(InspectorRow row, std::string_view text,
                                                   bool bigEndian)
{
    if (!InspectorRowEditable(row))
        return std::nullopt;
    text = Trimmed(text);
    InspectorValue v;
    if (row == InspectorRow::Float32) {
        const auto x = ParseFloat<float>(text);
        if (!x)
            return std::nullopt;
        v.size = 4;
        Store(BitCast<std::uint32_t>(*x), 4, bigEndian, v.bytes.data());
        return v;
    }
    if (row == InspectorRow::Float64) {
        const auto x = ParseFloat<double>(text);
        if (!x)
            return std::nullopt;
        v.size = 8;
        Store(BitCast<std::uint64_t>(*x), 8, bigEndian, v.bytes.data());
        return v;
    }
    const int bits = IntegerBits(row);
    const bool isSigned = row == InspectorRow::Int8 || row == InspectorRow::Int16
                          || row == InspectorRow::Int32 || row == InspectorRow::Int64;
    const auto n = ParseInteger(text, bits, isSigned);
    if (!n)
        return std::nullopt;
    v.size = bits / 8;
    Store(*n, v.size, bigEndian, v.bytes.data());
    return v;
}

bool WriteInspectorValue(EditContext &ctx, std::int64_t offset, InspectorRow row,
                         std::string_view text, bool bigEndian)
{
    const auto v = EncodeInspectorValue(row, text, bigEndian);
    if (!v || offset < 0 || offset >= ctx.Doc().BufferSize()
        || v->size > ctx.Doc().BufferSize() - offset)
        return false;
    // A replacement of as many bytes as it removes overwrites them in place, marks and all;
    // to the user it is an overtype, and the history names it so.
    auto action = std::make_unique<TReplaceAction>(ctx, ctx.NextCommandNumber(), offset,
                                                   ctx.CursorInCharArea(), v->size,
                                                   v->bytes.data(), v->size);
    action->Kind = ActionKind::ChangeValue;
    ctx.History().reportFailure(action->prepared());
    if (action->Count != 0)
        ctx.History().AddAction(std::move(action), true);
    return true;
}

} // namespace vtm
