#include "document/MarkMap.h"

#include "document/MarkScan.h"

#include <algorithm>
#include <cstring>

namespace vtm {

MarkMap::Limits MarkMap::s_limits;

void MarkMap::setLimitsForTesting(Limits limits)
{
    s_limits = limits;
}

using namespace markscan;

// ---- Reading ----------------------------------------------------------------------------

std::size_t MarkMap::chunkFor(std::int64_t p) const
{
    const auto it = std::upper_bound(m_chunks.begin(), m_chunks.end(), p,
                                     [](std::int64_t v, const Chunk &c) { return v < c.end(); });
    return std::size_t(it - m_chunks.begin());
}

std::size_t MarkMap::firstRunEndingAfter(const Chunk &c, std::int64_t p)
{
    const std::int64_t rel = p < c.base ? -1 : p - c.base;
    const auto it = std::upper_bound(c.data->runs.begin(), c.data->runs.end(), rel,
                                     [](std::int64_t v, const Run &r) { return v < r.end; });
    return std::size_t(it - c.data->runs.begin());
}

std::uint8_t MarkMap::colourAt(Loc l) const
{
    const Chunk &c = m_chunks[l.chunk];
    return c.dense() ? c.data->bytes[std::size_t(l.index)]
                     : c.data->runs[std::size_t(l.index)].colour;
}

bool MarkMap::lastInChunk(Loc l) const
{
    const Chunk &c = m_chunks[l.chunk];
    return c.dense() ? l.index == c.length - 1
                     : std::size_t(l.index) + 1 == c.data->runs.size();
}

MarkMap::Loc MarkMap::lastLoc(std::size_t chunk) const
{
    const Chunk &c = m_chunks[chunk];
    return Loc{chunk, c.dense() ? c.length - 1 : std::int64_t(c.data->runs.size()) - 1};
}

MarkMap::Cursor MarkMap::settle(Loc loc) const
{
    Cursor cur;
    cur.m_map = this;
    if (loc.chunk >= m_chunks.size()) {
        cur.m_first.chunk = m_chunks.size();
        return cur;
    }
    const std::uint8_t colour = colourAt(loc);
    // The piece through loc within its chunk, from here to where it begins and ends.
    const auto piece = [&](Loc l, Loc &first, Loc &last) {
        const Chunk &c = m_chunks[l.chunk];
        if (c.dense()) {
            const std::uint8_t *b = c.data->bytes.data();
            first = {l.chunk, SkipEqualBackward(b, l.index, colour) + 1};
            last = {l.chunk, SkipEqual(b, l.index, c.length, colour) - 1};
            return MarkRun{c.base + first.index, c.base + last.index + 1, colour};
        }
        first = last = l;
        const Run &r = c.data->runs[std::size_t(l.index)];
        return MarkRun{c.base + r.start, c.base + r.end, colour};
    };
    Loc dummy;
    cur.m_run = piece(loc, cur.m_first, cur.m_last);
    // Into touching chunks whose edge has the same colour.
    while (cur.m_first.index == 0 && cur.m_first.chunk > 0) {
        const Loc prev = lastLoc(cur.m_first.chunk - 1);
        if (m_chunks[prev.chunk].end() != cur.m_run.start || colourAt(prev) != colour)
            break;
        cur.m_run.start = piece(prev, cur.m_first, dummy).start;
    }
    while (lastInChunk(cur.m_last) && cur.m_last.chunk + 1 < m_chunks.size()) {
        const Loc next{cur.m_last.chunk + 1, 0};
        if (m_chunks[next.chunk].base != cur.m_run.end || colourAt(next) != colour)
            break;
        cur.m_run.end = piece(next, dummy, cur.m_last).end;
    }
    return cur;
}

void MarkMap::Cursor::next()
{
    const MarkMap &m = *m_map;
    Loc l = m_last;
    const Chunk &c = m.m_chunks[l.chunk];
    if (c.dense()) {
        l.index = SkipZeros(c.data->bytes.data(), l.index + 1, c.length);
        if (l.index == c.length)
            l = Loc{l.chunk + 1, 0};
    } else if (std::size_t(++l.index) == c.data->runs.size()) {
        l = Loc{l.chunk + 1, 0};
    }
    *this = m.settle(l);
}

void MarkMap::Cursor::previous()
{
    const MarkMap &m = *m_map;
    Loc l = m_first;
    const Chunk &c = m.m_chunks[l.chunk];
    if (c.dense())
        l.index = SkipZerosBackward(c.data->bytes.data(), l.index - 1);
    else
        --l.index;
    if (l.index < 0) {
        if (l.chunk == 0) {
            m_first.chunk = m.m_chunks.size();
            return;
        }
        l = m.lastLoc(l.chunk - 1);
    }
    *this = m.settle(l);
}

MarkMap::Cursor MarkMap::firstEndingAfter(std::int64_t p) const
{
    const std::size_t i = chunkFor(p);
    if (i >= m_chunks.size())
        return settle(Loc{i, 0});
    const Chunk &c = m_chunks[i];
    if (p <= c.base)
        return settle(Loc{i, 0});
    if (c.dense())
        return settle(Loc{i, SkipZeros(c.data->bytes.data(), p - c.base, c.length)});
    return settle(Loc{i, std::int64_t(firstRunEndingAfter(c, p))});
}

MarkMap::Cursor MarkMap::lastStartingAtOrBefore(std::int64_t p) const
{
    const auto it = std::upper_bound(m_chunks.begin(), m_chunks.end(), p,
                                     [](std::int64_t v, const Chunk &k) { return v < k.base; });
    if (it == m_chunks.begin())
        return settle(Loc{m_chunks.size(), 0});
    const std::size_t i = std::size_t(it - m_chunks.begin()) - 1;
    const Chunk &c = m_chunks[i];
    if (c.dense())
        return settle(Loc{i, SkipZerosBackward(c.data->bytes.data(),
                                                std::min(p - c.base, c.length - 1))});
    const auto r = std::upper_bound(c.data->runs.begin(), c.data->runs.end(), p - c.base,
                                    [](std::int64_t v, const Run &run) { return v < run.start; });
    return settle(Loc{i, std::int64_t(r - c.data->runs.begin()) - 1});
}

std::uint8_t MarkMap::at(std::int64_t p) const
{
    const std::size_t i = chunkFor(p);
    if (i >= m_chunks.size() || m_chunks[i].base > p)
        return 0;
    const Chunk &c = m_chunks[i];
    if (c.dense())
        return c.data->bytes[std::size_t(p - c.base)];
    const Run &r = c.data->runs[firstRunEndingAfter(c, p)];
    return c.base + r.start <= p ? r.colour : 0;
}

void MarkMap::read(std::int64_t p, std::int64_t n, std::uint8_t *out) const
{
    if (n <= 0)
        return;
    std::memset(out, 0, std::size_t(n));
    forEachPiece(p, p + n, [&](std::int64_t s, std::int64_t e, std::uint8_t colour,
                               const std::uint8_t *colours) {
        if (colours)
            std::memcpy(out + (s - p), colours, std::size_t(e - s));
        else
            std::memset(out + (s - p), colour, std::size_t(e - s));
    });
}

std::int64_t MarkMap::countIn(std::int64_t p, std::int64_t n) const
{
    std::int64_t marked = 0;
    if (n <= 0)
        return 0;
    for (std::size_t i = chunkFor(p); i < m_chunks.size() && m_chunks[i].base < p + n; ++i) {
        const Chunk &c = m_chunks[i];
        if (c.base >= p && c.end() <= p + n) {
            marked += c.count;
            continue;
        }
        auto add = [&](std::int64_t s, std::int64_t e, std::uint8_t, const std::uint8_t *b) {
            marked += b ? CountNonZero(b, e - s) : e - s;
        };
        forEachPieceOf(c, p, p + n, add);
    }
    return marked;
}

std::int64_t MarkMap::countColour(std::int64_t p, std::int64_t n, std::uint8_t colour) const
{
    std::int64_t found = 0;
    if (n > 0)
        forEachPiece(p, p + n, [&](std::int64_t s, std::int64_t e, std::uint8_t c,
                                   const std::uint8_t *b) {
            if (!b) {
                found += c == colour ? e - s : 0;
                return;
            }
            std::int64_t same = 0;
            for (std::int64_t k = 0; k < e - s; ++k)
                same += b[k] == colour;
            found += same;
        });
    return found;
}

std::int64_t MarkMap::end() const
{
    return m_chunks.empty() ? 0 : m_chunks.back().end();
}

// ---- Changing ---------------------------------------------------------------------------

MarkMap::Data &MarkMap::own(Chunk &c)
{
    if (c.data.use_count() > 1)
        c.data = std::make_shared<Data>(*c.data);
    return *c.data;
}

template <class Fresh>
void MarkMap::splice(std::int64_t a, std::int64_t b, std::int64_t newLength, bool adds,
                     Fresh fresh)
{
    const std::int64_t delta = newLength - (b - a);
    // The chunks meeting [a, b), or holding a inside them.
    std::size_t i0 = chunkFor(a);
    std::size_t i1 = i0;
    while (i1 < m_chunks.size() && m_chunks[i1].base < b)
        ++i1;
    // Marks between two chunks join a neighbour of runs rather than start a chunk of their
    // own, so that scattered single marks do not cost a chunk each.
    if (adds && i0 == i1) {
        // One with room first: joining a full chunk splits it again.
        const auto room = [&](std::size_t i) {
            return !m_chunks[i].dense() && m_chunks[i].data->runs.size() < s_limits.chunkRuns;
        };
        if (i0 > 0 && room(i0 - 1))
            --i0;
        else if (i1 < m_chunks.size() && room(i1))
            ++i1;
        else if (i0 > 0 && !m_chunks[i0 - 1].dense())
            --i0;
    }
    Builder out;
    std::int64_t removed = 0;
    for (std::size_t i = i0; i < i1; ++i) {
        removed += m_chunks[i].count;
        if (m_chunks[i].base < a)
            out.appendMap(*this, m_chunks[i].base, std::min(a, m_chunks[i].end()), 0, false);
    }
    fresh(out);
    for (std::size_t i = i0; i < i1; ++i)
        if (m_chunks[i].end() > b)
            out.appendMap(*this, std::max(b, m_chunks[i].base), m_chunks[i].end(), delta, false);
    MarkMap made = out.finish();
    made.evenOut();
    m_count += made.m_count - removed;
    const std::size_t same = std::min(made.m_chunks.size(), i1 - i0);
    std::move(made.m_chunks.begin(), made.m_chunks.begin() + std::ptrdiff_t(same),
              m_chunks.begin() + std::ptrdiff_t(i0));
    if (made.m_chunks.size() > same)
        m_chunks.insert(m_chunks.begin() + std::ptrdiff_t(i1),
                        std::make_move_iterator(made.m_chunks.begin() + std::ptrdiff_t(same)),
                        std::make_move_iterator(made.m_chunks.end()));
    else if (i1 - i0 > same)
        m_chunks.erase(m_chunks.begin() + std::ptrdiff_t(i0 + same),
                       m_chunks.begin() + std::ptrdiff_t(i1));
    if (delta != 0)
        for (std::size_t i = i0 + made.m_chunks.size(); i < m_chunks.size(); ++i)
            m_chunks[i].base += delta;
}

// A few chunks of runs where a full one split share their runs evenly, so that the next
// mark landing there joins one with room instead of splitting it again.
void MarkMap::evenOut()
{
    const std::size_t n = m_chunks.size();
    if (n < 2 || n > 4)
        return;
    std::vector<MarkRun> all;
    for (const Chunk &c : m_chunks) {
        if (c.dense())
            return;
        for (const Run &r : c.data->runs) {
            const MarkRun run{c.base + r.start, c.base + r.end, r.colour};
            if (!all.empty() && all.back().end == run.start && all.back().colour == run.colour)
                all.back().end = run.end; // touching across the chunks' edge: one run now
            else
                all.push_back(run);
        }
    }
    const std::size_t each = (all.size() + n - 1) / n;
    std::vector<Chunk> even;
    for (std::size_t i = 0; i < all.size(); i += each) {
        const std::size_t stop = std::min(all.size(), i + each);
        auto data = std::make_shared<Data>();
        Chunk c{all[i].start, all[stop - 1].end - all[i].start, 0, nullptr};
        for (std::size_t k = i; k < stop; ++k) {
            data->runs.push_back(Run{all[k].start - c.base, all[k].end - c.base, all[k].colour});
            c.count += all[k].end - all[k].start;
        }
        c.data = std::move(data);
        even.push_back(std::move(c));
    }
    m_chunks = std::move(even);
}

bool MarkMap::fillInPlace(std::int64_t p, std::int64_t n, std::uint8_t colour)
{
    const std::size_t i = chunkFor(p);
    if (i >= m_chunks.size())
        return false;
    Chunk &c = m_chunks[i];
    if (!c.dense() || p < c.base || p + n > c.end())
        return false;
    Data &d = own(c);
    std::uint8_t *b = d.bytes.data() + (p - c.base);
    const std::int64_t before = CountNonZero(b, n);
    std::memset(b, colour, std::size_t(n));
    const std::int64_t change = (colour ? n : 0) - before;
    c.count += change;
    m_count += change;
    if (colour == 0) { // a chunk of colours begins and ends marked
        const std::int64_t first = SkipZeros(d.bytes.data(), 0, c.length);
        if (first == c.length) {
            m_chunks.erase(m_chunks.begin() + std::ptrdiff_t(i));
            return true;
        }
        const std::int64_t last = SkipZerosBackward(d.bytes.data(), c.length - 1);
        if (first > 0 || last < c.length - 1) {
            d.bytes.erase(d.bytes.begin() + last + 1, d.bytes.end());
            d.bytes.erase(d.bytes.begin(), d.bytes.begin() + first);
            c.base += first;
            c.length = last + 1 - first;
        }
    }
    return true;
}

void MarkMap::fill(std::int64_t p, std::int64_t n, std::uint8_t colour)
{
    if (n <= 0 || fillInPlace(p, n, colour))
        return;
    splice(p, p + n, n, colour != 0, [&](Builder &out) { out.append(p, p + n, colour); });
}

void MarkMap::assign(std::int64_t p, const std::uint8_t *colours, std::int64_t n)
{
    if (n > 0)
        splice(p, p + n, n, true, [&](Builder &out) { out.appendColours(p, colours, n); });
}

void MarkMap::insertGap(std::int64_t p, std::int64_t n)
{
    if (n > 0)
        splice(p, p, n, false, [](Builder &) {});
}

void MarkMap::erase(std::int64_t p, std::int64_t n)
{
    if (n > 0)
        splice(p, p + n, 0, false, [](Builder &) {});
}

void MarkMap::paste(std::int64_t p, std::int64_t n, const MarkMap &src)
{
    if (n > 0)
        splice(p, p + n, n, true, [&](Builder &out) { out.appendMap(src, 0, n, p); });
}

MarkMap MarkMap::slice(std::int64_t p, std::int64_t n) const
{
    Builder b;
    if (n > 0)
        b.appendMap(*this, p, p + n, -p);
    return b.finish();
}

MarkMap MarkMap::mirrored(std::int64_t size) const
{
    Builder b;
    b.appendMirrored(*this, 0, size, size);
    return b.finish();
}

void MarkMap::truncate(std::int64_t p)
{
    const std::int64_t e = end();
    if (e > p)
        fill(p, e - p, 0);
}

void MarkMap::clear()
{
    m_chunks.clear();
    m_count = 0;
}

std::int64_t MarkMap::bytesHeld() const
{
    std::int64_t bytes = std::int64_t(m_chunks.capacity() * sizeof(Chunk));
    for (const Chunk &c : m_chunks)
        bytes += std::int64_t(sizeof(Data) + c.data->runs.capacity() * sizeof(Run)
                              + c.data->bytes.capacity());
    return bytes;
}

std::int64_t MarkMap::denseBytes() const
{
    std::int64_t bytes = 0;
    for (const Chunk &c : m_chunks)
        bytes += c.dense() ? c.length : 0;
    return bytes;
}

std::vector<MarkRun> MarkMap::runs() const
{
    std::vector<MarkRun> all;
    for (Cursor c = begin(); c.valid(); c.next())
        all.push_back(c.run());
    return all;
}

} // namespace vtm
