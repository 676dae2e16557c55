#include "marks/MarksFile.h"

#include "document/Document.h"
#include "edit/TCompoundMarkAction.h"

#include <algorithm>
#include <cstring>

namespace vtm {

namespace {
constexpr std::uint64_t EachByte = 0x0101010101010101ull;

std::uint64_t WordAt(const std::uint8_t *p)
{
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// The first offset in [from, to) whose mark differs from colour, or to. Runs of one
// colour are long in practice, so the marks are compared a word at a time.
std::int64_t FindOther(const std::uint8_t *marks, std::int64_t from, std::int64_t to,
                       std::uint8_t colour)
{
    const std::uint64_t pattern = EachByte * colour;
    std::int64_t p = from;
    for (; p + 32 <= to; p += 32) {
        const std::uint64_t diff = (WordAt(marks + p) ^ pattern) | (WordAt(marks + p + 8) ^ pattern)
                                   | (WordAt(marks + p + 16) ^ pattern)
                                   | (WordAt(marks + p + 24) ^ pattern);
        if (diff != 0)
            break;
    }
    for (; p + 8 <= to; p += 8)
        if ((WordAt(marks + p) ^ pattern) != 0)
            break;
    while (p < to && marks[p] == colour)
        ++p;
    return p;
}

// The last marked offset before end, or -1.
std::int64_t LastMarked(const std::uint8_t *marks, std::int64_t end)
{
    std::int64_t p = end;
    while (p >= 8 && WordAt(marks + p - 8) == 0)
        p -= 8;
    while (p > 0 && marks[p - 1] == 0)
        --p;
    return p - 1;
}

// The first count of done work at which the percentage passes the given one (64-bit).
std::int64_t NextStep(int percent, std::int64_t total)
{
    return percent >= 100 || total <= 0 ? INT64_MAX : ((percent + 1) * total + 99) / 100;
}

// Called only once done has reached next, so that the hot loops compare one number.
void Report(std::int64_t done, std::int64_t total, int &percent, std::int64_t &next,
            const MarksProgress &progress)
{
    const int p = int(std::min<std::int64_t>(done * 100 / total, 100));
    if (p != percent) {
        percent = p;
        if (progress)
            progress(p);
    }
    next = NextStep(percent, total);
}
} // namespace

bool IsMarksMagic(const std::uint8_t *data, std::size_t n)
{
    return n >= MarksMagicSize && std::memcmp(data, MarksMagic.data(), MarksMagicSize) == 0;
}

std::vector<std::uint8_t> EncodeMarks(const Document &doc, const MarksProgress &progress)
{
    std::vector<std::uint8_t> out(MarksMagic.begin(), MarksMagic.end());
    const std::uint8_t *marks = doc.Marks();
    if (!marks || doc.BufferSize() <= 0 || doc.MarkedCount() == 0)
        return out;
    const std::int64_t last =
        LastMarked(marks, std::min<std::int64_t>(doc.MarkedEnd(), doc.BufferSize()));
    if (last < 0)
        return out;

    int percent = 0;
    std::int64_t next = NextStep(0, last);
    for (std::int64_t j = 0; j <= last;) {
        const std::uint8_t colour = marks[j];
        const std::int64_t end = FindOther(marks, j, last + 1, colour);
        const std::int64_t length = end - j;
        const std::uint8_t k = colour & 7;
        out.insert(out.end(), std::size_t(length / MaxMarksRun),
                   std::uint8_t((MaxMarksRun - 1) << 3 | k));
        if (const std::int64_t rest = length % MaxMarksRun)
            out.push_back(std::uint8_t((rest - 1) << 3 | k));
        j = end;
        if (j - 1 >= next)
            Report(j - 1, last, percent, next, progress);
    }
    return out;
}

MarksDecoder::MarksDecoder(const Document &doc, TCompoundMarkAction &changes,
                           MarksProgress progress)
    : m_doc(doc)
    , m_changes(changes)
    , m_progress(std::move(progress))
    , m_marks(doc.Marks())
    , m_size(doc.Marks() ? doc.BufferSize() : 0)
    , m_markedEnd(std::min<std::int64_t>(doc.MarkedEnd(), m_size))
{
    m_nextReport = NextStep(0, m_size);
}

bool MarksDecoder::Feed(const std::uint8_t *runs, std::size_t n)
{
    for (std::size_t r = 0; r < n; ++r) {
        if (m_next >= m_size)
            return false;
        std::uint8_t colour = runs[r] & 7;
        if (colour == 7) // no colour of ours; the writer never produces it
            colour = 0;
        const std::int64_t end = std::min<std::int64_t>(m_next + (runs[r] >> 3) + 1, m_size);
        // Unmarking past the last marked byte changes nothing.
        const std::int64_t stop = colour == 0 ? std::min(end, m_markedEnd) : end;
        for (std::int64_t p = m_next; p < stop; ++p)
            if (m_marks[p] != colour)
                m_changes.Add(m_doc, p, colour);
        m_next = end;
        if (m_next >= m_nextReport)
            Report(m_next, m_size, m_percent, m_nextReport, m_progress);
    }
    return m_next < m_size;
}

void MarksDecoder::UnmarkRest()
{
    for (std::int64_t p = m_next; p < m_markedEnd; ++p) {
        p = FindOther(m_marks, p, m_markedEnd, 0);
        if (p >= m_markedEnd)
            break;
        m_changes.Add(m_doc, p, 0);
        if (p >= m_nextReport)
            Report(p, m_size, m_percent, m_nextReport, m_progress);
    }
    m_next = m_size;
}

bool DecodeMarks(const Document &doc, TCompoundMarkAction &changes, const std::uint8_t *file,
                 std::size_t n, const MarksProgress &progress)
{
    if (!IsMarksMagic(file, n))
        return false;
    MarksDecoder decoder(doc, changes, progress);
    decoder.Feed(file + MarksMagicSize, n - MarksMagicSize);
    decoder.UnmarkRest();
    return true;
}

} // namespace vtm
