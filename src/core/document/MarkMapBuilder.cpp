#include "document/MarkMap.h"

#include "document/MarkScan.h"

#include <algorithm>
#include <cstring>

namespace vtm {

using namespace markscan;

void MarkMap::Builder::open(std::int64_t base, bool dense)
{
    if (dense)
        m_bytes.reserve(std::size_t(s_limits.denseBytes));
    m_open = true;
    m_dense = dense;
    m_base = base;
    m_openCount = 0;
    m_openRuns = 0;
    m_runs.clear();
    m_bytes.clear();
}

void MarkMap::Builder::toDense()
{
    m_bytes.reserve(std::size_t(s_limits.denseBytes));
    m_bytes.assign(std::size_t(m_end - m_base), 0);
    for (const Run &r : m_runs)
        std::memset(m_bytes.data() + r.start, r.colour, std::size_t(r.end - r.start));
    m_openRuns = std::int64_t(m_runs.size());
    m_runs.clear();
    m_dense = true;
}

void MarkMap::Builder::close()
{
    if (!m_open)
        return;
    m_open = false;
    const std::int64_t length = m_end - m_base;
    if (length <= 0)
        return;
    // The cheaper form, with a margin so that a stretch does not flip back and forth. A few
    // runs stay runs: scattered single marks then join one chunk instead of a chunk each.
    if (!m_dense && m_runs.size() >= 8 && length < std::int64_t(m_runs.size()) * RunBytes)
        toDense();
    else if (m_dense && m_openRuns * RunBytes * 2 < length
             && CountRuns(m_bytes.data(), length) * RunBytes * 2 < length) {
        m_runs.clear();
        for (std::int64_t i = SkipZeros(m_bytes.data(), 0, length); i < length;) {
            const std::uint8_t c = m_bytes[std::size_t(i)];
            const std::int64_t j = SkipEqual(m_bytes.data(), i + 1, length, c);
            m_runs.push_back(Run{i, j, c});
            i = SkipZeros(m_bytes.data(), j, length);
        }
        m_dense = false;
    }
    auto data = std::make_shared<Data>();
    if (m_dense && std::int64_t(m_bytes.capacity()) - length <= length / 8) {
        m_bytes.resize(std::size_t(length));
        data->bytes = std::move(m_bytes); // nearly full: taken over, not copied
        m_bytes = {};
    } else if (m_dense)
        data->bytes.assign(m_bytes.begin(), m_bytes.begin() + length);
    else
        data->runs.assign(m_runs.begin(), m_runs.end());
    m_chunks.push_back(Chunk{m_base, length, m_openCount, std::move(data)});
    m_count += m_openCount;
}

void MarkMap::Builder::append(std::int64_t start, std::int64_t end, std::uint8_t colour)
{
    if (colour == 0 || end <= start || end <= m_end)
        return;
    start = std::max(start, m_end); // ascending only: an overlap is dropped, never misplaced
    if (m_open && m_dense) {
        if (end - m_end <= DenseBreak && end - m_base <= s_limits.denseBytes) {
            m_bytes.resize(std::size_t(end - m_base), 0);
            std::memset(m_bytes.data() + (start - m_base), colour, std::size_t(end - start));
            m_openCount += end - start;
            m_openRuns += 1;
            m_end = end;
            m_lastColour = colour;
            return;
        }
        close();
    }
    if (m_open && start == m_end && colour == m_lastColour) {
        m_runs.back().end = end - m_base;
    } else {
        if (m_open && m_runs.size() >= s_limits.chunkRuns) {
            if ((m_end - m_base) < std::int64_t(m_runs.size()) * RunBytes
                && end - m_base <= s_limits.denseBytes) {
                toDense();
                append(start, end, colour);
                return;
            }
            close();
        }
        if (!m_open)
            open(start, false);
        m_runs.push_back(Run{start - m_base, end - m_base, colour});
    }
    m_openCount += end - start;
    m_end = end;
    m_lastColour = colour;
}

// Colours copied as they are (zeros included) into a chunk of colours.
void MarkMap::Builder::appendDense(std::int64_t start, const std::uint8_t *colours,
                                   std::int64_t n, std::int64_t runs)
{
    m_openRuns += runs;
    while (n > 0) {
        const std::int64_t first = SkipZeros(colours, 0, n);
        if (first == n)
            return;
        start += first;
        colours += first;
        n -= first;
        if (m_open && !m_dense) {
            if (start - m_end <= DenseBreak && start + 1 - m_base <= s_limits.denseBytes)
                toDense();
            else
                close();
        }
        if (m_open && (start - m_end > DenseBreak || start + 1 - m_base > s_limits.denseBytes))
            close();
        if (!m_open)
            open(start, true);
        const std::int64_t room = m_base + s_limits.denseBytes - start;
        std::int64_t take = std::min(n, room);
        const std::int64_t last = SkipZerosBackward(colours, take - 1);
        take = last + 1; // ends marked; never 0, as colours[0] is marked
        m_bytes.resize(std::size_t(start - m_base), 0);
        m_bytes.insert(m_bytes.end(), colours, colours + take);
        m_openCount += CountNonZero(colours, take);
        m_end = start + take;
        m_lastColour = colours[take - 1];
        start += take;
        colours += take;
        n -= take;
    }
}

void MarkMap::Builder::appendColours(std::int64_t start, const std::uint8_t *colours,
                                     std::int64_t n)
{
    if (start < m_end) { // ascending only
        const std::int64_t skip = std::min(n, m_end - start);
        start += skip;
        colours += skip;
        n -= skip;
    }
    for (std::int64_t w = 0; w < n; w += Window) {
        const std::int64_t len = std::min(Window, n - w);
        const std::uint8_t *c = colours + w;
        const std::int64_t first = SkipZeros(c, 0, len);
        if (first == len)
            continue;
        // Short runs: the window as it is; long ones: run by run.
        if (const std::int64_t runs = CountRuns(c + first, len - first);
            runs * RunBytes > len - first) {
            appendDense(start + w + first, c + first, len - first, runs);
            continue;
        }
        for (std::int64_t i = first; i < len;) {
            const std::uint8_t k = c[i];
            const std::int64_t j = SkipEqual(c, i + 1, len, k);
            append(start + w + i, start + w + j, k);
            i = SkipZeros(c, j, len);
        }
    }
}

void MarkMap::Builder::adopt(const Chunk &c, std::int64_t shift)
{
    close();
    m_chunks.push_back(Chunk{c.base + shift, c.length, c.count, c.data});
    m_count += c.count;
    m_end = c.end() + shift;
    m_lastColour = 0; // a chunk taken over is never extended
}

void MarkMap::Builder::appendMap(const MarkMap &src, std::int64_t from, std::int64_t to,
                                 std::int64_t shift, bool share)
{
    for (std::size_t i = src.chunkFor(from); i < src.m_chunks.size(); ++i) {
        const Chunk &c = src.m_chunks[i];
        if (c.base >= to)
            break;
        if (share && c.base >= from && c.end() <= to && c.base + shift >= m_end) {
            adopt(c, shift);
            continue;
        }
        auto put = [&](std::int64_t s, std::int64_t e, std::uint8_t colour,
                       const std::uint8_t *colours) {
            if (colours)
                appendColours(s + shift, colours, e - s);
            else
                append(s + shift, e + shift, colour);
        };
        forEachPieceOf(c, from, to, put);
    }
}

void MarkMap::Builder::appendMirrored(const MarkMap &src, std::int64_t from, std::int64_t to,
                                      std::int64_t size)
{
    if (to <= from || src.m_chunks.empty())
        return;
    std::vector<std::uint8_t> reversed;
    const std::size_t first = src.chunkFor(from);
    for (std::size_t i = src.chunkFor(to - 1) + 1; i-- > first;) {
        if (i >= src.m_chunks.size())
            continue;
        const Chunk &c = src.m_chunks[i];
        if (c.base >= to)
            continue;
        // This chunk's pieces, last first.
        std::vector<MarkRun> runs;
        auto put = [&](std::int64_t s, std::int64_t e, std::uint8_t colour,
                       const std::uint8_t *colours) {
            if (colours) {
                reversed.assign(colours, colours + (e - s));
                std::reverse(reversed.begin(), reversed.end());
                appendColours(size - e, reversed.data(), e - s);
            } else {
                runs.push_back(MarkRun{s, e, colour});
            }
        };
        forEachPieceOf(c, from, to, put);
        for (auto r = runs.rbegin(); r != runs.rend(); ++r)
            append(size - r->end, size - r->start, r->colour);
    }
}

MarkMap MarkMap::Builder::finish()
{
    close();
    MarkMap map;
    map.m_chunks = std::move(m_chunks);
    map.m_count = m_count;
    m_chunks.clear();
    m_count = 0;
    m_end = INT64_MIN;
    m_lastColour = 0;
    return map;
}

} // namespace vtm
