#include "document/PieceTable.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

// Where the bytes of pieces live, and how a piece's bytes are read: the loaded bytes, the
// file read on demand, the append-only buffer of added bytes, fills and repeated patterns.
namespace vtm {

namespace {

// One block per fill value, made on first use and kept for the process: reads of a fill must
// not allocate, and a fill piece may outlive every table (in a PieceList).
std::atomic<const std::uint8_t *> g_fillBlocks[256];

const std::uint8_t *FillBlock(std::uint8_t value)
{
    return g_fillBlocks[value].load(std::memory_order_acquire);
}

void MakeFillBlock(std::uint8_t value)
{
    if (FillBlock(value))
        return;
    auto *block = new std::uint8_t[PieceTable::FillSpan];
    std::memset(block, value, PieceTable::FillSpan);
    const std::uint8_t *none = nullptr;
    if (!g_fillBlocks[value].compare_exchange_strong(none, block, std::memory_order_acq_rel))
        delete[] block;
}

} // namespace

PieceTable::Span PieceTable::sourceSpan(const Piece &piece, std::int64_t start, std::int64_t from,
                                        std::int64_t to, bool backward, bool zeros) const
{
    std::int64_t n = std::min(to - from, m_limits.maxSpan);
    const std::uint8_t *data = nullptr;
    switch (piece.source) {
    case Source::Original:
        data = m_original.data() + piece.offset;
        break;
    case Source::Added:
        data = m_added.data() + piece.offset;
        break;
    case Source::Fill:
        if (zeros && piece.offset == 0)
            return Span{nullptr, to - from, start + from};
        // Every position of a fill reads the same block.
        n = std::min(n, FillSpan);
        return Span{FillBlock(std::uint8_t(piece.offset)), n, start + (backward ? to - n : from)};
    case Source::Repeat: {
        // The written-out block holds every phase followed by at least RepeatBlock bytes.
        const std::int64_t blockStart = piece.offset / RepeatAlign * RepeatAlign;
        const std::int64_t length = repeatLength(piece);
        const std::int64_t expanded = RepeatExpanded(length);
        const std::uint8_t *block = m_added.data() + blockStart;
        if (backward) {
            const std::int64_t phase = (piece.offset - blockStart + to - 1) % length;
            // The last byte at the latest place of its phase in the block.
            const std::int64_t end = phase + 1 + (expanded - phase - 1) / length * length;
            n = std::min(n, end);
            return Span{block + end - n, n, start + to - n};
        }
        const std::int64_t phase = (piece.offset - blockStart + from) % length;
        n = std::min(n, expanded - phase);
        return Span{block + phase, n, start + from};
    }
    case Source::File: {
        if (zeros) {
            bool hole = false;
            const std::int64_t edge =
                backward ? m_file->zeroRun(piece.offset + to, piece.offset + from, true, &hole)
                         : m_file->zeroRun(piece.offset + from, piece.offset + to, false, &hole);
            if (hole) {
                const std::int64_t lo = backward ? edge - piece.offset : from;
                const std::int64_t hi = backward ? to : edge - piece.offset;
                return Span{nullptr, hi - lo, start + lo};
            }
        }
        // The cache hands out at most the rest of a block (or, backwards, its front part).
        std::int64_t blockStart = 0, blockEnd = 0;
        if (backward) {
            const std::int64_t last = piece.offset + to - 1;
            const std::uint8_t *at = m_file->blockAt(last, &blockStart, &blockEnd);
            n = std::min(n, last + 1 - blockStart);
            return Span{at - (n - 1), n, start + to - n};
        }
        const std::int64_t first = piece.offset + from;
        const std::uint8_t *at = m_file->blockAt(first, &blockStart, &blockEnd);
        n = std::min(n, blockEnd - first);
        return Span{at, n, start + from};
    }
    }
    const std::int64_t lo = backward ? to - n : from;
    return Span{data + lo, n, start + lo};
}

void PieceTable::reserveAdded(std::int64_t n)
{
    std::int64_t need;
    if (__builtin_add_overflow(m_addedUsed, n, &need))
        throw std::bad_alloc();
    if (need <= m_added.size())
        return;
    // Doubling keeps appends amortised O(1); untouched pages of the reserve cost nothing.
    std::int64_t grown = m_added.size() > std::numeric_limits<std::int64_t>::max() / 2
                             ? need
                             : std::max({need, 2 * m_added.size(), std::int64_t(64) << 10});
    if (!m_added.resize(grown) && !m_added.resize(need))
        throw std::bad_alloc();
}

const std::uint8_t *PieceTable::reserveKeeping(std::int64_t n, const std::uint8_t *bytes)
{
    // The bytes may come from this table's own added buffer, which growing may move.
    const auto from = reinterpret_cast<std::uintptr_t>(bytes);
    const auto own = reinterpret_cast<std::uintptr_t>(m_added.data());
    const bool inside = m_added.data() && from >= own && from < own + std::uintptr_t(m_addedUsed);
    reserveAdded(n);
    return inside ? m_added.data() + (from - own) : bytes;
}

std::int64_t PieceTable::appendAdded(const std::uint8_t *bytes, std::int64_t n)
{
    bytes = reserveKeeping(n, bytes);
    const std::int64_t at = m_addedUsed;
    std::memcpy(m_added.data() + at, bytes, std::size_t(n));
    m_addedUsed += n;
    return at;
}

PieceTable::Piece PieceTable::sub(const Piece &p, std::int64_t from, std::int64_t length) const
{
    Piece r = p;
    if (p.source == Source::Repeat) {
        const std::int64_t start = p.offset / RepeatAlign * RepeatAlign;
        r.offset = start + (p.offset - start + from) % repeatLength(p);
    } else if (p.source != Source::Fill) {
        r.offset += from;
    }
    r.length = length;
    return r;
}

std::int64_t PieceTable::repeatLength(const Piece &p) const
{
    std::int64_t length;
    std::memcpy(&length, m_added.data() + p.offset / RepeatAlign * RepeatAlign - 8, 8);
    return length;
}

void PieceTable::insertRepeat(std::int64_t p, const std::uint8_t *pattern, std::int64_t length,
                              std::int64_t n)
{
    checkRange(p, n, true);
    if (length < 2 || length > MaxRepeatPattern)
        throw std::invalid_argument("PieceTable::insertRepeat");
    if (n == 0)
        return;
    // Header and block go behind the bytes added so far, the block aligned.
    const std::int64_t expanded = RepeatExpanded(length);
    const std::int64_t pad = (RepeatAlign - (m_addedUsed + 8) % RepeatAlign) % RepeatAlign;
    pattern = reserveKeeping(pad + 8 + expanded, pattern);
    const std::int64_t used = m_addedUsed;
    std::uint8_t *at = m_added.data() + m_addedUsed + pad;
    std::memcpy(at, &length, 8);
    for (std::int64_t k = 0; k < expanded; k += length)
        std::memcpy(at + 8 + k, pattern, std::size_t(length));
    const std::int64_t start = m_addedUsed + pad + 8;
    m_addedUsed += pad + 8 + expanded;
    const Piece piece{start, n, Source::Repeat};
    try {
        splice(p, p, &piece, 1);
    } catch (...) {
        m_addedUsed = used;
        throw;
    }
}

void PieceTable::insertFill(std::int64_t p, std::uint8_t value, std::int64_t n)
{
    checkRange(p, n, true);
    if (n == 0)
        return;
    MakeFillBlock(value);
    const Piece piece{value, n, Source::Fill};
    splice(p, p, &piece, 1);
}

std::int64_t PieceTable::fileBytes() const
{
    std::int64_t n = 0;
    if (m_file)
        for (const Chunk &k : m_chunks)
            for (const Slot &s : k.entries)
                if (s.piece.source == Source::File)
                    n += s.piece.length;
    return n;
}

} // namespace vtm
