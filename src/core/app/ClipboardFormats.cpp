#include "app/ClipboardFormats.h"

#include "document/Format.h"
#include "document/Language.h"

#include <array>
#include <cctype>

namespace vtm {

namespace {
// MIME types whose bytes are what the classic standard format holds.
struct Standard
{
    const char *mime;
    std::uint32_t number;
};
constexpr std::array<Standard, 5> kStandards{{
    {"text/plain", 1},
    {"image/tiff", 6},
    {"audio/wav", 12},
    {"audio/x-wav", 12},
    {"audio/wave", 12},
}};
} // namespace

std::uint32_t ClipboardRegistry::NumberOf(const std::string &mime)
{
    for (const Standard &s : kStandards)
        if (mime == s.mime)
            return s.number;
    const auto it = m_numbers.find(mime);
    if (it != m_numbers.end())
        return it->second;
    const std::uint32_t n = m_next++;
    m_numbers.emplace(mime, n);
    return n;
}

std::string ClipboardRegistry::RegisteredName(std::uint32_t number, const std::string &mime)
{
    return number >= FirstRegistered ? mime : std::string();
}

std::string StandardFormatName(std::uint32_t number)
{
    static const char *const kLow[] = {
        nullptr,   "CF_TEXT",        "CF_BITMAP",      "CF_METAFILEPICT", "CF_SYLK",    "CF_DIF",
        "CF_TIFF", "CF_OEMTEXT",     "CF_DIB",         "CF_PALETTE",      "CF_PENDATA", "CF_RIFF",
        "CF_WAVE", "CF_UNICODETEXT", "CF_ENHMETAFILE", "CF_HDROP",        "CF_LOCALE",  "CF_MAX"};
    const char *name = nullptr;
    if (number < std::size(kLow))
        name = kLow[number];
    else if (number == 128)
        name = "CF_OWNERDISPLAY";
    else if (number == 129)
        name = "CF_DSPTEXT";
    else if (number == 130)
        name = "CF_DSPBITMAP";
    else if (number == 131)
        name = "CF_DSPMETAFILEPICT";
    else if (number == 142)
        name = "CF_DSPENHMETAFILE";
    else if (number >= 512 && number <= 767)
        name = "CF_PRIVATEFIRST..CF_PRIVATELAST";
    else if (number >= 768 && number <= 1023)
        name = "CF_GDIOBJFIRST..CF_GDIOBJLAST";
    return name ? std::string(" (") + name + ")" : std::string();
}

std::string ClipboardLine(std::uint32_t number, std::int64_t size,
                          const std::string &registeredName)
{
    std::string line = PadNumber(number, 10, false) + " $" + ZeroPadded(number, 8, true) + " "
                       + PadNumber(size, 10, false) + " $"
                       + ZeroPadded(std::uint64_t(std::max<std::int64_t>(size, 0)), 8, true);
    if (!registeredName.empty())
        line += " \"" + registeredName + "\"";
    return line + StandardFormatName(number);
}

std::int64_t ClipboardLineNumber(const std::string &line)
{
    const std::string head = line.substr(0, line.find('$'));
    std::int64_t n = -1;
    for (const char c : head) {
        if (c == ' ')
            continue;
        if (!std::isdigit(static_cast<unsigned char>(c)) || n > 0xFFFFFFFFll)
            return -1;
        n = (n < 0 ? 0 : n * 10) + (c - '0');
    }
    return n;
}

ClipboardChooserTexts ClipboardTexts(Language language)
{
    if (IsGerman(language))
        return {
            "Zwischenablage öffnen", "OK", "Abbruch", "ID Dez", "ID Hex", "Größe Dez", "Größe Hex",
            "Beschreibung"};
    return {"Open Clipboard", "OK",       "Cancel",   "ID Dec",
            "ID Hex",         "Size Dec", "Size Hex", "Description"};
}

std::string ClipboardGoneText(Language language)
{
    return IsGerman(language) ? "Zwischenablagenformat ist nicht mehr verfügbar!"
                              : "Clipboard-format is not any more available!";
}

ClipboardColumns ClipboardColumnEdges(int w, int b)
{
    return {b + 10 * w, b + 20 * w, b + 31 * w, b + 41 * w, b + 42 * w + 3};
}

} // namespace vtm
