#include "document/MarkMap.h"

#include "document/ByteScan.h"

#include <algorithm>
#include <cstring>

namespace vtm {

void MarkMap::push(std::vector<MarkRun> &out, MarkRun r)
{
    if (r.colour == 0 || r.end <= r.start)
        return;
    if (!out.empty() && out.back().end == r.start && out.back().colour == r.colour)
        out.back().end = r.end;
    else
        out.push_back(r);
}

void MarkMap::Builder::append(std::int64_t start, std::int64_t end, std::uint8_t colour)
{
    if (colour != 0 && end > start)
        m_map.appendRun(start, end, colour);
}

void MarkMap::Builder::appendColours(std::int64_t start, const std::uint8_t *colours,
                                     std::int64_t n)
{
    std::int64_t i = 0;
    while (i < n) {
        // Unmarked stretches go a word at a time.
        if (colours[i] == 0) {
            ++i;
            while (i + 8 <= n && LoadWord(colours + i) == 0)
                i += 8;
            continue;
        }
        const std::uint8_t c = colours[i];
        std::int64_t j = i + 1;
        while (j < n && colours[j] == c)
            ++j;
        append(start + i, start + j, c);
        i = j;
    }
}

MarkMap MarkMap::Builder::finish()
{
    MarkMap map = std::move(m_map);
    m_map.clear();
    return map;
}

bool MarkMap::Cursor::valid() const
{
    return m_map && m_chunk < m_map->m_chunks.size();
}

MarkRun MarkMap::Cursor::run() const
{
    const Chunk &c = m_map->m_chunks[m_chunk];
    const Run &r = c.runs[m_index];
    return MarkRun{c.base + r.start, c.base + r.end, r.colour};
}

void MarkMap::Cursor::next()
{
    if (++m_index >= m_map->m_chunks[m_chunk].runs.size()) {
        ++m_chunk;
        m_index = 0;
    }
}

void MarkMap::Cursor::previous()
{
    if (m_index > 0) {
        --m_index;
    } else if (m_chunk > 0) {
        --m_chunk;
        m_index = m_map->m_chunks[m_chunk].runs.size() - 1;
    } else {
        m_chunk = m_map->m_chunks.size();
    }
}

void MarkMap::rechunk(const std::vector<MarkRun> &runs, std::vector<Chunk> &out)
{
    const std::size_t n = runs.size();
    if (n == 0)
        return;
    const std::size_t chunks = (n + ChunkRuns - 1) / ChunkRuns;
    const std::size_t each = (n + chunks - 1) / chunks; // evenly, so none is tiny
    for (std::size_t i = 0; i < n; i += each) {
        Chunk c;
        c.base = runs[i].start;
        const std::size_t stop = std::min(n, i + each);
        c.runs.reserve(stop - i);
        for (std::size_t k = i; k < stop; ++k)
            c.runs.push_back(Run{runs[k].start - c.base, runs[k].end - c.base, runs[k].colour});
        out.push_back(std::move(c));
    }
}

std::size_t MarkMap::chunkFor(std::int64_t p) const
{
    const auto it = std::upper_bound(m_chunks.begin(), m_chunks.end(), p,
                                     [](std::int64_t v, const Chunk &c) { return v < c.absEnd(); });
    return std::size_t(it - m_chunks.begin());
}

MarkMap::Cursor MarkMap::firstEndingAfter(std::int64_t p) const
{
    Cursor c;
    c.m_map = this;
    c.m_chunk = chunkFor(p);
    if (c.m_chunk < m_chunks.size()) {
        const Chunk &k = m_chunks[c.m_chunk];
        const std::int64_t rel = p < k.base ? -1 : p - k.base;
        const auto it = std::upper_bound(k.runs.begin(), k.runs.end(), rel,
                                         [](std::int64_t v, const Run &r) { return v < r.end; });
        c.m_index = std::size_t(it - k.runs.begin());
    }
    return c;
}

MarkMap::Cursor MarkMap::lastStartingAtOrBefore(std::int64_t p) const
{
    Cursor c;
    c.m_map = this;
    const auto it = std::upper_bound(m_chunks.begin(), m_chunks.end(), p,
                                     [](std::int64_t v, const Chunk &k) {
                                         return v < k.base + k.runs.front().start;
                                     });
    if (it == m_chunks.begin()) {
        c.m_chunk = m_chunks.size();
        return c;
    }
    c.m_chunk = std::size_t(it - m_chunks.begin()) - 1;
    const Chunk &k = m_chunks[c.m_chunk];
    const auto r = std::upper_bound(k.runs.begin(), k.runs.end(), p - k.base,
                                    [](std::int64_t v, const Run &run) { return v < run.start; });
    c.m_index = std::size_t(r - k.runs.begin()) - 1;
    return c;
}

std::uint8_t MarkMap::at(std::int64_t p) const
{
    const Cursor c = firstEndingAfter(p);
    if (!c.valid())
        return 0;
    const MarkRun r = c.run();
    return r.start <= p ? r.colour : 0;
}

void MarkMap::read(std::int64_t p, std::int64_t n, std::uint8_t *out) const
{
    if (n <= 0)
        return;
    std::memset(out, 0, std::size_t(n));
    forEachRun(p, p + n, [&](const MarkRun &r) {
        std::memset(out + (r.start - p), r.colour, std::size_t(r.end - r.start));
    });
}

std::int64_t MarkMap::countIn(std::int64_t p, std::int64_t n) const
{
    std::int64_t marked = 0;
    if (n > 0)
        forEachRun(p, p + n, [&](const MarkRun &r) { marked += r.end - r.start; });
    return marked;
}

std::int64_t MarkMap::end() const
{
    return m_chunks.empty() ? 0 : m_chunks.back().absEnd();
}

void MarkMap::splice(std::int64_t a, std::int64_t b, std::int64_t newLength,
                     const std::vector<MarkRun> &fresh)
{
    const std::int64_t delta = newLength - (b - a);
    // The chunks holding runs that meet [a, b] (touching counts: they may merge).
    const auto first = std::lower_bound(
        m_chunks.begin(), m_chunks.end(), a,
        [](const Chunk &c, std::int64_t v) { return c.absEnd() < v; });
    const auto last = std::upper_bound(
        first, m_chunks.end(), b,
        [](std::int64_t v, const Chunk &c) { return v < c.base + c.runs.front().start; });
    std::size_t i0 = std::size_t(first - m_chunks.begin());
    std::size_t i1 = std::size_t(last - m_chunks.begin());
    if (i0 == i1 && fresh.empty()) {
        if (delta != 0)
            for (std::size_t i = i1; i < m_chunks.size(); ++i)
                m_chunks[i].base += delta;
        return;
    }
    // New runs between two chunks join a neighbour rather than start a chunk of their own.
    if (i0 == i1 && i0 > 0)
        --i0;
    else if (i0 == i1 && i1 < m_chunks.size())
        ++i1;

    std::vector<MarkRun> out;
    std::int64_t removed = 0, removedRuns = 0;
    for (std::size_t i = i0; i < i1; ++i)
        for (const Run &r : m_chunks[i].runs) {
            const std::int64_t s = m_chunks[i].base + r.start, e = m_chunks[i].base + r.end;
            removed += e - s;
            ++removedRuns;
            if (s < a)
                push(out, MarkRun{s, std::min(e, a), r.colour});
        }
    for (const MarkRun &f : fresh)
        push(out, MarkRun{a + f.start, a + f.end, f.colour});
    for (std::size_t i = i0; i < i1; ++i)
        for (const Run &r : m_chunks[i].runs) {
            const std::int64_t s = m_chunks[i].base + r.start, e = m_chunks[i].base + r.end;
            if (e > b)
                push(out, MarkRun{std::max(s, b) + delta, e + delta, r.colour});
        }

    std::int64_t added = 0;
    for (const MarkRun &r : out)
        added += r.end - r.start;
    m_count += added - removed;
    m_runCount += std::int64_t(out.size()) - removedRuns;

    std::vector<Chunk> made;
    rechunk(out, made);
    const std::size_t tail = i0 + made.size();
    // In place where they overlap; the tail moves once, and only when the count changes.
    const std::size_t same = std::min(made.size(), i1 - i0);
    std::move(made.begin(), made.begin() + std::ptrdiff_t(same),
              m_chunks.begin() + std::ptrdiff_t(i0));
    if (made.size() > same)
        m_chunks.insert(m_chunks.begin() + std::ptrdiff_t(i1),
                        std::make_move_iterator(made.begin() + std::ptrdiff_t(same)),
                        std::make_move_iterator(made.end()));
    else if (i1 - i0 > same)
        m_chunks.erase(m_chunks.begin() + std::ptrdiff_t(i0 + same),
                       m_chunks.begin() + std::ptrdiff_t(i1));
    if (delta != 0)
        for (std::size_t i = tail; i < m_chunks.size(); ++i)
            m_chunks[i].base += delta;
}

void MarkMap::fill(std::int64_t p, std::int64_t n, std::uint8_t colour)
{
    if (n <= 0)
        return;
    if (colour != 0 && p >= end()) { // bulk commands mark in ascending order
        appendRun(p, p + n, colour);
        return;
    }
    std::vector<MarkRun> fresh;
    if (colour != 0)
        fresh.push_back(MarkRun{0, n, colour});
    splice(p, p + n, n, fresh);
}

void MarkMap::assign(std::int64_t p, const std::uint8_t *colours, std::int64_t n)
{
    if (n <= 0)
        return;
    Builder b;
    b.appendColours(0, colours, n);
    const MarkMap src = b.finish();
    paste(p, n, src);
}

void MarkMap::appendRun(std::int64_t start, std::int64_t end, std::uint8_t colour)
{
    m_count += end - start;
    if (!m_chunks.empty()) {
        Chunk &c = m_chunks.back();
        Run &last = c.runs.back();
        if (c.base + last.end == start && last.colour == colour) {
            last.end = end - c.base;
            return;
        }
        if (c.runs.size() < ChunkRuns) {
            c.runs.push_back(Run{start - c.base, end - c.base, colour});
            ++m_runCount;
            return;
        }
    }
    Chunk c;
    c.base = start;
    c.runs.push_back(Run{0, end - start, colour});
    m_chunks.push_back(std::move(c));
    ++m_runCount;
}

void MarkMap::insertGap(std::int64_t p, std::int64_t n)
{
    if (n > 0)
        splice(p, p, n, {});
}

void MarkMap::erase(std::int64_t p, std::int64_t n)
{
    if (n > 0)
        splice(p, p + n, 0, {});
}

void MarkMap::paste(std::int64_t p, std::int64_t n, const MarkMap &src)
{
    if (n <= 0)
        return;
    std::vector<MarkRun> fresh;
    src.forEachRun(0, n, [&](const MarkRun &r) { fresh.push_back(r); });
    splice(p, p + n, n, fresh);
}

MarkMap MarkMap::slice(std::int64_t p, std::int64_t n) const
{
    Builder b;
    if (n > 0)
        forEachRun(p, p + n, [&](const MarkRun &r) { b.append(r.start - p, r.end - p, r.colour); });
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
    m_runCount = 0;
}

namespace {
// The marks a change replaces, walking the map's runs from `from` on: their colours with
// bit 7 set, unmarked bytes as 0x80.
void KeepReplaced(MarkMap::Cursor from, const MarkRun &change, MarkMap::Builder &before)
{
    std::int64_t at = change.start;
    for (MarkMap::Cursor m = from; m.valid(); m.next()) {
        const MarkRun r = m.run();
        if (r.start >= change.end)
            break;
        const std::int64_t s = std::max(r.start, change.start), e = std::min(r.end, change.end);
        before.append(at, s, 0x80);
        before.append(s, e, std::uint8_t(r.colour | 0x80));
        at = e;
    }
    before.append(at, change.end, 0x80);
}
} // namespace

void MarkMap::apply(const MarkMap &changes, MarkMap *old)
{
    Builder before;
    // Few changes in many runs: each one where it lands.
    if (changes.m_runCount * 512 <= m_runCount) {
        for (Cursor c = changes.begin(); c.valid(); c.next()) {
            const MarkRun ch = c.run();
            if (old)
                KeepReplaced(firstEndingAfter(ch.start), ch, before);
            fill(ch.start, ch.end - ch.start, std::uint8_t(ch.colour & 0x7F));
        }
        if (old)
            *old = before.finish();
        return;
    }
    // Otherwise one pass over both.
    Builder out;
    Cursor mine = begin();
    std::int64_t pos = INT64_MIN;
    auto keepUpTo = [&](std::int64_t limit) { // this map's runs in [pos, limit)
        while (mine.valid()) {
            const MarkRun r = mine.run();
            if (r.start >= limit)
                break;
            out.append(std::max(r.start, pos), std::min(r.end, limit), r.colour);
            if (r.end > limit)
                break;
            mine.next();
        }
    };
    for (Cursor c = changes.begin(); c.valid(); c.next()) {
        const MarkRun ch = c.run();
        keepUpTo(ch.start);
        if (old)
            KeepReplaced(mine, ch, before);
        while (mine.valid() && mine.run().end <= ch.end)
            mine.next();
        out.append(ch.start, ch.end, std::uint8_t(ch.colour & 0x7F));
        pos = ch.end;
    }
    keepUpTo(INT64_MAX);
    *this = out.finish();
    if (old)
        *old = before.finish();
}

std::int64_t MarkMap::bytesHeld() const
{
    std::int64_t bytes = std::int64_t(m_chunks.capacity() * sizeof(Chunk));
    for (const Chunk &c : m_chunks)
        bytes += std::int64_t(c.runs.capacity() * sizeof(Run));
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
