#pragma once

#include "document/Language.h"
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vtm {

// One format the clipboard offers: its MIME type and the size of its data.
struct ClipboardEntry
{
    std::string mime;
    std::int64_t size = 0;
};

// Numbers for clipboard formats. The formats that mean the same as a classic standard
// format get its number; every other one is registered on first sight from $C000 on and
// keeps its number for as long as the program runs, as registered formats do.
class ClipboardRegistry
{
public:
    static constexpr std::uint32_t FirstRegistered = 0xC000;

    std::uint32_t NumberOf(const std::string &mime);
    // The registered name shown in quotes; empty for a standard format.
    static std::string RegisteredName(std::uint32_t number, const std::string &mime);

private:
    std::map<std::string, std::uint32_t> m_numbers;
    std::uint32_t m_next = FirstRegistered;
};

// The standard format's name in brackets (" (CF_TEXT)"), or empty.
std::string StandardFormatName(std::uint32_t number);

// A chooser line: number in decimal (10 wide) and hex, size in decimal (10 wide) and hex,
// then the registered name in quotes and the standard name.
std::string ClipboardLine(std::uint32_t number, std::int64_t size,
                          const std::string &registeredName);

// The number a chooser line starts with (the text before its first "$", trimmed); -1 when
// it is not a number.
std::int64_t ClipboardLineNumber(const std::string &line);

struct ClipboardChooserTexts
{
    std::string caption, ok, cancel, idDec, idHex, sizeDec, sizeHex, name;
};
ClipboardChooserTexts ClipboardTexts(Language language);
std::string ClipboardGoneText(Language language);

// Right edges of the four number column labels and the left edge of the name label, for
// digit width w and frame width b (half the list's outer minus client width).
struct ClipboardColumns
{
    int idDecRight, idHexRight, sizeDecRight, sizeHexRight, nameLeft;
};
ClipboardColumns ClipboardColumnEdges(int w, int b);

} // namespace vtm
