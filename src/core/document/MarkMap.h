#pragma once

#include <cstddef>
#include <cstdint>
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

// The marks of a document as runs, so that unmarked bytes cost nothing to keep, scan,
// shift or clear. Runs are kept in chunks of a few dozen with offsets relative to the
// chunk, so an insertion or deletion moves one chunk's runs and the bases of the rest.
// Adjacent runs of one colour are always merged: a run's start is where a marked area of
// its colour begins.
class MarkMap
{
public:
    class Builder;

    // Walks runs in ascending order.
    class Cursor
    {
    public:
        bool valid() const;
        MarkRun run() const;
        void next();
        void previous(); // becomes invalid before the first run

    private:
        friend class MarkMap;
        const MarkMap *m_map = nullptr;
        std::size_t m_chunk = 0;
        std::size_t m_index = 0;
    };

    std::uint8_t at(std::int64_t p) const;
    // The colours of [p, p + n) into out.
    void read(std::int64_t p, std::int64_t n, std::uint8_t *out) const;
    // How many bytes of [p, p + n) carry a mark.
    std::int64_t countIn(std::int64_t p, std::int64_t n) const;

    // Gives [p, p + n) one colour (0 unmarks).
    void fill(std::int64_t p, std::int64_t n, std::uint8_t colour);
    // Gives [p, p + n) the colours of an array.
    void assign(std::int64_t p, const std::uint8_t *colours, std::int64_t n);
    // Marks at or past p move up by n; the n bytes opened are unmarked.
    void insertGap(std::int64_t p, std::int64_t n);
    // Removes [p, p + n); marks past it move down by n.
    void erase(std::int64_t p, std::int64_t n);
    // Gives [p, p + src's extent) the marks of src, whose offsets count from 0.
    void paste(std::int64_t p, std::int64_t n, const MarkMap &src);
    // The marks of [p, p + n), offsets counted from p.
    MarkMap slice(std::int64_t p, std::int64_t n) const;
    // Drops every mark at or past p.
    void truncate(std::int64_t p);
    void clear();

    // Marked bytes.
    std::int64_t count() const { return m_count; }
    // One past the last marked byte; 0 when nothing is marked.
    std::int64_t end() const;
    std::int64_t runCount() const { return m_runCount; }
    bool empty() const { return m_runCount == 0; }

    // The first run that ends after p (holds p or lies past it).
    Cursor firstEndingAfter(std::int64_t p) const;
    // The last run that starts at or before p.
    Cursor lastStartingAtOrBefore(std::int64_t p) const;
    Cursor begin() const { return firstEndingAfter(INT64_MIN); }

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

    // Bulk change in one pass over both maps. `changes` holds values with bit 7 set: where
    // it has a run, the byte gets (value & 0x7F); elsewhere the byte keeps its mark. When
    // `old` is given it receives the replaced marks in the same encoding, which undoes it.
    void apply(const MarkMap &changes, MarkMap *old);

    // Memory held, for the history's accounting.
    std::int64_t bytesHeld() const;

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
    struct Chunk
    {
        std::int64_t base = 0;
        std::vector<Run> runs;
        std::int64_t absEnd() const { return base + runs.back().end; }
    };

    static constexpr std::size_t ChunkRuns = 64;

    // Replaces [a, b) by newLength bytes marked as `fresh` says (offsets from a, ascending,
    // inside [0, newLength)); bytes past b move by newLength - (b - a).
    void splice(std::int64_t a, std::int64_t b, std::int64_t newLength,
                const std::vector<MarkRun> &fresh);
    // A run past every other one (start >= end()).
    void appendRun(std::int64_t start, std::int64_t end, std::uint8_t colour);
    std::size_t chunkFor(std::int64_t p) const;
    static void push(std::vector<MarkRun> &out, MarkRun r);
    static void rechunk(const std::vector<MarkRun> &runs, std::vector<Chunk> &out);

    std::vector<Chunk> m_chunks;
    std::int64_t m_count = 0;
    std::int64_t m_runCount = 0;
};

// Builds a map from runs given in ascending order (adjacent runs of a colour merge, colour 0
// is skipped), in one pass, chunk by chunk: the runs are written once.
class MarkMap::Builder
{
public:
    Builder() = default;
    Builder(const Builder &) = delete;
    Builder &operator=(const Builder &) = delete;

    void append(std::int64_t start, std::int64_t end, std::uint8_t colour);
    void appendColours(std::int64_t start, const std::uint8_t *colours, std::int64_t n);
    MarkMap finish();

private:
    MarkMap m_map;
};

} // namespace vtm
