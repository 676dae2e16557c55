#pragma once

#include "document/Document.h"
#include "document/Language.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vtm {

class EditContext;

// The rows of the data inspector, top to bottom.
enum class InspectorRow {
    Binary,
    Int8,
    UInt8,
    Int16,
    UInt16,
    Int32,
    UInt32,
    Int64,
    UInt64,
    Float32,
    Float64,
    Cp1252,
    Utf8,
    Utf16,
    Unix32,
    Unix64,
    DosDateTime,
    FileTime,
    Guid,
};
constexpr int InspectorRowCount = int(InspectorRow::Guid) + 1;

// Every row's value; an empty text where the row has nothing to show.
using InspectorTexts = std::array<std::string, InspectorRowCount>;

// The most bytes any row reads.
constexpr int InspectorSpan = 16;

std::string InspectorRowLabel(InspectorRow row, Language language);
// The integer and float rows take a typed value.
constexpr bool InspectorRowEditable(InspectorRow row)
{
    return row >= InspectorRow::Int8 && row <= InspectorRow::Float64;
}
// The panel's own captions.
enum class InspectorCaption { Title, LittleEndian, BigEndian };
std::string InspectorCaptionText(InspectorCaption caption, Language language);

// The rows for the bytes from offset on (one read of at most InspectorSpan bytes). A row whose
// bytes run past the end stays empty. Throws SourceReadError when the file under a document
// read on demand fails.
InspectorTexts InspectBytes(const Document &doc, std::int64_t offset, Language language,
                            bool bigEndian);
// The same over bytes already read; n (0..InspectorSpan) of them are there.
InspectorTexts InspectBuffer(const std::uint8_t *bytes, int n, Language language, bool bigEndian);

// The bytes a value typed into an editable row stands for, in the byte order; none when the
// text is no number or does not fit the row's type.
struct InspectorValue
{
    std::array<std::uint8_t, 8> bytes{};
    int size = 0;
};
std::optional<InspectorValue> EncodeInspectorValue(InspectorRow row, std::string_view text,
                                                   bool bigEndian);

// Overtypes the row's bytes at offset with the typed value as one undoable step (named as an
// overtype is; marks stay). False, with nothing changed, when the text is refused or the
// value would run past the end of the document.
bool WriteInspectorValue(EditContext &ctx, std::int64_t offset, InspectorRow row,
                         std::string_view text, bool bigEndian);

} // namespace vtm
