#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vtm {

// A run of equally marked bytes: [start, end), colour never 0.
struct MarkRun
{
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::uint8_t colour = 0;
    friend bool operator==(const MarkRun &, const MarkRun &) = default;
};

// The marks of a document, in chunks of two forms: runs where marks are sparse (unmarked
// bytes cost nothing to keep, scan, shift or clear) and a colour per byte where runs are
// short, so that no pattern costs more than about a byte per byte of the stretch it spans.
// Offsets inside a chunk count from its base, so an insertion or deletion rewrites one
// chunk and moves the bases of the rest. Chunks are shared, never changed while shared,
// between a map, its slices and the undo data made from them, so a snapshot of a region
// costs only its two edges.
class MarkMap
{
public:
    class Builder;
    struct Limits
    {
        std::size_t chunkRuns = 64;           // runs in a chunk of runs
        std::int64_t denseBytes = 64 * 1024; // bytes in a chunk of colours
    };
    // Tests use tiny chunks so that edits cross chunk and form boundaries all the time.
    static void setLimitsForTesting(Limits limits);

    // Walks the runs in ascending order: each the whole stretch of one colour, whatever the
    // chunks and forms below it.
    class Cursor
    {
    public:
        bool valid() const { return m_map && m_first.chunk < m_map->m_chunks.size(); }
        MarkRun run() const { return m_run; }
        void next();
        void previous(); // becomes invalid before the first run

    private:
        friend class MarkMap;
        struct Loc
        {
            std::size_t chunk = 0;
            std::int64_t index = 0; // a run's index, or a byte's offset in a chunk of colours
        };
        const MarkMap *m_map = nullptr;
        Loc m_first, m_last; // where the run begins and ends
        MarkRun m_run;
    };

    std::uint8_t at(std::int64_t p) const;
    // The colours of [p, p + n) into out.
    void read(std::int64_t p, std::int64_t n, std::uint8_t *out) const;
    // How many bytes of [p, p + n) carry a mark.
    std::int64_t countIn(std::int64_t p, std::int64_t n) const;
    // How many bytes of [p, p + n) carry this colour (not 0).
    std::int64_t countColour(std::int64_t p, std::int64_t n, std::uint8_t colour) const;

    // Gives [p, p + n) one colour (0 unmarks).
    void fill(std::int64_t p, std::int64_t n, std::uint8_t colour);
    // Gives [p, p + n) the colours of an array.
    void assign(std::int64_t p, const std::uint8_t *colours, std::int64_t n);
    // Marks at or past p move up by n; the n bytes opened are unmarked.
    void insertGap(std::int64_t p, std::int64_t n);
    // Removes [p, p + n); marks past it move down by n.
    void erase(std::int64_t p, std::int64_t n);
    // Gives [p, p + n) the marks of src's [0, n), sharing its chunks.
    void paste(std::int64_t p, std::int64_t n, const MarkMap &src);
    // The marks of [p, p + n), offsets counted from p, sharing this map's chunks.
    MarkMap slice(std::int64_t p, std::int64_t n) const;
    // The marks seen from the other end: offset x becomes size - 1 - x (all below size).
    MarkMap mirrored(std::int64_t size) const;
    // Drops every mark at or past p.
    void truncate(std::int64_t p);
    void clear();

    // Marked bytes.
    std::int64_t count() const { return m_count; }
    // One past the last marked byte; 0 when nothing is marked.
    std::int64_t end() const;
    bool empty() const { return m_chunks.empty(); }

    // The first run that ends after p (holds p or lies past it).
    Cursor firstEndingAfter(std::int64_t p) const;
    // The last run that starts at or before p.
    Cursor lastStartingAtOrBefore(std::int64_t p) const;
    Cursor begin() const { return firstEndingAfter(INT64_MIN); }
    // The whole run of one colour that holds p (the bytes around p that carry p's colour);
    // colour 0 and empty when p is not marked.
    MarkRun runAt(std::int64_t p) const
    {
        const Cursor c = firstEndingAfter(p);
        if (c.valid() && c.run().start <= p && c.run().colour != 0)
            return c.run();
        return MarkRun{p, p, 0};
    }

    // Calls f(MarkRun) for every run meeting [a, b), clipped to it.
    template <class F>
    void forEachRun(std::int64_t a, std::int64_t b, F f) const
    {
        for (Cursor c = firstEndingAfter(a); c.valid(); c.next()) {
            MarkRun r = c.run();
            if (r.start >= b)
                break;
            if (r.start < a)
                r.start = a;
            if (r.end > b)
                r.end = b;
            f(r);
        }
    }

    // Calls f(start, end, colour, colours) for the marks of [a, b) as they are held, in
    // ascending order: a run of one colour (colours null), or a stretch with a colour per
    // byte (colours[0] is start's, zeros between the marks). Unmarked bytes outside them.
    template <class F>
    void forEachPiece(std::int64_t a, std::int64_t b, F f) const
    {
        for (std::size_t i = chunkFor(a); i < m_chunks.size() && m_chunks[i].base < b; ++i)
            forEachPieceOf(m_chunks[i], a, b, f);
    }

    // Memory held, for the history's accounting (shared chunks counted in full).
    std::int64_t bytesHeld() const;
    // Bytes held a colour per byte (for tests and benchmarks).
    std::int64_t denseBytes() const;

    // Every run, in order (for tests and small maps).
    std::vector<MarkRun> runs() const;

private:
    struct Run
    {
        std::int64_t start; // relative to the chunk's base
        std::int64_t end : 56;
        std::uint8_t colour; // 16 bytes a run, with end
    };
    static_assert(sizeof(Run) == 16);
    struct Data
    {
        std::vector<Run> runs;           // a chunk of runs
        std::vector<std::uint8_t> bytes; // or of colours: one per byte of the chunk
    };
    // Spans its first to its last marked byte: a chunk of colours begins and ends marked.
    struct Chunk
    {
        std::int64_t base = 0;
        std::int64_t length = 0;
        std::int64_t count = 0; // marked bytes
        std::shared_ptr<Data> data;
        bool dense() const { return !data->bytes.empty(); }
        std::int64_t end() const { return base + length; }
    };
    using Loc = Cursor::Loc;

    static Limits s_limits;

    // The first chunk that ends after p.
    std::size_t chunkFor(std::int64_t p) const;
    static std::size_t firstRunEndingAfter(const Chunk &c, std::int64_t p);
    // forEachPiece within one chunk.
    template <class F>
    static void forEachPieceOf(const Chunk &c, std::int64_t a, std::int64_t b, F &f)
    {
        if (c.dense()) {
            const std::int64_t s = a > c.base ? a : c.base;
            const std::int64_t e = b < c.end() ? b : c.end();
            if (s < e)
                f(s, e, std::uint8_t(0), c.data->bytes.data() + (s - c.base));
            return;
        }
        const std::vector<Run> &runs = c.data->runs;
        for (std::size_t k = firstRunEndingAfter(c, a); k < runs.size(); ++k) {
            const std::int64_t s = c.base + runs[k].start, e = c.base + runs[k].end;
            if (s >= b)
                break;
            f(s > a ? s : a, e < b ? e : b, runs[k].colour,
              static_cast<const std::uint8_t *>(nullptr));
        }
    }
    // The run through loc, whole: across equal bytes and into touching chunks.
    Cursor settle(Loc loc) const;
    bool lastInChunk(Loc l) const;
    std::uint8_t colourAt(Loc l) const;
    Loc lastLoc(std::size_t chunk) const;
    // Replaces [a, b) by newLength bytes whose marks `fresh(builder)` appends from a on
    // (in ascending order, inside [a, a + newLength)); bytes past b move by the difference.
    // With `adds`, marks landing between two chunks join a neighbour of runs.
    template <class Fresh>
    void splice(std::int64_t a, std::int64_t b, std::int64_t newLength, bool adds, Fresh fresh);
    void evenOut();
    // fill inside one chunk of colours nobody else holds: in place.
    bool fillInPlace(std::int64_t p, std::int64_t n, std::uint8_t colour);
    static Data &own(Chunk &c);

    std::vector<Chunk> m_chunks;
    std::int64_t m_count = 0;
};

// Builds a map from marks given in ascending order (adjacent runs of a colour merge, colour 0
// is skipped), in one pass: short runs go into chunks of colours, long ones stay runs, and
// whole chunks of another map are taken over without a copy.
class MarkMap::Builder
{
public:
    Builder() = default;
    Builder(const Builder &) = delete;
    Builder &operator=(const Builder &) = delete;

    void append(std::int64_t start, std::int64_t end, std::uint8_t colour);
    void appendColours(std::int64_t start, const std::uint8_t *colours, std::int64_t n);
    // The marks of src's [from, to), moved by shift.
    // Whole chunks are shared unless `share` is false.
    void appendMap(const MarkMap &src, std::int64_t from, std::int64_t to, std::int64_t shift,
                   bool share = true);
    // The marks of src's [from, to), seen from the other end: x becomes size - 1 - x.
    void appendMirrored(const MarkMap &src, std::int64_t from, std::int64_t to,
                        std::int64_t size);
    // One past the last marked byte appended.
    std::int64_t end() const { return m_end; }
    // Marked bytes appended.
    std::int64_t count() const { return m_count + m_openCount; }
    MarkMap finish();

private:
    void open(std::int64_t base, bool dense);
    void toDense();
    void close();
    // `runs`: how many runs the colours hold.
    void appendDense(std::int64_t start, const std::uint8_t *colours, std::int64_t n,
                     std::int64_t runs);
    void adopt(const Chunk &c, std::int64_t shift);

    std::vector<Chunk> m_chunks;
    std::int64_t m_count = 0;
    // The chunk being built.
    bool m_open = false, m_dense = false;
    std::int64_t m_base = 0, m_openCount = 0;
    std::int64_t m_openRuns = 0; // in the chunk being built, about (for its form)
    std::vector<Run> m_runs;
    std::vector<std::uint8_t> m_bytes;
    std::int64_t m_end = INT64_MIN;
    std::uint8_t m_lastColour = 0;
};

} // namespace vtm
