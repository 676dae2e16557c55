#pragma once

#include "document/Language.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vtm {

// The forms bytes are copied out in.
enum class CopyFormat {
    Raw,     // the bytes themselves, as a binary clipboard format
    HexText, // "4A 6F 68" … 16 bytes a line
    CArray,  // an initialised C array of unsigned char
    Base64,
    Cp1252,  // the bytes read as Windows-1252 characters
};
// The binary clipboard format: raw bytes, taken first when pasting.
inline constexpr const char *RawBytesMime = "application/octet-stream";

// The most bytes one copy takes: everyday runs, even whole firmware images, fit; larger
// ones would make the clipboard (which holds every form at once) unusable.
inline constexpr std::int64_t MaxCopyBytes = std::int64_t(64) << 20;

// The text (UTF-8) or, for Raw, the bytes of a copy.
std::string FormatBytes(const std::uint8_t *bytes, std::size_t n, CopyFormat format);
// Hex text written a piece at a time, straight from a document's spans: the frame for count
// bytes, then each piece's bytes from byte `index` on.
std::string HexTextFrame(std::int64_t count);
void WriteHexText(std::string &text, std::int64_t index, const std::uint8_t *bytes,
                  std::size_t n);

// Hex text as bytes: pairs of hex digits, separated or not by spaces, tabs, line breaks and
// commas, each pair or group optionally led by "0x"; a C array's braces are looked inside.
struct HexParse
{
    std::vector<std::uint8_t> bytes;
    bool ok = false;
    std::size_t stop = 0; // ok false: the offset in the text where it stopped
    int line = 1, column = 1; // of `stop`, from 1, columns counting characters
};
HexParse ParseHexText(std::string_view text);

class EditContext;

// Puts bytes in at the cursor as one step of the history: inserted in front of the cursor's
// byte, or overtyping from it on (what runs past the end is appended). At the end of the
// document (or in an empty one) both append. False when there is nothing to paste.
// Throws std::bad_alloc, nothing changed, when the step cannot hold its copy of the bytes.
bool PasteBytes(EditContext &ctx, const std::vector<std::uint8_t> &bytes, bool insert);

// The messages of copying and pasting.
std::string CopyTooLargeText(Language language, std::int64_t count);
std::string NothingToPasteText(Language language);
std::string NotHexText(Language language, const HexParse &parse, std::string_view text);

} // namespace vtm
