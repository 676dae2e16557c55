#pragma once

#include "document/MarkMap.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace vtm {

class Document;
class TCompoundMarkAction;

// A marks file is the magic followed by one byte per run: bits 0..2 the colour, bits 3..7
// the run length minus 1. The runs cover the bytes from 0 up to the last marked one.
inline constexpr std::string_view MarksMagic = "Vantreelmorbisco Marks V1";
inline constexpr std::size_t MarksMagicSize = 25;
static_assert(MarksMagic.size() == MarksMagicSize);
inline constexpr int MaxMarksRun = 32;

// Told each new percentage of the work done (1..100), only when it changes.
using MarksProgress = std::function<void(int percent)>;

// The first MarksMagicSize of n bytes are the magic.
bool IsMarksMagic(const std::uint8_t *data, std::size_t n);

// The whole marks file for the document's marks, counting the bytes its runs cover on a
// running job. Throws std::bad_alloc, and JobStopped.
std::vector<std::uint8_t> EncodeMarks(const Document &doc, const MarksProgress &progress = {});

// Turns run bytes, fed in blocks of any size, into mark changes against the document's
// current marks. Nothing is changed before the caller performs the action.
class MarksDecoder
{
public:
    MarksDecoder(const Document &doc, TCompoundMarkAction &changes, MarksProgress progress = {});

    // False once the runs reach the document's end; run bytes after that are ignored.
    bool Feed(const std::uint8_t *runs, std::size_t n);
    bool AtEnd() const { return m_next >= m_size; }
    // The bytes the runs have described so far.
    std::int64_t Described() const { return m_next; }
    // Every marked byte the runs did not describe, up to end or to the document's end,
    // becomes unmarked.
    void UnmarkUpTo(std::int64_t end);
    void UnmarkRest();

private:
    void record();

    const Document &m_doc;
    TCompoundMarkAction &m_changes;
    MarksProgress m_progress;
    std::int64_t m_size;
    std::int64_t m_next = 0;
    // Not yet recorded: the colours of [m_start, m_start + size) and then m_unmarked bytes
    // without a mark, up to m_next. A long unmarked stretch is recorded as one run.
    std::int64_t m_start = 0;
    std::vector<std::uint8_t> m_colours; // m_used of them hold colours
    std::int64_t m_used = 0;
    std::int64_t m_unmarked = 0;
    int m_percent = 0;
    std::int64_t m_nextReport = 0;
};

// A whole marks file held in memory; false (nothing recorded) when the magic is wrong.
bool DecodeMarks(const Document &doc, TCompoundMarkAction &changes, const std::uint8_t *file,
                 std::size_t n, const MarksProgress &progress = {});

} // namespace vtm
