#include "document/PieceTable.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

namespace vtm {

namespace {

std::uint64_t NextId()
{
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

} // namespace

// Builds the new pieces of a stretch of chunks in one pass and swaps them in. Everything that
// can fail happens in prepare(), before the table changes.
class PieceTable::Rebuild
{
public:
    // The chunks holding [first, last], and those ending at first, so that new pieces can
    // merge with their neighbours.
    Rebuild(PieceTable &table, std::int64_t first, std::int64_t last)
        : m_table(table)
    {
        const auto &cs = table.m_chunks;
        const auto b = std::lower_bound(cs.begin(), cs.end(), first,
                                        [](const Chunk &c, std::int64_t v) { return c.end() < v; });
        const auto e = std::upper_bound(b, cs.end(), last,
                                        [](std::int64_t v, const Chunk &c) { return v < c.base; });
        m_i0 = m_chunk = std::size_t(b - cs.begin());
        m_i1 = std::size_t(e - cs.begin());
        m_base = m_i0 < cs.size() ? cs[m_i0].base : table.m_size;
        m_end = m_i1 > m_i0 ? cs[m_i1 - 1].end() : m_base;
        m_pos = m_base;
    }

    // Keeps the old bytes from where the last call stopped up to y.
    void copyTo(std::int64_t y)
    {
        if (y <= m_pos)
            return;
        const auto &cs = m_table.m_chunks;
        while (m_chunk < m_i1) {
            const Chunk &c = cs[m_chunk];
            const Slot &s = c.entries[m_slot];
            const std::int64_t ps = c.base + s.start, pe = ps + s.piece.length;
            if (pe > m_pos) {
                if (ps >= y)
                    break;
                const std::int64_t lo = std::max(ps, m_pos), hi = std::min(pe, y);
                push(m_out, m_table.sub(s.piece, lo - ps, hi - lo));
                if (pe > y)
                    break;
            }
            if (++m_slot == c.entries.size()) {
                ++m_chunk;
                m_slot = 0;
            }
        }
        m_pos = y;
    }

    // Drops the old bytes up to y.
    void skipTo(std::int64_t y)
    {
        m_delta -= y - m_pos;
        m_pos = y;
    }

    void add(const Piece &piece)
    {
        m_delta += piece.length;
        push(m_out, piece);
    }

    void prepare()
    {
        copyTo(m_end);
        const auto &cs = m_table.m_chunks;
        for (std::size_t i = m_i0; i < m_i1; ++i)
            m_oldSlots += cs[i].entries.size();
        // A small result takes in a neighbour, so that chunks do not dwindle to single pieces.
        if (m_out.size() < std::size_t(m_table.m_limits.chunkPieces) / 2) {
            if (m_i1 < cs.size()) {
                for (const Slot &s : cs[m_i1].entries)
                    push(m_out, s.piece);
                m_oldSlots += cs[m_i1].entries.size();
                ++m_i1;
            } else if (m_i0 > 0) {
                const Chunk &c = cs[m_i0 - 1];
                std::vector<Piece> joined;
                joined.reserve(c.entries.size() + m_out.size());
                for (const Slot &s : c.entries)
                    push(joined, s.piece);
                for (const Piece &p : m_out)
                    push(joined, p);
                m_out.swap(joined);
                m_oldSlots += c.entries.size();
                m_base = c.base;
                --m_i0;
            }
        }

        const std::size_t n = m_out.size();
        if (n > 0) {
            const std::size_t most = std::size_t(m_table.m_limits.chunkPieces);
            const std::size_t chunks = (n + most - 1) / most;
            const std::size_t each = (n + chunks - 1) / chunks; // evenly, so none is tiny
            m_made.reserve(chunks);
            std::int64_t pos = m_base;
            for (std::size_t i = 0; i < n; i += each) {
                Chunk c;
                c.base = pos;
                const std::size_t stop = std::min(n, i + each);
                c.entries.reserve(stop - i);
                for (std::size_t k = i; k < stop; ++k) {
                    c.entries.push_back(Slot{pos - c.base, m_out[k]});
                    pos += m_out[k].length;
                }
                m_made.push_back(std::move(c));
            }
        }
        if (m_made.size() > m_i1 - m_i0)
            m_table.m_chunks.reserve(cs.size() + (m_made.size() - (m_i1 - m_i0)));
    }

    void commit() noexcept
    {
        auto &cs = m_table.m_chunks;
        const std::size_t old = m_i1 - m_i0;
        const std::size_t same = std::min(m_made.size(), old);
        std::move(m_made.begin(), m_made.begin() + std::ptrdiff_t(same),
                  cs.begin() + std::ptrdiff_t(m_i0));
        if (m_made.size() > same)
            cs.insert(cs.begin() + std::ptrdiff_t(m_i1),
                      std::make_move_iterator(m_made.begin() + std::ptrdiff_t(same)),
                      std::make_move_iterator(m_made.end()));
        else if (old > same)
            cs.erase(cs.begin() + std::ptrdiff_t(m_i0 + same), cs.begin() + std::ptrdiff_t(m_i1));
        if (m_delta != 0)
            for (std::size_t i = m_i0 + m_made.size(); i < cs.size(); ++i)
                cs[i].base += m_delta;
        m_table.m_size += m_delta;
        m_table.m_pieceCount += std::int64_t(m_out.size()) - std::int64_t(m_oldSlots);
    }


private:
    static void push(std::vector<Piece> &out, const Piece &p)
    {
        if (p.length <= 0)
            return;
        if (!out.empty()) {
            Piece &last = out.back();
            // Repeats never join: their offsets are phases, not places.
            if (last.source == p.source && p.source != Source::Repeat
                && (p.source == Source::Fill ? last.offset == p.offset
                                             : last.offset + last.length == p.offset)) {
                last.length = last.length + p.length;
                return;
            }
        }
        out.push_back(p);
    }

    PieceTable &m_table;
    std::size_t m_i0 = 0, m_i1 = 0;       // old chunks replaced
    std::size_t m_chunk = 0, m_slot = 0;  // copying cursor
    std::int64_t m_base = 0, m_end = 0;   // what they cover
    std::int64_t m_pos = 0;               // old offset reached
    std::int64_t m_delta = 0;             // change in size
    std::size_t m_oldSlots = 0;
    std::vector<Piece> m_out;
    std::vector<Chunk> m_made;
};

PieceTable::PieceTable()
    : PieceTable(Limits{})
{}

PieceTable::PieceTable(Limits limits)
    : m_limits(limits)
    , m_id(NextId())
{
    m_limits.chunkPieces = std::max(m_limits.chunkPieces, 1);
    if (m_limits.maxSpan <= 0)
        m_limits.maxSpan = std::numeric_limits<std::int64_t>::max();
}

PieceTable::PieceTable(PieceTable &&other) noexcept
    : m_limits(other.m_limits)
    , m_original(std::move(other.m_original))
    , m_file(std::move(other.m_file))
    , m_added(std::move(other.m_added))
    , m_addedUsed(std::exchange(other.m_addedUsed, 0))
    , m_chunks(std::move(other.m_chunks))
    , m_size(std::exchange(other.m_size, 0))
    , m_pieceCount(std::exchange(other.m_pieceCount, 0))
    , m_id(std::exchange(other.m_id, NextId()))
{
    other.m_chunks.clear();
}

PieceTable &PieceTable::operator=(PieceTable &&other) noexcept
{
    if (this != &other) {
        m_limits = other.m_limits;
        m_original = std::move(other.m_original);
        m_file = std::move(other.m_file);
        m_added = std::move(other.m_added);
        m_addedUsed = std::exchange(other.m_addedUsed, 0);
        m_chunks = std::move(other.m_chunks);
        other.m_chunks.clear();
        m_size = std::exchange(other.m_size, 0);
        m_pieceCount = std::exchange(other.m_pieceCount, 0);
        m_id = std::exchange(other.m_id, NextId());
    }
    return *this;
}

void PieceTable::adopt(ByteStorage &&original, std::int64_t n)
{
    if (n < 0 || n > original.size())
        throw std::out_of_range("PieceTable::adopt");
    startWith(Source::Original, n);
    m_original = std::move(original);
    m_file.reset();
}

void PieceTable::adoptFile(std::unique_ptr<FileSource> file)
{
    startWith(Source::File, file ? file->size() : 0);
    m_original.release();
    m_file = std::move(file);
}

void PieceTable::startWith(Source source, std::int64_t n)
{
    std::vector<Chunk> chunks;
    if (n > 0) {
        chunks.resize(1);
        chunks[0].entries.push_back(Slot{0, Piece{0, n, source}});
    }
    m_added.release();
    m_addedUsed = 0;
    m_chunks.swap(chunks);
    m_size = n;
    m_pieceCount = n > 0 ? 1 : 0;
    m_id = NextId();
}

void PieceTable::clear()
{
    m_original.release();
    m_file.reset();
    m_added.release();
    m_addedUsed = 0;
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_size = 0;
    m_pieceCount = 0;
    m_id = NextId();
}

PieceTable::Cursor PieceTable::locate(std::int64_t p) const
{
    assert(p >= 0 && p < m_size);
    const auto it = std::upper_bound(m_chunks.begin(), m_chunks.end(), p,
                                     [](std::int64_t v, const Chunk &c) { return v < c.end(); });
    const auto s = std::upper_bound(it->entries.begin(), it->entries.end(), p - it->base,
                                    [](std::int64_t v, const Slot &slot) { return v < slot.start; });
    return Cursor{std::size_t(it - m_chunks.begin()), std::size_t(s - it->entries.begin()) - 1};
}

std::uint8_t PieceTable::at(std::int64_t p) const
{
    const Cursor c = locate(p);
    const Chunk &k = m_chunks[c.chunk];
    const Slot &s = k.entries[c.slot];
    return *sourceSpan(s.piece, k.base + s.start, p - k.base - s.start,
                       p - k.base - s.start + 1, false)
                .data;
}

void PieceTable::read(std::int64_t p, std::int64_t n, std::uint8_t *out) const
{
    forEachSpan(p, p + n, [&](const Span &s) {
        std::memcpy(out + (s.offset - p), s.data, std::size_t(s.size));
        return true;
    });
}

PieceTable::Span PieceTable::spanAt(std::int64_t p) const
{
    if (p < 0 || p >= m_size)
        return Span{nullptr, 0, p};
    const Cursor c = locate(p);
    const Chunk &k = m_chunks[c.chunk];
    const Slot &s = k.entries[c.slot];
    return sourceSpan(s.piece, k.base + s.start, p - k.base - s.start, s.piece.length, false);
}

void PieceTable::checkRange(std::int64_t p, std::int64_t n, bool mayPassEnd) const
{
    if (n < 0 || p < 0 || p > m_size || (!mayPassEnd && n > m_size - p))
        throw std::out_of_range("PieceTable: offset outside the table");
}

void PieceTable::splice(std::int64_t a, std::int64_t b, const Piece *pieces, std::size_t count)
{
    if (a == b && count == 0)
        return;
    Rebuild r(*this, a, b);
    r.copyTo(a);
    for (std::size_t i = 0; i < count; ++i)
        r.add(pieces[i]);
    r.skipTo(b);
    r.prepare();
    r.commit();
}

// The n bytes are appended first and stand for [p, end); a failure takes them back.
void PieceTable::spliceAdded(std::int64_t p, std::int64_t end, const std::uint8_t *bytes,
                             std::int64_t n)
{
    const std::int64_t used = m_addedUsed;
    const Piece piece{appendAdded(bytes, n), n, Source::Added};
    try {
        splice(p, end, &piece, 1);
    } catch (...) {
        m_addedUsed = used;
        throw;
    }
}

void PieceTable::insert(std::int64_t p, const std::uint8_t *bytes, std::int64_t n)
{
    checkRange(p, n, true);
    if (n != 0)
        spliceAdded(p, p, bytes, n);
}

void PieceTable::overwrite(std::int64_t p, const std::uint8_t *bytes, std::int64_t n)
{
    checkRange(p, n, true);
    if (n != 0)
        spliceAdded(p, p + std::min(m_size - p, n), bytes, n);
}

void PieceTable::erase(std::int64_t p, std::int64_t n)
{
    checkRange(p, n, false);
    splice(p, p + n, nullptr, 0);
}

PieceTable::PieceList PieceTable::extract(std::int64_t p, std::int64_t n) const
{
    checkRange(p, n, false);
    PieceList list;
    list.m_owner = m_id;
    list.m_size = n;
    if (n == 0)
        return list;
    const std::int64_t e = p + n;
    for (Cursor c = locate(p);; ) {
        const Chunk &k = m_chunks[c.chunk];
        const Slot &s = k.entries[c.slot];
        const std::int64_t ps = k.base + s.start, pe = ps + s.piece.length;
        const std::int64_t lo = std::max(ps, p), hi = std::min(pe, e);
        list.m_pieces.push_back(sub(s.piece, lo - ps, hi - lo));
        if (pe >= e)
            break;
        if (++c.slot == k.entries.size()) {
            ++c.chunk;
            c.slot = 0;
        }
    }
    return list;
}

void PieceTable::replace(std::int64_t p, std::int64_t n, const PieceList &pieces)
{
    checkRange(p, n, false);
    if (!pieces.empty() && pieces.m_owner != m_id)
        throw std::invalid_argument("PieceTable: pieces of other sources");
    splice(p, p + n, pieces.m_pieces.data(), pieces.m_pieces.size());
}

void PieceTable::replaceRuns(const std::int64_t *at, std::int64_t count, std::int64_t spacing,
                             std::int64_t from, std::int64_t to, const std::uint8_t *bytes,
                             std::int64_t bytesStride)
{
    if (count < 0 || from < 0 || to < 0 || (to > 0 && !bytes))
        throw std::invalid_argument("PieceTable::replaceRuns");
    const auto runAt = [&](std::int64_t k, std::int64_t &s) {
        std::int64_t step;
        return !__builtin_mul_overflow(k, spacing, &step)
               && !__builtin_add_overflow(at ? at[k] : 0, step, &s);
    };
    std::int64_t reached = 0;
    for (std::int64_t k = 0; k < count; ++k) {
        std::int64_t s = 0;
        if (!runAt(k, s) || s < reached || s > m_size - from)
            throw std::invalid_argument("PieceTable::replaceRuns: runs out of order or outside");
        reached = s + from;
    }
    if (count == 0 || (from == 0 && to == 0))
        return;

    // New bytes first: if there is no room for them, nothing has changed yet.
    const std::int64_t used = m_addedUsed;
    std::int64_t shared = 0, each = 0;
    if (to > 0) {
        if (bytesStride == 0) {
            shared = appendAdded(bytes, to);
        } else {
            std::int64_t total;
            if (__builtin_mul_overflow(count, to, &total))
                throw std::bad_alloc();
            bytes = reserveKeeping(total, bytes);
            shared = m_addedUsed;
            each = to;
            if (bytesStride == to) {
                appendAdded(bytes, total);
            } else {
                for (std::int64_t k = 0; k < count; ++k)
                    appendAdded(bytes + k * bytesStride, to);
            }
        }
    }
    try {
        std::int64_t first = 0, last = 0;
        runAt(0, first);
        runAt(count - 1, last);
        Rebuild r(*this, first, last + from);
        for (std::int64_t k = 0; k < count; ++k) {
            std::int64_t s = 0;
            runAt(k, s);
            r.copyTo(s);
            if (to > 0)
                r.add(Piece{shared + k * each, to, Source::Added});
            r.skipTo(s + from);
        }
        r.prepare();
        r.commit();
    } catch (...) {
        m_addedUsed = used;
        throw;
    }
}

} // namespace vtm
