#pragma once

#include "document/ByteStorage.h"
#include "document/InputFile.h"
#include "document/JobMeter.h"
#include "document/MarkMap.h"
#include "document/PieceTable.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace vtm {

// Raised when the document's storage cannot grow; the edit actions catch it.
class OutOfMemoryError : public std::runtime_error
{
public:
    OutOfMemoryError()
        : std::runtime_error("Out of memory")
    {}
};

// The edited bytes, as pieces over the loaded contents and the bytes the user added, and
// one marker colour per byte, held as runs.
class Document
{
public:
    static constexpr std::int64_t StorageStep = 65536;
    // The largest length a document may reach (1 TiB); memory usually runs out first.
    static constexpr std::int64_t MaxBufferSize = std::int64_t(1) << 40;

    static std::int64_t StepFor(std::int64_t n)
    {
        return (n + StorageStep - 1) / StorageStep * StorageStep;
    }

    std::int64_t BufferSize() const { return m_bytes.size(); }
    // Memory the bytes hold: the original contents and the buffer of added bytes.
    std::int64_t BufferCapacity() const { return m_bytes.memoryHeld(); }

    // Reading goes through spans: contiguous runs of the bytes, in order. Nothing outside
    // the document indexes its bytes across the whole of it.
    using Span = PieceTable::Span;
    std::uint8_t ByteAt(std::int64_t p) const { return m_bytes.at(p); }
    // n bytes from p on (within the document) into out.
    void ReadBytes(std::int64_t p, std::int64_t n, std::uint8_t *out) const
    {
        if (n > 0)
            m_bytes.read(p, n, out);
    }
    // Calls f(Span) for the spans covering [a, b), in order, while f returns true; false
    // when f stopped the walk.
    // While a long command runs, each span is counted on its meter once f is done with it
    // and wants more, which may throw JobStopped.
    template <class F> bool ForEachSpan(std::int64_t a, std::int64_t b, F f) const
    {
        return walk(a, b, false, false, f);
    }
    // The same from b down to a.
    template <class F> bool ForEachSpanBackward(std::int64_t a, std::int64_t b, F f) const
    {
        return walk(a, b, true, false, f);
    }
    // The same walks for callers that look for anything but zeros: a stretch known to read
    // as zeros without reading it (whole blocks in the holes of a sparse file read on
    // demand, inserted zeros) comes to f unread, as one span of any length whose data is
    // null (Span::zeros()); f tells from its offset and size alone what it needs, e.g. a
    // match that straddles one of its edges, by reading those bytes itself. It is counted on
    // the meter like any other span, so progress and Stop stay right; searching 64 GiB of
    // holes costs a few lookups.
    template <class F> bool ForEachSpanOrZeros(std::int64_t a, std::int64_t b, F f) const
    {
        return walk(a, b, false, true, f);
    }
    template <class F> bool ForEachSpanOrZerosBackward(std::int64_t a, std::int64_t b, F f) const
    {
        return walk(a, b, true, true, f);
    }
    // The long command running over the document, if any (see JobMeter).
    JobMeter *Meter() const { return m_meter; }
    void setMeter(JobMeter *meter) { m_meter = meter; }
    // Counts work done other than walking spans (marks, files); may throw JobStopped.
    void Progress(std::int64_t n) const
    {
        if (m_meter)
            m_meter->add(n);
    }
    // Writes the whole contents to the file open as fd, from offset 0 on (see SafeFile);
    // unchanged runs of a file read on demand are copied by the kernel. False with errno
    // set when writing failed; when reading the file under the document did, errno is EIO
    // and SourceFailed() tells. The bytes are counted on a running job's meter; stopped,
    // errno is ECANCELED.
    bool WriteTo(int fd) const;

    // The disk space the contents take when WriteTo writes them to a new file: the holes of
    // a sparse file under the document stay holes.
    std::int64_t SpaceToWrite() const;

    // The smaller of 1 GiB and a quarter of the memory: what one document may hold in memory.
    static std::int64_t MemoryShare();
    // Files larger than this are read on demand instead of whole: MemoryShare().
    static std::int64_t OnDemandThreshold();
    // Lets tests read small files on demand, through tiny blocks; threshold < 0 restores.
    static void SetReadingOnDemandForTesting(std::int64_t threshold, FileSource::Limits limits);
    // The contents rest on a file read on demand.
    bool ReadsOnDemand() const { return m_bytes.file() != nullptr; }

    // The contents are a block device's (a disk, a partition): its size is fixed, and it is
    // read-only until the user allows writing to it.
    bool IsDevice() const
    {
        return m_bytes.file() && m_bytes.file()->stamp().isDevice && !m_leftDevice;
    }
    // Saved as a file: the document is that file from now on, read from the device still.
    void leaveDevice() { m_leftDevice = true; }
    int SectorSize() const { return IsDevice() ? m_sectorSize : 0; }
    bool FixedSize() const { return IsDevice(); }
    bool ReadOnly() const { return IsDevice() && !m_writable; }
    bool WritingAllowed() const { return IsDevice() && m_writable; }
    void allowWriting(bool allowed) { m_writable = allowed; }
    // The largest device that opens (1 PiB): it never grows, so it may pass MaxBufferSize.
    static constexpr std::int64_t MaxDeviceSize = std::int64_t(1) << 50;

    // Saving a device writes in place only where the device differs from the document: the
    // stretches the document does not read from the same offset of the device, and those a
    // save overwrote since, widened to whole sectors and merged.
    struct ByteRange
    {
        std::int64_t begin = 0, end = 0;
    };
    std::vector<ByteRange> ChangedRanges() const;
    // The bytes a save into a device may keep for undoing (MemoryShare()): a save that
    // overwrites more keeps none, and the history must go.
    static std::int64_t KeepLimit();
    static void SetKeepLimitForTesting(std::int64_t bytes); // < 0 restores
    // Whether a save that overwrites `bytes` more keeps the old ones for undoing.
    bool KeepsOldBytesFor(std::int64_t bytes) const;
    struct InPlaceOutcome
    {
        bool written = false;
        bool undoLost = false; // old bytes were overwritten without being kept
        bool stopped = false;  // the user stopped it at failure.offset
        FileFailure failure;   // where and why it stopped
        std::int64_t rangesWritten = 0, rangesTotal = 0, bytesWritten = 0;
    };
    // Writes those ranges into the device open for writing as fd and syncs it. The bytes
    // the document read there are kept first (FileSource::keepBeforeOverwrite). Counted on
    // a running job's meter.
    InPlaceOutcome WriteChangedInPlace(int fd);
    // The file under the document has changed or could not be read: its bytes are no longer
    // shown or read (reads throw SourceReadError) until the document is loaded anew.
    bool SourceFailed() const { return m_bytes.file() && m_bytes.file()->failed(); }
    const SourceReadError *SourceFailure() const
    {
        return SourceFailed() ? &m_bytes.file()->failure() : nullptr;
    }
    // Checks the file under the document now; false when it has failed.
    bool CheckSource() { return !m_bytes.file() || m_bytes.file()->check(); }
    // Saving is about to (false) or has just (true) linked, renamed or unlinked the file read
    // on demand: checked before, its stamp is taken anew after.
    void SourceOwnStep(bool done);
    // Saving in place is about to overwrite the file the document reads on demand, whose
    // bytes were first copied to `copy`: reads go to the copy from then on. True when the
    // document does not read from the file with this device and inode, or the copy holds
    // the bytes the document reads; false when the save must stop.
    bool MoveSourceBeforeOverwrite(const std::string &copy, std::uint64_t device,
                                   std::uint64_t inode);
    // Lets tests use tiny chunks of pieces and short spans, so that edits meet chunk
    // boundaries all the time; the document becomes empty.
    void setPieceLimitsForTesting(int chunkPieces, std::int64_t maxSpan)
    {
        m_bytes = PieceTable(PieceTable::Limits{chunkPieces, maxSpan});
        m_marks.clear();
        freshContents();
    }

    // The marks, as runs or a colour per byte. They change only through the calls
    // below, which keep them within the document.
    const MarkMap &MarkRuns() const { return m_marks; }
    std::uint8_t MarkAt(std::int64_t p) const { return m_marks.at(p); }
    void SetMark(std::int64_t p, std::uint8_t colour);
    void SetMarks(std::int64_t p, const std::uint8_t *colours, std::int64_t n);
    void FillMarks(std::int64_t p, std::int64_t n, std::uint8_t colour);
    // Gives [p, p + n) the marks of src (offsets from 0), as undoing a deletion does.
    void PasteMarks(std::int64_t p, std::int64_t n, const MarkMap &src);
    // Every mark at or past this offset is 0.
    std::int64_t MarkedEnd() const { return m_marks.end(); }
    // How many bytes carry a mark.
    std::int64_t MarkedCount() const { return m_marks.count(); }

    std::int64_t ChangeCount() const { return m_changeCount; }
    void setChangeCount(std::int64_t n) { m_changeCount = n; }
    void addChange(std::int64_t delta) { m_changeCount += delta; }

    // Exact "modified": every change of the bytes gets a state number of its own, and
    // undoing it returns to the number before, so the saved contents are recognised
    // whichever way they are reached again.
    using State = std::uint64_t;
    State ContentState() const { return m_state; }
    void setContentState(State s) { m_state = s; }
    State NewContentState() { return ++m_lastState; }
    void markSaved() { m_savedState = m_state; }
    bool isModified() const { return m_state != m_savedState; }

    // Replaces, in one pass, the `from` bytes at each of `count` ascending, non-overlapping
    // offsets by `to` bytes; offset k is at[k] + k * spacing. Run k gets the bytes at
    // bytes + k * bytesStride. The marks of each run's first min(from, to) bytes stay; bytes
    // added to a run get the marks at extraMarks + k * (to - from), or 0 without them.
    // Throws OutOfMemoryError (nothing changed) when the new size cannot be held.
    void replaceRuns(const std::int64_t *at, std::int64_t count, std::int64_t spacing,
                     std::int64_t from, std::int64_t to, const std::uint8_t *bytes,
                     std::int64_t bytesStride, const std::uint8_t *extraMarks);
    // Overwrites n bytes from p on (within the document); marks stay.
    void WriteBytes(std::int64_t p, const std::uint8_t *bytes, std::int64_t n);
    // Puts n bytes with mark 0 in front of offset p; throws OutOfMemoryError (nothing
    // changed) when they cannot be held.
    void InsertBytes(std::int64_t p, const std::uint8_t *bytes, std::int64_t n);
    // The same with count bytes that repeat a pattern of length bytes.
    void InsertPattern(std::int64_t p, const std::uint8_t *pattern, std::int64_t length,
                       std::int64_t count);
    // Turns the `from` bytes at p into the `to` given bytes; the marks of the first
    // min(from, to) stay, added bytes are unmarked. Throws OutOfMemoryError (nothing changed).
    void ReplaceBytes(std::int64_t p, std::int64_t from, const std::uint8_t *bytes,
                      std::int64_t to);
    // The bytes of [p, p + n) as pieces, without copying them, to be put back later (until
    // the next load or clear).
    using Pieces = PieceTable::PieceList;
    Pieces Extract(std::int64_t p, std::int64_t n) const;
    // Replaces [p, p + n) by extracted pieces; marks as with ReplaceBytes. Throws
    // OutOfMemoryError (nothing changed).
    void ReplaceWithPieces(std::int64_t p, std::int64_t n, const Pieces &pieces);
    // Puts count zero bytes with mark 0 in front of offset p (0 <= p <= BufferSize).
    void insertZeros(std::int64_t p, std::int64_t count);
    // Removes count bytes from offset p on, with their marks (clamped to the end).
    void remove(std::int64_t p, std::int64_t count);
    // A new, empty document: no storage, nothing changed.
    void clear();

    // Replaces the contents by a file's bytes. On any failure the document is left exactly
    // as it was and false is returned. Marks are cleared unless keepMarks is set, in which
    // case they stay offset by offset. The bytes copied are counted on a running job's
    // meter; a stop throws JobStopped, the document again left as it was.
    // False, with *why when given, when the file cannot be read or is too large.
    bool loadFile(const std::string &path, bool keepMarks = false, FileFailure *why = nullptr);
    bool loadBytes(const std::uint8_t *bytes, std::int64_t n, bool keepMarks = false);
    // The file the contents were last loaded from or saved to, as the editor saw it then;
    // unknown for contents of no file.
    const FileStamp &sourceStamp() const { return m_sourceStamp; }
    void setSourceStamp(const FileStamp &stamp) { m_sourceStamp = stamp; }

    // Lets tests make storage growth fail: the original bytes and the added ones together
    // may come to at most this.
    void setStorageLimit(std::int64_t bytes) { m_storageLimit = bytes; }

private:
    // f, with each span it is done with counted on the meter. A walk that ends at a span
    // (a match found) counts nothing: a search per occurrence then costs the meter nothing,
    // and the next walk counts on.
    template <class F> auto counted(F &f) const
    {
        return [this, &f](const Span &s) {
            const bool more = f(s);
            if (more)
                m_meter->add(s.size);
            return more;
        };
    }
    // The one walk behind the four above.
    template <class F>
    bool walk(std::int64_t a, std::int64_t b, bool backward, bool zeros, F &f) const
    {
        const auto go = [&](auto &&g) {
            return backward ? m_bytes.forEachSpanBackward(a, b, g, zeros)
                            : m_bytes.forEachSpan(a, b, g, zeros);
        };
        return m_meter ? go(counted(f)) : go(f);
    }
    bool fitsLimit(std::int64_t bytes) const { return bytes <= m_storageLimit; }
    // Throws OutOfMemoryError when `added` more added bytes, or a size grown by `grown`,
    // would pass the limits.
    void checkGrowth(std::int64_t added, std::int64_t grown) const;
    // Runs an edit of the bytes; memory that runs out is OutOfMemoryError, nothing changed.
    template <class F> void edit(F f)
    {
        try {
            f();
        } catch (const std::bad_alloc &) {
            throw OutOfMemoryError();
        }
    }
    // Runs a change of the bytes that turns [p, p + from) into `to` bytes, then moves the
    // marks to match (the first min(from, to) keep theirs, added bytes are unmarked). When
    // memory runs out it is OutOfMemoryError with nothing changed: should the marks not be
    // able to follow, the old pieces go back.
    template <class F>
    void spliceBytes(std::int64_t p, std::int64_t from, std::int64_t to, F change)
    {
        Pieces old;
        edit([&] {
            old = m_bytes.extract(p, from);
            change();
        });
        try {
            if (to > from)
                m_marks.insertGap(p + from, to - from);
            else if (from > to)
                m_marks.erase(p + to, from - to);
        } catch (const std::bad_alloc &) {
            try {
                m_bytes.replace(p, to, old);
            } catch (...) {
                m_marks.truncate(p); // out of step past p: no stale colours shown
            }
            throw OutOfMemoryError();
        }
    }
    bool adoptLoaded(ByteStorage &&buffer, std::int64_t n, bool keepMarks);
    void freshContents();
    MarkMap replacedMarks(const std::int64_t *at, std::int64_t count, std::int64_t spacing,
                          std::int64_t from, std::int64_t to, const std::uint8_t *extraMarks) const;

    bool adoptOnDemand(InputFile &file, bool keepMarks, FileFailure *why);
    void adoptMarks(std::int64_t n, bool keepMarks);

    PieceTable m_bytes;
    MarkMap m_marks; // never past the end
    std::int64_t m_changeCount = 0;
    State m_state = 0, m_savedState = 0, m_lastState = 0;
    std::int64_t m_storageLimit = INT64_MAX;
    FileStamp m_sourceStamp;
    JobMeter *m_meter = nullptr;
    int m_sectorSize = 0;
    bool m_writable = false;
    bool m_leftDevice = false;
};

} // namespace vtm
