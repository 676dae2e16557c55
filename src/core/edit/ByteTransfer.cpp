#include "edit/ByteTransfer.h"

#include "document/Format.h"
#include "edit/EditContext.h"
#include "edit/TActions.h"
#include "edit/TInsertBytesAction.h"
#include "edit/TReplaceAction.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>

#include <openssl/evp.h>

namespace vtm {

namespace {
const char Upper[] = "0123456789ABCDEF";

std::string Grouped(std::int64_t n, bool de)
{
    const std::string digits = std::to_string(n);
    std::string s;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            s += de ? '.' : ',';
        s += digits[i];
    }
    return s;
}

// Two digits a byte from a table: 64 MiB become text in well under a second.
const std::array<std::array<char, 2>, 256> &HexPairs()
{
    static const std::array<std::array<char, 2>, 256> pairs = [] {
        std::array<std::array<char, 2>, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[std::size_t(b)] = {Upper[b >> 4], Upper[b & 15]};
        return t;
    }();
    return pairs;
}

std::string HexText(const std::uint8_t *bytes, std::size_t n)
{
    std::string s = HexTextFrame(std::int64_t(n));
    WriteHexText(s, 0, bytes, n);
    return s;
}

std::string CArray(const std::uint8_t *bytes, std::size_t n)
{
    std::string s = "unsigned char data[" + std::to_string(n) + "] = {";
    s.reserve(s.size() + n * 6 + n / 16 * 5 + 8);
    for (std::size_t i = 0; i < n; ++i) {
        s += i % 16 == 0 ? "\n    " : " ";
        s += "0x";
        s += Upper[bytes[i] >> 4];
        s += Upper[bytes[i] & 15];
        if (i + 1 < n)
            s += ',';
    }
    s += "\n};\n";
    return s;
}

std::string Base64(const std::uint8_t *bytes, std::size_t n)
{
    std::string s(4 * ((n + 2) / 3) + 1, '\0');
    // The encoder takes an int length: a copy's limit keeps well below it, in pieces of
    // whole groups all the same.
    std::size_t written = 0;
    for (std::size_t done = 0; done < n;) {
        const std::size_t k = std::min<std::size_t>(n - done, std::size_t(3) << 24);
        written += std::size_t(EVP_EncodeBlock(reinterpret_cast<unsigned char *>(s.data() + written),
                                               bytes + done, int(k)));
        done += k;
    }
    s.resize(written);
    return s;
}

std::string Characters(const std::uint8_t *bytes, std::size_t n)
{
    static const std::array<std::string, 256> table = [] {
        std::array<std::string, 256> t;
        for (int b = 0; b < 256; ++b)
            t[std::size_t(b)] = b == 0 ? std::string(" ") : Cp1252ToUtf8(std::uint8_t(b));
        return t;
    }();
    std::string s;
    s.reserve(n + n / 4);
    for (std::size_t i = 0; i < n; ++i)
        s += table[bytes[i]];
    return s;
}

bool Separator(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ',' || c == '\f' || c == '\v';
}
} // namespace

std::string HexTextFrame(std::int64_t count)
{
    return count > 0 ? std::string(std::size_t(count) * 3 - 1, ' ') : std::string();
}

void WriteHexText(std::string &text, std::int64_t index, const std::uint8_t *bytes,
                  std::size_t n)
{
    const auto &pairs = HexPairs();
    const std::size_t total = (text.size() + 1) / 3;
    char *out = text.data() + std::size_t(index) * 3;
    for (std::size_t j = 0; j < n; ++j, out += 3) {
        std::memcpy(out, pairs[bytes[j]].data(), 2);
        const std::size_t k = std::size_t(index) + j;
        if (k % 16 == 15 && k + 1 < total)
            out[2] = '\n';
    }
}

std::string FormatBytes(const std::uint8_t *bytes, std::size_t n, CopyFormat format)
{
    switch (format) {
    case CopyFormat::Raw: return std::string(reinterpret_cast<const char *>(bytes), n);
    case CopyFormat::HexText: return HexText(bytes, n);
    case CopyFormat::CArray: return CArray(bytes, n);
    case CopyFormat::Base64: return Base64(bytes, n);
    case CopyFormat::Cp1252: return Characters(bytes, n);
    }
    return {};
}

HexParse ParseHexText(std::string_view text)
{
    // One table look-up a character: pasting 64 MiB as text reads 192 MiB of it.
    static const std::array<std::int8_t, 256> kind = [] {
        std::array<std::int8_t, 256> t{};
        t.fill(-1);
        for (int c = 0; c < 256; ++c) {
            if (IsHexDigit(char(c)))
                t[std::size_t(c)] = std::int8_t(HexDigitValue(char(c)));
            else if (Separator(char(c)))
                t[std::size_t(c)] = 16;
        }
        return t;
    }();
    auto at = [&](std::size_t k) { return kind[static_cast<unsigned char>(text[k])]; };

    HexParse r;
    std::size_t i = 0, end = text.size();
    // A C array: only what stands between its braces.
    if (const std::size_t open = text.find('{'); open != std::string_view::npos) {
        const std::size_t close = text.find('}', open);
        i = open + 1;
        end = close == std::string_view::npos ? text.size() : close;
    }
    auto fail = [&](std::size_t stop) {
        r.ok = false;
        r.stop = stop;
        r.bytes.clear();
        r.bytes.shrink_to_fit();
        for (std::size_t k = 0; k < stop; ++k) {
            if (text[k] == '\n') {
                ++r.line;
                r.column = 1;
            } else if ((static_cast<unsigned char>(text[k]) & 0xC0) != 0x80) {
                ++r.column; // one a character, not a byte
            }
        }
        return r;
    };
    // Room for the most bytes the text can hold; only what is written is touched.
    r.bytes.reserve((end - i) / 2 + 1);
    while (i < end) {
        const int a = at(i);
        if (a == 16) {
            ++i;
            continue;
        }
        const int b = i + 1 < end ? at(i + 1) : -1;
        if (a >= 0 && b >= 0 && b < 16) {
            r.bytes.push_back(std::uint8_t(a << 4 | b));
            i += 2;
            // The usual separator after it, in the same step.
            if (i < end && at(i) == 16)
                ++i;
            continue;
        }
        if (text[i] == '0' && i + 1 < end && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
            // 0x5 is a byte too, as C writes it.
            i += 2;
            int value = i < end ? at(i) : -1;
            if (value < 0 || value == 16)
                return fail(i);
            ++i;
            if (i < end && at(i) >= 0 && at(i) < 16)
                value = value << 4 | at(i++);
            r.bytes.push_back(std::uint8_t(value));
            if (i < end && at(i) != 16)
                return fail(i);
            continue;
        }
        return fail(i); // not hex, or half a byte
    }
    r.ok = true;
    return r;
}

bool PasteBytes(EditContext &ctx, const std::vector<std::uint8_t> &bytes, bool insert)
{
    if (bytes.empty())
        return false;
    const Document &doc = ctx.Doc();
    const std::int64_t size = doc.BufferSize();
    const std::int64_t n = std::int64_t(bytes.size());
    std::int64_t pos = ctx.CursorOffset();
    if (pos < 0 || pos > size)
        pos = size;
    const bool charSide = pos < size && ctx.CursorInCharArea();
    const int group = ctx.NextCommandNumber();
    std::unique_ptr<TAction> action;
    if (insert || pos == size)
        action = std::make_unique<TInsertBytesAction>(group, pos, charSide, n, bytes.data(), n);
    else
        action = std::make_unique<TReplaceAction>(ctx, group, pos, charSide,
                                                  std::min(n, size - pos), bytes.data(), n);
    action->Kind = ActionKind::Paste;
    ctx.History().AddAction(std::move(action), true);
    return true;
}

std::string CopyTooLargeText(Language language, std::int64_t count)
{
    const bool de = IsGerman(language);
    return de ? "Die " + Grouped(count, true)
                    + " Bytes sind zu viele zum Kopieren: Höchstens " + Grouped(MaxCopyBytes, true)
                    + " Bytes (64 MiB) können auf einmal kopiert werden."
              : "The " + Grouped(count, false) + " bytes are too many to copy: at most "
                    + Grouped(MaxCopyBytes, false) + " bytes (64 MiB) can be copied at once.";
}

std::string NothingToPasteText(Language language)
{
    return IsGerman(language)
               ? "Die Zwischenablage enthält weder Bytes noch Text, der eingefügt werden kann!"
               : "The clipboard holds neither bytes nor text that can be pasted!";
}

std::string NotHexText(Language language, const HexParse &parse, std::string_view text)
{
    const bool de = IsGerman(language);
    // The character where it stopped, whole, as the user sees it.
    std::string shown;
    if (parse.stop < text.size()) {
        std::size_t k = parse.stop;
        shown += text[k++];
        while (k < text.size() && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80)
            shown += text[k++];
    }
    const std::string where = std::to_string(parse.line) + (de ? ", Spalte " : ", column ")
                              + std::to_string(parse.column);
    std::string what;
    if (shown.empty())
        what = de ? "am Textende" : "at the end of the text";
    else if (shown == "\n" || shown == "\r")
        what = de ? "am Zeilenende" : "at the end of the line";
    else
        what = "\"" + shown + "\"";
    return de ? "Der Text der Zwischenablage besteht nicht aus Hex-Bytes: Er bricht in Zeile "
                    + where + " ab (" + what
                    + ").\rErlaubt sind Paare von Hex-Ziffern, getrennt durch Leerzeichen, "
                      "Zeilenumbrüche oder Kommas, auch mit 0x davor."
              : "The clipboard's text is not hex bytes: it stops at line " + where + " (" + what
                    + ").\rPairs of hex digits are allowed, separated by spaces, line breaks or "
                      "commas, also with 0x in front.";
}

} // namespace vtm
