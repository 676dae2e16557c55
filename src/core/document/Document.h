#pragma once

#include "document/ByteStorage.h"
#include "document/InputFile.h"
#include "document/MarkMap.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>

namespace vtm {

// Raised when the document's storage cannot grow; the edit actions catch it.
class OutOfMemoryError : public std::runtime_error
{
public:
    OutOfMemoryError()
        : std::runtime_error("Out of memory")
    {}
};

// The edited bytes, held whole in memory in 64 KiB steps, and one marker colour per byte,
// held as runs.
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

    std::uint8_t *Buffer() const { return m_buffer.data(); }
    std::int64_t BufferSize() const { return m_size; }

    // Reading goes through spans: contiguous runs of the bytes, in order. Nothing outside
    // the document indexes its bytes across the whole of it.
    struct Span
    {
        const std::uint8_t *data;
        std::int64_t size;
        std::int64_t offset;
    };
    std::uint8_t ByteAt(std::int64_t p) const { return m_buffer.data()[p]; }
    // n bytes from p on (within the document) into out.
    void ReadBytes(std::int64_t p, std::int64_t n, std::uint8_t *out) const;
    // Calls f(Span) for the spans covering [a, b), in order, while f returns true; false
    // when f stopped the walk.
    template <class F>
    bool ForEachSpan(std::int64_t a, std::int64_t b, F f) const
    {
        a = std::max<std::int64_t>(a, 0);
        b = std::min(b, m_size);
        for (std::int64_t p = a; p < b;) {
            const std::int64_t n = std::min(b - p, m_maxSpan);
            if (!f(Span{m_buffer.data() + p, n, p}))
                return false;
            p += n;
        }
        return true;
    }
    // The same from b down to a.
    template <class F>
    bool ForEachSpanBackward(std::int64_t a, std::int64_t b, F f) const
    {
        a = std::max<std::int64_t>(a, 0);
        b = std::min(b, m_size);
        for (std::int64_t p = b; p > a;) {
            const std::int64_t n = std::min(p - a, m_maxSpan);
            p -= n;
            if (!f(Span{m_buffer.data() + p, n, p}))
                return false;
        }
        return true;
    }
    // Writes the whole contents to the file open as fd, from offset 0 on (see SafeFile).
    bool WriteTo(int fd) const;
    // Lets tests cut the spans short, so that every reader meets span boundaries.
    void setMaxSpanForTesting(std::int64_t n) { m_maxSpan = n > 0 ? n : INT64_MAX; }
    std::int64_t BufferCapacity() const { return m_buffer.size(); }

    // The marks, as runs: unmarked bytes cost nothing. They change only through the calls
    // below, which keep them within the document.
    const MarkMap &MarkRuns() const { return m_marks; }
    std::uint8_t MarkAt(std::int64_t p) const { return m_marks.at(p); }
    void SetMark(std::int64_t p, std::uint8_t colour);
    void SetMarks(std::int64_t p, const std::uint8_t *colours, std::int64_t n);
    void FillMarks(std::int64_t p, std::int64_t n, std::uint8_t colour);
    // Gives [p, p + n) the marks of src (offsets from 0), as undoing a deletion does.
    void PasteMarks(std::int64_t p, std::int64_t n, const MarkMap &src);
    // A bulk change of marks in one pass (see MarkMap::apply); old receives its undo.
    void ApplyMarks(const MarkMap &changes, MarkMap *old);
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

    // Make room for n bytes in the next 64 KiB step; n == 0 releases the storage.
    // Throw OutOfMemoryError when the storage cannot grow, leaving it as it was.
    void SetBufferCapacity(std::int64_t n);
    // The capacity for n bytes (strong guarantee); the length is unchanged.
    void reserveFor(std::int64_t n);

    // Enlarges first, then moves the tail from p on up by count: BufferSize grows by
    // count, the new marks are 0, the new bytes are left for the caller to fill.
    // Throws OutOfMemoryError (nothing changed) when the new size cannot be held.
    void openGap(std::int64_t p, std::int64_t count);
    // Removes count bytes from p on with their marks and shrinks the storage.
    void closeGap(std::int64_t p, std::int64_t count);
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
    // Puts count zero bytes with mark 0 in front of offset p (0 <= p <= BufferSize).
    void insertZeros(std::int64_t p, std::int64_t count);
    // Removes count bytes from offset p on, with their marks (clamped to the end).
    void remove(std::int64_t p, std::int64_t count);
    // A new, empty document: no storage, nothing changed.
    void clear();

    // Replaces the contents by a file's bytes. On any failure the document is left exactly
    // as it was and false is returned. Marks are cleared unless keepMarks is set, in which
    // case they stay offset by offset.
    bool loadFile(const std::string &path, bool keepMarks = false);
    bool loadBytes(const std::uint8_t *bytes, std::int64_t n, bool keepMarks = false);
    // The file the contents were last loaded from or saved to, as the editor saw it then;
    // unknown for contents of no file.
    const FileStamp &sourceStamp() const { return m_sourceStamp; }
    void setSourceStamp(const FileStamp &stamp) { m_sourceStamp = stamp; }

    // Lets tests make storage growth fail: the byte storage may hold at most this.
    void setStorageLimit(std::int64_t bytes) { m_storageLimit = bytes; }

private:
    bool fitsLimit(std::int64_t bytes) const { return bytes <= m_storageLimit; }
    // Marks move before the bytes: a run split needs a little memory, and without it
    // nothing may have changed.
    template <class F>
    void shiftMarks(F f)
    {
        try {
            f();
        } catch (const std::bad_alloc &) {
            throw OutOfMemoryError();
        }
    }
    bool adoptLoaded(ByteStorage &&buffer, std::int64_t n, bool keepMarks);
    void freshContents();
    MarkMap replacedMarks(const std::int64_t *at, std::int64_t count, std::int64_t spacing,
                          std::int64_t from, std::int64_t to,
                          const std::uint8_t *extraMarks) const;

    ByteStorage m_buffer{ByteStorage::Use::Bulk};
    MarkMap m_marks; // never past m_size
    std::int64_t m_size = 0;
    std::int64_t m_changeCount = 0;
    State m_state = 0, m_savedState = 0, m_lastState = 0;
    std::int64_t m_storageLimit = INT64_MAX;
    std::int64_t m_maxSpan = INT64_MAX;
    FileStamp m_sourceStamp;
};

} // namespace vtm
