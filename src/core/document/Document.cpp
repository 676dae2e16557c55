#include "document/Document.h"

#include "document/InputFile.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace vtm {

bool Document::fitsLimit(std::int64_t bufferBytes, std::int64_t marksBytes) const
{
    return bufferBytes + marksBytes <= m_storageLimit;
}

void Document::setCapacity(ByteStorage &storage, const ByteStorage &other, std::int64_t n)
{
    const std::int64_t step = StepFor(n);
    if (step == storage.size())
        return;
    if (step > storage.size() && !fitsLimit(step, other.size()))
        throw OutOfMemoryError();
    if (!storage.resize(step))
        throw OutOfMemoryError();
}

void Document::SetBufferCapacity(std::int64_t n)
{
    setCapacity(m_buffer, m_marks, n);
}

void Document::SetMarksCapacity(std::int64_t n)
{
    setCapacity(m_marks, m_buffer, n);
}

void Document::reserveFor(std::int64_t n)
{
    if (n < 0 || n > MaxBufferSize)
        throw OutOfMemoryError();
    const std::int64_t oldBuffer = m_buffer.size();
    SetBufferCapacity(n);
    try {
        SetMarksCapacity(n);
    } catch (const OutOfMemoryError &) {
        m_buffer.resize(oldBuffer); // back to where it was: no data lost either way
        throw;
    }
}

namespace {
std::int64_t CountMarked(const std::uint8_t *m, std::int64_t n)
{
    std::int64_t marked = 0;
    for (std::int64_t i = 0; i < n; ++i)
        marked += m[i] != 0;
    return marked;
}
} // namespace

std::int64_t Document::markedIn(std::int64_t p, std::int64_t n) const
{
    const std::int64_t end = std::min(p + n, m_marksEnd);
    return end > p ? CountMarked(m_marks.data() + p, end - p) : 0;
}

void Document::retreatMarkedEnd()
{
    if (m_markedCount == 0) { // the usual end of unmarking: no scan at all
        m_marksEnd = 0;
        return;
    }
    // Word by word over the unmarked tail: one pass, and only when the last mark went.
    const std::uint8_t *m = m_marks.data();
    std::int64_t e = m_marksEnd;
    while (e > 0 && (e & 7) != 0) {
        if (m[e - 1] != 0) {
            m_marksEnd = e;
            return;
        }
        --e;
    }
    for (; e >= 8; e -= 8) {
        std::uint64_t word;
        std::memcpy(&word, m + e - 8, 8);
        if (word != 0)
            break;
    }
    while (e > 0 && m[e - 1] == 0)
        --e;
    m_marksEnd = e;
}

void Document::SetMark(std::int64_t p, std::uint8_t colour)
{
    if (p < 0 || p >= m_size)
        return;
    std::uint8_t &mark = m_marks.data()[p];
    m_markedCount += (colour != 0) - (mark != 0);
    mark = colour;
    if (colour != 0 && p >= m_marksEnd)
        m_marksEnd = p + 1;
    else if (colour == 0 && p + 1 == m_marksEnd)
        retreatMarkedEnd();
}

void Document::SetMarks(std::int64_t p, const std::uint8_t *colours, std::int64_t n)
{
    if (p < 0 || n <= 0 || p >= m_size)
        return;
    n = std::min<std::int64_t>(n, m_size - p);
    m_markedCount += CountMarked(colours, n) - markedIn(p, n);
    std::memcpy(m_marks.data() + p, colours, std::size_t(n));
    if (p + n >= m_marksEnd) {
        m_marksEnd = p + n;
        retreatMarkedEnd();
    }
}

void Document::XorMarks(std::int64_t p, const std::uint8_t *bits, std::int64_t n)
{
    if (p < 0 || n <= 0 || p >= m_size)
        return;
    n = std::min<std::int64_t>(n, m_size - p);
    std::uint8_t *m = m_marks.data() + p;
    m_markedCount -= markedIn(p, n);
    for (std::int64_t i = 0; i < n; ++i)
        m[i] ^= bits[i];
    m_markedCount += CountMarked(m, n);
    if (p + n >= m_marksEnd) {
        m_marksEnd = p + n;
        retreatMarkedEnd();
    }
}

void Document::openGap(std::int64_t p, std::int64_t count)
{
    if (count <= 0 || p < 0 || p > m_size)
        return;
    if (count > MaxBufferSize - m_size) // no overflow on the way to the size check
        throw OutOfMemoryError();
    const std::int64_t newSize = m_size + count;
    reserveFor(newSize); // throws before anything has moved
    std::memmove(Buffer() + p + count, Buffer() + p, std::size_t(m_size - p));
    if (m_marksEnd > p) {
        std::uint8_t *m = m_marks.data();
        const std::int64_t marked = m_marksEnd - p;
        std::memmove(m + p + count, m + p, std::size_t(marked));
        std::memset(m + p, 0, std::size_t(std::min(marked, count)));
        m_marksEnd += count;
    }
    m_size = newSize;
}

void Document::closeGap(std::int64_t p, std::int64_t count)
{
    if (p < 0 || p >= m_size || count <= 0)
        return;
    count = std::min<std::int64_t>(count, m_size - p);
    const std::int64_t end = p + count;
    std::memmove(Buffer() + p, Buffer() + end, std::size_t(m_size - end));
    m_markedCount -= markedIn(p, count);
    if (m_marksEnd > p) {
        std::uint8_t *m = m_marks.data();
        if (m_marksEnd > end) {
            std::memmove(m + p, m + end, std::size_t(m_marksEnd - end));
            m_marksEnd -= count;
            std::memset(m + m_marksEnd, 0, std::size_t(count));
        } else {
            std::memset(m + p, 0, std::size_t(m_marksEnd - p));
            m_marksEnd = p;
        }
    }
    m_size -= count;
    // Shrinking cannot fail.
    SetBufferCapacity(m_size);
    SetMarksCapacity(m_size);
}

namespace {
// Moves one array's bytes into their places after replaceRuns in a single pass: front to
// back when runs shrink, back to front when they grow, so no byte moves twice.
// run(k, dest, src) writes run k's new bytes at dest; src is where its old bytes are now.
template <class Run>
void SpliceRuns(std::uint8_t *a, std::int64_t size, const std::int64_t *at, std::int64_t count,
                std::int64_t spacing, std::int64_t from, std::int64_t to, Run run)
{
    const auto pos = [&](std::int64_t k) { return at[k] + k * spacing; };
    if (to <= from) {
        std::int64_t r = 0, w = 0;
        for (std::int64_t k = 0; k < count; ++k) {
            const std::int64_t p = pos(k);
            if (w != r)
                std::memmove(a + w, a + r, std::size_t(p - r));
            w += p - r;
            run(k, a + w, a + p);
            w += to;
            r = p + from;
        }
        if (w != r)
            std::memmove(a + w, a + r, std::size_t(size - r));
        return;
    }
    std::int64_t r = size, w = size + count * (to - from);
    for (std::int64_t k = count; k-- > 0;) {
        const std::int64_t p = pos(k);
        const std::int64_t tail = r - (p + from);
        w -= tail;
        std::memmove(a + w, a + p + from, std::size_t(tail));
        w -= to;
        run(k, a + w, a + p);
        r = p;
    }
}
} // namespace

void Document::replaceRuns(const std::int64_t *at, std::int64_t count, std::int64_t spacing,
                           std::int64_t from, std::int64_t to, const std::uint8_t *bytes,
                           std::int64_t bytesStride, const std::uint8_t *extraMarks)
{
    if (count <= 0 || from < 0 || to < 0)
        return;
    for (std::int64_t k = 0; k < count; ++k) { // a caller's fault must not corrupt the bytes
        const std::int64_t p = at[k] + k * spacing;
        const std::int64_t next = k + 1 < count ? at[k + 1] + (k + 1) * spacing : m_size;
        if (p < 0 || p + from > next)
            throw std::invalid_argument("replaceRuns: runs out of order");
    }
    const std::int64_t delta = to - from;
    const std::int64_t oldSize = m_size;
    const std::int64_t newSize = oldSize + count * delta;
    reserveFor(std::max(oldSize, newSize)); // throws before anything has moved

    SpliceRuns(Buffer(), oldSize, at, count, spacing, from, to,
               [&](std::int64_t k, std::uint8_t *dest, const std::uint8_t *) {
                   if (to > 0)
                       std::memcpy(dest, bytes + k * bytesStride, std::size_t(to));
               });

    const std::int64_t added = delta > 0 && extraMarks ? CountMarked(extraMarks, count * delta) : 0;
    if (delta != 0 && (m_markedCount > 0 || added > 0)) {
        std::uint8_t *m = m_marks.data();
        std::int64_t dropped = 0;
        if (delta < 0)
            for (std::int64_t k = 0; k < count; ++k)
                dropped += markedIn(at[k] + k * spacing + to, -delta);
        SpliceRuns(m, oldSize, at, count, spacing, from, to,
                   [&](std::int64_t k, std::uint8_t *dest, const std::uint8_t *src) {
                       const std::int64_t keep = std::min(from, to);
                       if (keep > 0)
                           std::memmove(dest, src, std::size_t(keep));
                       if (delta > 0) {
                           if (extraMarks)
                               std::memcpy(dest + from, extraMarks + k * delta, std::size_t(delta));
                           else
                               std::memset(dest + from, 0, std::size_t(delta));
                       }
                   });
        if (newSize < oldSize)
            std::memset(m + newSize, 0, std::size_t(oldSize - newSize));
        m_markedCount += added - dropped;
        m_marksEnd = newSize;
        retreatMarkedEnd();
    }
    m_size = newSize;
    // Shrinking cannot fail.
    SetBufferCapacity(m_size);
    SetMarksCapacity(m_size);
}

void Document::insertZeros(std::int64_t p, std::int64_t count)
{
    if (count <= 0 || p < 0 || p > m_size)
        return;
    openGap(p, count);
    std::memset(Buffer() + p, 0, std::size_t(count));
}

void Document::remove(std::int64_t p, std::int64_t count)
{
    closeGap(p, count);
}

void Document::freshContents()
{
    m_changeCount = 0;
    m_state = m_savedState = NewContentState();
    m_sourceStamp = FileStamp();
}

void Document::clear()
{
    m_buffer.release();
    m_marks.release();
    m_size = 0;
    m_marksEnd = 0;
    m_markedCount = 0;
    freshContents();
}

bool Document::adoptLoaded(ByteStorage &&buffer, std::int64_t n, bool keepMarks)
{
    ByteStorage marks(ByteStorage::Use::Sparse);
    if (keepMarks) {
        if (!fitsLimit(buffer.size(), buffer.size()))
            return false;
        if (!m_marks.resize(buffer.size()))
            return false;
        // Marks past the new end must not survive in the storage kept.
        const std::int64_t stale = std::min(m_marksEnd, m_marks.size());
        if (stale > n)
            std::memset(m_marks.data() + n, 0, std::size_t(stale - n));
        marks = std::move(m_marks);
    } else if (!marks.resize(buffer.size())) { // fresh pages read as zero: no marks
        return false;
    }
    if (!keepMarks)
        m_marksEnd = 0;
    m_marksEnd = std::min(m_marksEnd, n);
    m_markedCount = CountMarked(marks.data(), m_marksEnd);
    m_buffer = std::move(buffer);
    m_marks = std::move(marks);
    m_size = n;
    freshContents();
    return true;
}

bool Document::loadBytes(const std::uint8_t *bytes, std::int64_t n, bool keepMarks)
{
    if (n < 0 || n > MaxBufferSize)
        return false;
    const std::int64_t step = StepFor(n);
    if (!fitsLimit(step, step)) // the new bytes and their marks
        return false;
    ByteStorage buffer(ByteStorage::Use::Bulk);
    if (!buffer.resize(step))
        return false;
    if (n > 0)
        std::memcpy(buffer.data(), bytes, std::size_t(n));
    return adoptLoaded(std::move(buffer), n, keepMarks);
}

bool Document::loadFile(const std::string &path, bool keepMarks)
{
    InputFile file(path);
    if (!file.isOpen() || file.sizeAtOpen() > MaxBufferSize)
        return false;
    // Room for the size seen at opening and one step more, so that reading to the end
    // needs no growth unless the file grows; it is read until its end all the same.
    // One step past the largest document tells a file that is too large.
    constexpr std::int64_t ceiling = MaxBufferSize + StorageStep;
    ByteStorage buffer(ByteStorage::Use::Bulk);
    std::int64_t room = std::min(StepFor(file.sizeAtOpen() + 1), ceiling);
    std::int64_t got = 0;
    for (;;) {
        if (got == buffer.size()) {
            if (got >= ceiling || !fitsLimit(room, room) || !buffer.resize(room))
                return false;
            room = std::min(StepFor(room + room / 2), ceiling);
        }
        const std::int64_t r = file.read(buffer.data() + got, buffer.size() - got);
        if (r < 0)
            return false;
        got += r;
        if (got < buffer.size())
            break;
    }
    if (got > MaxBufferSize || !buffer.resize(StepFor(got)))
        return false;
    // What the editor saw of the file; bytes it missed (appended after the end was read)
    // must show as a change when saving.
    FileStamp stamp = file.stamp();
    if (stamp.size != 0 && stamp.size != got)
        stamp.size = got;
    if (!adoptLoaded(std::move(buffer), got, keepMarks))
        return false;
    m_sourceStamp = stamp;
    return true;
}

} // namespace vtm
