#include "search/MarkAll.h"

#include "document/Document.h"
#include "edit/TCompoundMarkAction.h"
#include "search/SearchBytes.h"

#include <algorithm>
#include <vector>

namespace vtm {

namespace {

constexpr std::int64_t Block = 64 * 1024;

// Zeros to stand in for a stretch the walk hands out unread.
const std::uint8_t *ZeroBlock()
{
    static const std::vector<std::uint8_t> zeros(std::size_t(Block), 0);
    return zeros.data();
}

// Calls f with the span, or with a stretch of known zeros as spans of real zeros, a block
// at a time: for a search that can match zeros.
template <class F>
void AsData(const Document::Span &s, bool backward, F &f)
{
    if (!s.zeros()) {
        f(s);
        return;
    }
    for (std::int64_t k = 0; k < s.size; k += Block) {
        const std::int64_t len = std::min(Block, s.size - k);
        f(Document::Span{ZeroBlock(), len, backward ? s.offset + s.size - k - len : s.offset + k});
    }
}

// A single byte: each block's occurrences become colours (the document's own marks between
// them), recorded as one stretch from the first occurrence to the last.
class ByteMarker
{
public:
    ByteMarker(const Document &doc, TCompoundMarkAction &action, std::uint8_t byte, bool fold,
               std::uint8_t colour, MarkAllProgress &progress)
        : m_doc(doc)
        , m_action(action)
        , m_colour(colour)
        , m_progress(progress)
        , m_colours(std::size_t(Block))
    {
        m_a = m_b = byte;
        if (fold) { // the values that fold to the same byte: at most a capital and its small letter
            const std::uint8_t f = FoldByte(byte);
            m_a = f;
            for (int v = 0; v < 256; ++v)
                if (FoldByte(std::uint8_t(v)) == f && v != f)
                    m_b = std::uint8_t(v);
            if (m_b == byte && byte != f)
                m_b = byte;
        }
    }

    void block(std::int64_t offset, const std::uint8_t *data, std::int64_t n, bool backward)
    {
        std::uint8_t *c = m_colours.data();
        const std::uint8_t a = m_a, b = m_b, colour = m_colour;
        std::int64_t hits = 0;
        for (std::int64_t i = 0; i < n; ++i) {
            const std::uint8_t hit = std::uint8_t((data[i] == a) | (data[i] == b));
            hits += hit;
            c[i] = std::uint8_t(-hit & colour);
        }
        if (hits == 0)
            return;
        std::int64_t first = 0, last = n - 1;
        while (c[first] == 0)
            ++first;
        while (c[last] == 0)
            --last;
        const std::int64_t len = last + 1 - first;
        if (m_doc.MarkRuns().countIn(offset + first, len) > 0) {
            m_marks.resize(std::size_t(len));
            m_doc.MarkRuns().read(offset + first, len, m_marks.data());
            for (std::int64_t i = 0; i < len; ++i)
                if (c[first + i] == 0)
                    c[first + i] = m_marks[std::size_t(i)];
        }
        const std::int64_t before = m_action.MemberCount();
        m_action.AddColours(m_doc, offset + first, c + first, len);
        m_progress.found += hits;
        m_progress.last = offset + (backward ? first : last);
        if (m_progress.changed && m_action.MemberCount() != before)
            m_progress.changed(m_progress.last);
    }

private:
    const Document &m_doc;
    TCompoundMarkAction &m_action;
    const std::uint8_t m_colour;
    MarkAllProgress &m_progress;
    std::uint8_t m_a, m_b;
    std::vector<std::uint8_t> m_colours, m_marks;
};

void MarkBytes(const Document &doc, TCompoundMarkAction &action, std::uint8_t byte, bool fold,
               std::int64_t start, bool backward, std::uint8_t colour,
               MarkAllProgress &progress)
{
    ByteMarker marker(doc, action, byte, fold, colour, progress);
    const std::int64_t size = doc.BufferSize();
    // Stretches of known zeros hold no other byte: skipped unread.
    const bool zeroHits = fold ? FoldByte(byte) == FoldByte(0) : byte == 0;
    if (!backward) {
        auto visit = [&](const Document::Span &s) {
            for (std::int64_t k = 0; k < s.size; k += Block)
                marker.block(s.offset + k, s.data + k, std::min(Block, s.size - k), false);
        };
        doc.ForEachSpanOrZeros(std::max<std::int64_t>(start, 0), size, [&](const Document::Span &s) {
            if (zeroHits || !s.zeros())
                AsData(s, false, visit);
            return true;
        });
        return;
    }
    if (start < 0)
        return;
    auto visit = [&](const Document::Span &s) {
        for (std::int64_t k = s.size; k > 0; k -= Block) {
            const std::int64_t from = std::max<std::int64_t>(0, k - Block);
            marker.block(s.offset + from, s.data + from, k - from, true);
        }
    };
    doc.ForEachSpanOrZerosBackward(0, std::min(start + 1, size), [&](const Document::Span &s) {
        if (zeroHits || !s.zeros())
            AsData(s, true, visit);
        return true;
    });
}

// A longer pattern, an occurrence at a time within each span. The bytes next to the edge
// already walked are carried: an occurrence that starts on one side and ends on the other
// is looked for in a small buffer joining the two. Spans shorter than the pattern (single
// typed bytes) join the carried bytes whole, and are searched with the next long span.
void MarkPattern(const Document &doc, TCompoundMarkAction &action,
                 std::span<const std::uint8_t> pattern, bool fold, std::int64_t start,
                 bool backward, std::uint8_t colour, MarkAllProgress &progress)
{
    const std::int64_t n = std::int64_t(pattern.size());
    const std::int64_t size = doc.BufferSize();
    const auto hit = [&](std::int64_t p) {
        const std::int64_t before = action.MemberCount();
        action.AddRun(doc, p, n, colour);
        ++progress.found;
        progress.last = p;
        if (progress.changed && action.MemberCount() != before)
            progress.changed(p);
        return backward ? p - n : p + n; // where the next one may start, at most or at least
    };
    // Forwards, the occurrences in buf (holding the bytes from base on) that start at or after
    // pos and before `before`; backwards, those that start at or before pos and end after
    // `before`.
    const auto scan = [&](std::span<const std::uint8_t> buf, std::int64_t base,
                          std::int64_t &pos, std::int64_t before) {
        for (;;) {
            const std::int64_t q = SearchBytes(buf, pattern, pos - base, backward, fold);
            if (q < 0 || (backward ? base + q + n <= before : base + q >= before))
                return;
            pos = hit(base + q);
        }
    };
    std::vector<std::uint8_t> carry, join;
    std::int64_t carryStart = 0;
    // A pattern with a byte other than zero cannot lie wholly in zeros: a stretch of known
    // zeros is looked at only next to its edges, where it meets the bytes around it.
    const bool zeroHits = std::all_of(pattern.begin(), pattern.end(), [&](std::uint8_t b) {
        return fold ? FoldByte(b) == FoldByte(0) : b == 0;
    });
    const std::vector<std::uint8_t> edge(std::size_t(n - 1), 0);
    if (!backward) {
        std::int64_t pos = std::max<std::int64_t>(start, 0);
        auto visit = [&](const Document::Span &s) {
            if (s.size < n - 1) {
                if (carry.empty())
                    carryStart = s.offset;
                carry.insert(carry.end(), s.data, s.data + s.size);
                return;
            }
            if (!carry.empty()) {
                join = carry;
                join.insert(join.end(), s.data, s.data + (n - 1));
                scan(join, carryStart, pos, s.offset);
            }
            scan({s.data, std::size_t(s.size)}, s.offset, pos, INT64_MAX);
            carry.assign(s.data + s.size - (n - 1), s.data + s.size);
            carryStart = s.offset + s.size - (n - 1);
        };
        doc.ForEachSpanOrZeros(pos, size, [&](const Document::Span &s) {
            if (zeroHits || !s.zeros() || s.size < n - 1) {
                AsData(s, false, visit);
                return true;
            }
            if (!carry.empty()) { // into the zeros from the bytes before them
                join = carry;
                join.insert(join.end(), edge.begin(), edge.end());
                scan(join, carryStart, pos, s.offset);
            }
            carry = edge;
            carryStart = s.offset + s.size - (n - 1);
            return true;
        });
        scan(carry, carryStart, pos, INT64_MAX);
        return;
    }
    if (start < 0)
        return;
    std::int64_t pos = start;
    auto visit = [&](const Document::Span &s) {
        if (s.size < n - 1) {
            carry.insert(carry.begin(), s.data, s.data + s.size);
            carryStart = s.offset;
            return;
        }
        const std::int64_t end = s.offset + s.size;
        if (!carry.empty()) {
            join.assign(s.data + s.size - (n - 1), s.data + s.size);
            join.insert(join.end(), carry.begin(), carry.end());
            scan(join, end - (n - 1), pos, end);
        }
        scan({s.data, std::size_t(s.size)}, s.offset, pos, INT64_MIN);
        carry.assign(s.data, s.data + (n - 1));
        carryStart = s.offset;
    };
    doc.ForEachSpanOrZerosBackward(0, std::min(start + n, size), [&](const Document::Span &s) {
        if (zeroHits || !s.zeros() || s.size < n - 1) {
            AsData(s, true, visit);
            return true;
        }
        const std::int64_t end = s.offset + s.size;
        if (!carry.empty()) { // from the zeros into the bytes after them
            join = edge;
            join.insert(join.end(), carry.begin(), carry.end());
            scan(join, end - (n - 1), pos, end);
        }
        carry = edge;
        carryStart = s.offset;
        return true;
    });
    scan(carry, carryStart, pos, INT64_MIN);
}

} // namespace

void MarkAllOccurrences(const Document &doc, TCompoundMarkAction &action,
                        std::span<const std::uint8_t> pattern, bool fold, std::int64_t start,
                        bool backward, std::uint8_t colour, MarkAllProgress &progress)
{
    if (pattern.empty() || doc.BufferSize() <= 0)
        return;
    if (pattern.size() == 1)
        MarkBytes(doc, action, pattern[0], fold, start, backward, colour, progress);
    else
        MarkPattern(doc, action, pattern, fold, start, backward, colour, progress);
}

} // namespace vtm
