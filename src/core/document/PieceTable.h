#pragma once

#include "document/ByteStorage.h"
#include "document/FileSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vtm {

// The bytes of a document as a list of pieces, each a run of an immutable source: the
// original file's bytes, an append-only buffer of every byte the user added, or a fill of
// one value that takes no memory at all. An edit splits and replaces pieces; nothing already
// referenced ever changes, so the pieces an edit removes can be kept for undo without
// copying bytes.
//
// Pieces are kept in chunks of a few dozen with offsets relative to the chunk's base (as the
// marks are): finding an offset is a binary search over chunks and then within one, and an
// edit rebuilds the chunks it touches and moves the bases of the later ones.
//
// Offsets passed in must lie inside the table (edits may touch its end); bad ones make
// the editing calls throw std::out_of_range before anything changes. When memory runs out
// an edit throws std::bad_alloc and the table is exactly as it was.
class PieceTable
{
    // Where a piece's bytes live: the loaded bytes, the added buffer, a fill, the file read
    // on demand (for which `offset` is the file offset), or a short pattern repeated: the
    // pattern lies in the added buffer written out to a block of RepeatBlock bytes or more,
    // which starts at a multiple of RepeatAlign behind an 8-byte header holding the pattern's
    // length, and `offset` is that start plus the phase of the piece's first byte.
    enum class Source : std::uint8_t { Original, Added, Fill, File, Repeat };

    // A run of a source. For a fill, `offset` holds the byte value.
    struct Piece
    {
        std::int64_t offset;
        std::int64_t length : 56;
        Source source;
    };
    static_assert(sizeof(Piece) == 16);

public:
    // Both limits exist for production too; tests make them tiny so boundaries are hit often.
    struct Limits
    {
        // Pieces per chunk: an edit costs this many piece moves plus one base per chunk.
        int chunkPieces = 64;
        // Longest span handed out, so that long scans come back often enough to report
        // progress or stop; callers must cope with any span length anyway (a fill's spans
        // are at most FillSpan, and a file read on demand will yield its cache blocks).
        std::int64_t maxSpan = std::int64_t(1) << 20;
    };

    // Longest span of a fill piece: fills are read from one shared block per value.
    static constexpr std::int64_t FillSpan = 64 * 1024;
    // Patterns up to this length repeat without taking memory for every repetition.
    static constexpr std::int64_t MaxRepeatPattern = 4096;
    static constexpr std::int64_t RepeatAlign = 8192;
    static constexpr std::int64_t RepeatBlock = 64 * 1024;

    // Contiguous bytes at document offset `offset`. Valid until the next edit (the added
    // buffer may move when it grows). The walks that pass over zeros hand out a stretch
    // known to read as zeros as a span without data: `size` zeros that were not read.
    struct Span
    {
        const std::uint8_t *data = nullptr;
        std::int64_t size = 0;
        std::int64_t offset = 0;
        bool zeros() const { return data == nullptr; }
    };

    // Pieces taken out of a table, to be put back by insertPieces or replace: the bytes are
    // not copied. Valid for the table they came from until its next adopt() or clear().
    class PieceList
    {
    public:
        std::int64_t size() const { return m_size; }
        bool empty() const { return m_pieces.empty(); }
        // Memory held, for the history's accounting.
        std::int64_t bytesHeld() const
        {
            return std::int64_t(m_pieces.capacity() * sizeof(Piece));
        }

    private:
        friend class PieceTable;
        std::vector<Piece> m_pieces;
        std::int64_t m_size = 0;
        std::uint64_t m_owner = 0;
    };

    PieceTable();
    explicit PieceTable(Limits limits);
    // The moved-from table is empty.
    PieceTable(PieceTable &&other) noexcept;
    PieceTable &operator=(PieceTable &&other) noexcept;
    PieceTable(const PieceTable &) = delete;
    PieceTable &operator=(const PieceTable &) = delete;

    std::int64_t size() const { return m_size; }
    std::int64_t pieceCount() const { return m_pieceCount; }
    // Bytes appended for insertions and overtyping so far (kept until adopt or clear).
    std::int64_t addedBytes() const { return m_addedUsed; }
    // Memory the sources hold: the original bytes and the added buffer's capacity (a file
    // read on demand holds only its small cache, not counted here).
    std::int64_t memoryHeld() const { return m_original.size() + m_added.size(); }
    std::int64_t originalCapacity() const { return m_original.size(); }

    // The contents become the first n bytes of `original` (0 <= n <= original.size()).
    // Earlier PieceLists become invalid.
    void adopt(ByteStorage &&original, std::int64_t n);
    // The contents become the whole file, read on demand from now on. Earlier PieceLists
    // become invalid.
    void adoptFile(std::unique_ptr<FileSource> file);
    // The file read on demand, if any. Reads of its pieces throw SourceReadError once it
    // has failed.
    FileSource *file() const { return m_file.get(); }
    // Empty, every source released. Earlier PieceLists become invalid.
    void clear();

    std::uint8_t at(std::int64_t p) const;
    // [p, p + n) into out.
    void read(std::int64_t p, std::int64_t n, std::uint8_t *out) const;
    // The contiguous bytes from p on, up to the end of p's piece at most; empty at the end.
    Span spanAt(std::int64_t p) const;

    // Calls f(Span) for the spans covering [a, b) (clipped to the table) in ascending order,
    // until f returns false. Returns whether every span was visited. With `zeros`, stretches
    // known to read as zeros without reading them (whole blocks in holes of the file read on
    // demand, fills of 0) come as spans without data, however long.
    template <class F>
    bool forEachSpan(std::int64_t a, std::int64_t b, F f, bool zeros = false) const
    {
        a = a < 0 ? 0 : a;
        b = b > m_size ? m_size : b;
        if (a >= b)
            return true;
        Cursor c = locate(a);
        std::int64_t p = a;
        while (p < b) {
            const Chunk &k = m_chunks[c.chunk];
            const Slot &s = k.entries[c.slot];
            const std::int64_t start = k.base + s.start;
            const std::int64_t stop = b < start + s.piece.length ? b : start + s.piece.length;
            while (p < stop) {
                const Span span = sourceSpan(s.piece, start, p - start, stop - start, false, zeros);
                if (!f(span))
                    return false;
                p += span.size;
            }
            if (++c.slot == k.entries.size()) {
                ++c.chunk;
                c.slot = 0;
            }
        }
        return true;
    }

    // The same, from b down to a: the last span first.
    template <class F>
    bool forEachSpanBackward(std::int64_t a, std::int64_t b, F f, bool zeros = false) const
    {
        a = a < 0 ? 0 : a;
        b = b > m_size ? m_size : b;
        if (a >= b)
            return true;
        Cursor c = locate(b - 1);
        std::int64_t p = b;
        while (p > a) {
            const Chunk &k = m_chunks[c.chunk];
            const Slot &s = k.entries[c.slot];
            const std::int64_t start = k.base + s.start;
            const std::int64_t stop = a > start ? a : start;
            while (p > stop) {
                const Span span = sourceSpan(s.piece, start, stop - start, p - start, true, zeros);
                if (!f(span))
                    return false;
                p = span.offset;
            }
            if (c.slot > 0) {
                --c.slot;
            } else if (c.chunk > 0) {
                --c.chunk;
                c.slot = m_chunks[c.chunk].entries.size() - 1;
            }
        }
        return true;
    }

    // How many bytes lie in pieces of the file read on demand.
    std::int64_t fileBytes() const;

    // For saving: calls fileRun(fileOffset, length, offset) for each run of the file read on
    // demand and span(Span) for the other bytes, in order, until one returns false. Returns
    // whether every run was visited.
    template <class F, class G>
    bool forEachRun(F fileRun, G span) const
    {
        for (const Chunk &k : m_chunks) {
            for (const Slot &s : k.entries) {
                const std::int64_t start = k.base + s.start;
                if (s.piece.source == Source::File) {
                    if (!fileRun(s.piece.offset, std::int64_t(s.piece.length), start))
                        return false;
                    continue;
                }
                for (std::int64_t r = 0; r < s.piece.length;) {
                    const Span sp = sourceSpan(s.piece, start, r, s.piece.length, false);
                    if (!span(sp))
                        return false;
                    r += sp.size;
                }
            }
        }
        return true;
    }

    // Room for n more added bytes, so that a long insertion made in parts grows the buffer
    // once; throws std::bad_alloc.
    void reserve(std::int64_t n) { reserveAdded(n); }

    // Editing. Inserted and overtyped bytes are appended to the added buffer first.
    void insert(std::int64_t p, const std::uint8_t *bytes, std::int64_t n);
    // n bytes of one value, held as a fill piece: no memory however long.
    void insertFill(std::int64_t p, std::uint8_t value, std::int64_t n);
    // n bytes repeating a pattern of `length` bytes (2 <= length <= MaxRepeatPattern): the
    // memory taken is about RepeatBlock, however long.
    void insertRepeat(std::int64_t p, const std::uint8_t *pattern, std::int64_t length,
                      std::int64_t n);
    // Overtypes [p, p + n); bytes past the end extend the table.
    void overwrite(std::int64_t p, const std::uint8_t *bytes, std::int64_t n);
    void erase(std::int64_t p, std::int64_t n);

    // The pieces of [p, p + n), for undo.
    PieceList extract(std::int64_t p, std::int64_t n) const;
    // Puts the bytes of `pieces` back at p.
    void insertPieces(std::int64_t p, const PieceList &pieces) { replace(p, 0, pieces); }
    // Replaces [p, p + n) by the bytes of `pieces` (undoes an overtyping). Pieces of another
    // table, or from before an adopt() or clear(), throw std::invalid_argument.
    void replace(std::int64_t p, std::int64_t n, const PieceList &pieces);

    // Replaces, in one pass over the pieces, the `from` bytes at each of `count` offsets by
    // `to` bytes. Offset k is at[k] + k * spacing (at may be null: 0), counted in the table as
    // it is before the call; offsets ascend and runs do not overlap, or std::invalid_argument
    // is thrown and nothing changes. Run k's new bytes are at bytes + k * bytesStride; with
    // stride 0 every run gets the same bytes, added to the buffer once.
    void replaceRuns(const std::int64_t *at, std::int64_t count, std::int64_t spacing,
                     std::int64_t from, std::int64_t to, const std::uint8_t *bytes,
                     std::int64_t bytesStride);

private:
    struct Slot
    {
        std::int64_t start; // relative to the chunk's base
        Piece piece;
    };
    struct Chunk
    {
        std::int64_t base = 0;
        std::vector<Slot> entries;
        std::int64_t end() const { return base + entries.back().start + entries.back().piece.length; }
    };
    struct Cursor
    {
        std::size_t chunk = 0;
        std::size_t slot = 0;
    };
    class Rebuild;
    // A piece with its first `from` bytes dropped and `length` long.
    Piece sub(const Piece &p, std::int64_t from, std::int64_t length) const;
    // The pattern length of a repeat piece, and the bytes its written-out block holds.
    std::int64_t repeatLength(const Piece &p) const;
    static std::int64_t RepeatExpanded(std::int64_t length)
    {
        return ((RepeatBlock + length - 1) / length + 1) * length;
    }

    // One piece of `source` over [0, n), nothing added, the history's pieces invalid; the
    // caller puts the source in place.
    void startWith(Source source, std::int64_t n);
    // The slot holding p (0 <= p < size()).
    Cursor locate(std::int64_t p) const;
    // Every read goes through here: the contiguous bytes of `piece` starting at `from`
    // (forward) or ending at `to` (backward), inside [from, to) and at most maxSpan long.
    // `start` is the piece's offset in the table. With `zeros`, a stretch known to read as
    // zeros comes unread and as long as it is (see forEachSpan).
    Span sourceSpan(const Piece &piece, std::int64_t start, std::int64_t from, std::int64_t to,
                    bool backward, bool zeros = false) const;

    // Room for n more added bytes; throws std::bad_alloc.
    void reserveAdded(std::int64_t n);
    // The same, for bytes that may lie in the added buffer: returns where they are after.
    const std::uint8_t *reserveKeeping(std::int64_t n, const std::uint8_t *bytes);
    // Appends n bytes (room reserved or not) and returns where they start.
    std::int64_t appendAdded(const std::uint8_t *bytes, std::int64_t n);
    // Appends n bytes and puts them in place of [p, end).
    void spliceAdded(std::int64_t p, std::int64_t end, const std::uint8_t *bytes, std::int64_t n);
    // Replaces [a, b) by the given pieces.
    void splice(std::int64_t a, std::int64_t b, const Piece *pieces, std::size_t count);
    void checkRange(std::int64_t p, std::int64_t n, bool mayPassEnd) const;

    Limits m_limits;
    ByteStorage m_original;
    std::unique_ptr<FileSource> m_file;
    ByteStorage m_added;
    std::int64_t m_addedUsed = 0;
    std::vector<Chunk> m_chunks;
    std::int64_t m_size = 0;
    std::int64_t m_pieceCount = 0;
    std::uint64_t m_id = 0; // which PieceLists belong to the current sources
};

} // namespace vtm
