#include "marks/MarksFile.h"

#include "document/Document.h"
#include "edit/TCompoundMarkAction.h"
#include "marks/MarkCommands.h"

#include <algorithm>
#include <cstring>

namespace vtm {

namespace {
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
    const std::int64_t last = std::min(doc.MarkedEnd(), doc.BufferSize()) - 1;
    if (doc.BufferSize() <= 0 || doc.MarkedCount() == 0 || last < 0)
        return out;

    int percent = 0;
    std::int64_t next = NextStep(0, last);
    const auto put = [&](std::int64_t length, std::uint8_t colour) {
        const std::uint8_t k = colour & 7;
        out.insert(out.end(), std::size_t(length / MaxMarksRun),
                   std::uint8_t((MaxMarksRun - 1) << 3 | k));
        if (const std::int64_t rest = length % MaxMarksRun)
            out.push_back(std::uint8_t((rest - 1) << 3 | k));
    };
    std::int64_t j = 0, counted = 0, runs = 0;
    doc.MarkRuns().forEachRun(0, last + 1, [&](const MarkRun &r) {
        put(r.start - j, 0);
        put(r.end - r.start, r.colour);
        j = r.end;
        if (j - 1 >= next)
            Report(j - 1, last, percent, next, progress);
        if (++runs % RunsPerCount == 0) {
            doc.Progress(j - counted);
            counted = j;
        }
    });
    doc.Progress(last + 1 - counted);
    return out;
}

MarksDecoder::MarksDecoder(const Document &doc, TCompoundMarkAction &changes,
                           MarksProgress progress)
    : m_doc(doc)
    , m_changes(changes)
    , m_progress(std::move(progress))
    , m_size(doc.BufferSize())
{
    m_nextReport = NextStep(0, m_size);
}

// The bytes described so far become changes against the document's marks.
void MarksDecoder::record()
{
    if (m_used > 0)
        m_changes.AddColours(m_doc, m_start, m_colours.data(), m_used);
    if (m_unmarked > 0)
        m_changes.AddRun(m_doc, m_next - m_unmarked, m_unmarked, 0);
    m_used = 0;
    m_unmarked = 0;
    m_start = m_next;
}

namespace {
// A run is at most 32 bytes: each is written as 32 bytes of its colour, of which the run's
// length counts, so that decoding a run is two stores and no call.
struct Splats
{
    std::uint8_t row[8][MaxMarksRun];
    constexpr Splats() : row{}
    {
        for (int c = 0; c < 8; ++c)
            for (int k = 0; k < MaxMarksRun; ++k)
                row[c][k] = std::uint8_t(c);
    }
};
constexpr Splats kSplats;
} // namespace

bool MarksDecoder::Feed(const std::uint8_t *runs, std::size_t n)
{
    // Unmarked stretches longer than this are recorded as runs, not a colour per byte.
    constexpr std::int64_t LongGap = 4096;
    // 7 is no colour of ours (the writer never produces it): unmarked.
    static constexpr std::uint8_t ColourOf[8] = {0, 1, 2, 3, 4, 5, 6, 0};
    std::size_t r = 0;
    while (r < n && m_next < m_size) {
        // Runs far enough from the document's end need no clipping: a stretch of them in a
        // tight loop, with room for each one's 32 bytes and for a short unmarked gap.
        // Never past the next percentage by more than one run, so that none is skipped.
        std::size_t k = std::min<std::size_t>({n - r, 4096,
                                               std::size_t((m_size - m_next) / MaxMarksRun)});
        if (m_nextReport - m_next < std::int64_t(k) * MaxMarksRun)
            k = std::max<std::size_t>(1, std::size_t((m_nextReport - m_next) / MaxMarksRun));
        const bool clip = k == 0;
        if (clip)
            k = 1;
        const std::int64_t need = m_used + std::int64_t(k) * MaxMarksRun + LongGap;
        if (need > std::int64_t(m_colours.size()))
            m_colours.resize(std::max<std::size_t>(m_colours.size() * 2, std::size_t(need)));
        std::uint8_t *const out = m_colours.data();
        for (const std::size_t stop = r + k; r < stop; ++r) {
            const std::uint8_t colour = ColourOf[runs[r] & 7];
            const std::int64_t len =
                clip ? std::min<std::int64_t>((runs[r] >> 3) + 1, m_size - m_next)
                     : (runs[r] >> 3) + 1;
            if (colour == 0) {
                m_unmarked += len;
                m_next += len;
                continue;
            }
            if (m_unmarked >= LongGap) {
                record(); // m_used is 0 again: the room is still there
            } else if (m_unmarked > 0) {
                if (m_unmarked <= MaxMarksRun)
                    std::memcpy(out + m_used, kSplats.row[0], MaxMarksRun);
                else
                    std::memset(out + m_used, 0, std::size_t(m_unmarked));
                m_used += m_unmarked;
                m_unmarked = 0;
            }
            std::memcpy(out + m_used, kSplats.row[colour], MaxMarksRun);
            m_used += len;
            m_next += len;
        }
        if (m_next >= m_nextReport)
            Report(m_next, m_size, m_percent, m_nextReport, m_progress);
    }
    record();
    return m_next < m_size;
}

void MarksDecoder::UnmarkUpTo(std::int64_t end)
{
    const std::int64_t to = std::max(m_next, std::min(end, m_size));
    m_unmarked += to - m_next;
    m_next = to;
    record();
}

void MarksDecoder::UnmarkRest()
{
    UnmarkUpTo(m_size);
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
