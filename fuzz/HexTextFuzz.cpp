#include "edit/ByteTransfer.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

// Whatever text the clipboard holds, reading it as hex bytes stays in bounds; text it
// accepts gives bytes that come back unchanged through every text form the editor copies
// them out in, and text it refuses is refused at a place inside it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const vtm::HexParse parse = vtm::ParseHexText(text);
    if (!parse.ok) {
        if (parse.stop > size || !parse.bytes.empty() || parse.line < 1 || parse.column < 1)
            std::abort();
        (void)vtm::NotHexText(vtm::LanguageGerman, parse, text);
        return 0;
    }
    for (const vtm::CopyFormat format : {vtm::CopyFormat::HexText, vtm::CopyFormat::CArray}) {
        const std::string again = vtm::FormatBytes(parse.bytes.data(), parse.bytes.size(), format);
        const vtm::HexParse back = vtm::ParseHexText(again);
        if (!back.ok || back.bytes != parse.bytes)
            std::abort();
    }
    return 0;
}
