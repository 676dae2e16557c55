#include "document/Document.h"
#include "edit/TCompoundMarkAction.h"
#include "marks/MarksFile.h"

#include "PlainMarks.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

// Input: two bytes give the document's length, the next length bytes (as far as they go)
// its marks, the rest is the marks file. Whatever the file holds, the decoder must stay in
// bounds and give what the plain reading of the format gives, and writing the result back
// must read the same again.
namespace {
void Check(bool condition)
{
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t length = std::size_t(data[0] | data[1] << 8) % 5000;
    data += 2;
    size -= 2;
    std::vector<std::uint8_t> marks(length, 0);
    const std::size_t given = std::min(length, size);
    for (std::size_t i = 0; i < given; ++i)
        marks[i] = data[i] % 7;
    data += given;
    size -= given;

    vtm::Document doc;
    const std::vector<std::uint8_t> bytes(length, 0);
    doc.loadBytes(bytes.data(), std::int64_t(length));
    doc.SetMarks(0, marks.data(), std::int64_t(length));

    int last = 0;
    vtm::TCompoundMarkAction changes(vtm::ActionKind::LoadMark, 1, false);
    const bool ok = vtm::DecodeMarks(doc, changes, data, size, [&](int p) {
        Check(p > last && p <= 100);
        last = p;
    });
    Check(ok == vtm::IsMarksMagic(data, size));
    if (!ok)
        return 0;
    const std::vector<std::uint8_t> expected =
        PlainDecode(marks, data + vtm::MarksMagicSize, size - vtm::MarksMagicSize);
    std::vector<std::uint8_t> after(length);
    for (std::size_t p = 0; p < length; ++p)
        after[p] = changes.ColourAfter(doc, std::int64_t(p));
    Check(after == expected);

    // What is loaded is saved to the same file the loaded part describes.
    doc.SetMarks(0, after.data(), std::int64_t(length));
    const std::vector<std::uint8_t> file = vtm::EncodeMarks(doc);
    vtm::Document fresh;
    fresh.loadBytes(bytes.data(), std::int64_t(length));
    vtm::TCompoundMarkAction again(vtm::ActionKind::LoadMark, 2, false);
    Check(vtm::DecodeMarks(fresh, again, file.data(), file.size()));
    for (std::size_t p = 0; p < length; ++p)
        Check(again.ColourAfter(fresh, std::int64_t(p)) == after[p]);
    return 0;
}
