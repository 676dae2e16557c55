#include "document/Document.h"

#include "document/InputFile.h"
#include "document/SafeFile.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace vtm {

void Document::SetBufferCapacity(std::int64_t n)
{
    const std::int64_t step = StepFor(n);
    if (step == m_buffer.size())
        return;
    if (step > m_buffer.size() && !fitsLimit(step))
        throw OutOfMemoryError();
    if (!m_buffer.resize(step))
        throw OutOfMemoryError();
}

void Document::reserveFor(std::int64_t n)
{
    if (n < 0 || n > MaxBufferSize)
        throw OutOfMemoryError();
    SetBufferCapacity(n);
}

void Document::ReadBytes(std::int64_t p, std::int64_t n, std::uint8_t *out) const
{
    ForEachSpan(p, p + n, [&](const Span &s) {
        std::memcpy(out + (s.offset - p), s.data, std::size_t(s.size));
        return true;
    });
}

bool Document::WriteTo(int fd) const
{
    return ForEachSpan(0, m_size,
                       [&](const Span &s) { return WriteAllAt(fd, s.data, s.size, s.offset); });
}

void Document::WriteBytes(std::int64_t p, const std::uint8_t *bytes, std::int64_t n)
{
    if (p >= 0 && n > 0 && p + n <= m_size)
        std::memcpy(Buffer() + p, bytes, std::size_t(n));
}

void Document::InsertBytes(std::int64_t p, const std::uint8_t *bytes, std::int64_t n)
{
    if (n <= 0 || p < 0 || p > m_size)
        return;
    openGap(p, n);
    std::memcpy(Buffer() + p, bytes, std::size_t(n));
}

void Document::InsertPattern(std::int64_t p, const std::uint8_t *pattern, std::int64_t length,
                             std::int64_t count)
{
    if (count <= 0 || length <= 0 || p < 0 || p > m_size)
        return;
    openGap(p, count);
    // Lay the pattern down once, then keep doubling what is already filled.
    std::uint8_t *to = Buffer() + p;
    std::memcpy(to, pattern, std::size_t(std::min(length, count)));
    for (std::int64_t filled = std::min(length, count); filled < count;) {
        const std::int64_t n = std::min(filled, count - filled);
        std::memcpy(to + filled, to, std::size_t(n));
        filled += n;
    }
}

void Document::ReplaceBytes(std::int64_t p, std::int64_t from, const std::uint8_t *bytes,
                            std::int64_t to)
{
    // Enlarge first, then move the tail: a failure changes nothing.
    if (from < to)
        openGap(p + from, to - from);
    else if (to < from)
        closeGap(p + to, from - to);
    if (to > 0)
        std::memcpy(Buffer() + p, bytes, std::size_t(to));
}

void Document::SetMark(std::int64_t p, std::uint8_t colour)
{
    if (p >= 0 && p < m_size)
        m_marks.fill(p, 1, colour);
}

void Document::SetMarks(std::int64_t p, const std::uint8_t *colours, std::int64_t n)
{
    if (p < 0 || n <= 0 || p >= m_size)
        return;
    m_marks.assign(p, colours, std::min<std::int64_t>(n, m_size - p));
}

void Document::FillMarks(std::int64_t p, std::int64_t n, std::uint8_t colour)
{
    if (p < 0 || n <= 0 || p >= m_size)
        return;
    m_marks.fill(p, std::min<std::int64_t>(n, m_size - p), colour);
}

void Document::PasteMarks(std::int64_t p, std::int64_t n, const MarkMap &src)
{
    if (p < 0 || n <= 0 || p >= m_size)
        return;
    m_marks.paste(p, std::min<std::int64_t>(n, m_size - p), src);
}

void Document::ApplyMarks(const MarkMap &changes, MarkMap *old)
{
    m_marks.apply(changes, old);
    m_marks.truncate(m_size); // a change recorded for bytes that are gone
}

void Document::openGap(std::int64_t p, std::int64_t count)
{
    if (count <= 0 || p < 0 || p > m_size)
        return;
    if (count > MaxBufferSize - m_size) // no overflow on the way to the size check
        throw OutOfMemoryError();
    const std::int64_t newSize = m_size + count;
    reserveFor(newSize); // throws before anything has moved
    shiftMarks([&] { m_marks.insertGap(p, count); });
    std::memmove(Buffer() + p + count, Buffer() + p, std::size_t(m_size - p));
    m_size = newSize;
}

void Document::closeGap(std::int64_t p, std::int64_t count)
{
    if (p < 0 || p >= m_size || count <= 0)
        return;
    count = std::min<std::int64_t>(count, m_size - p);
    const std::int64_t end = p + count;
    shiftMarks([&] { m_marks.erase(p, count); });
    std::memmove(Buffer() + p, Buffer() + end, std::size_t(m_size - end));
    m_size -= count;
    SetBufferCapacity(m_size); // shrinking cannot fail
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
    // The new marks are built first as well, so that nothing has moved if that fails.
    const bool remark = delta != 0 && (!m_marks.empty() || (delta > 0 && extraMarks));
    MarkMap marks;
    try {
        if (remark)
            marks = replacedMarks(at, count, spacing, from, to, extraMarks);
    } catch (const std::bad_alloc &) {
        throw OutOfMemoryError();
    }

    SpliceRuns(Buffer(), oldSize, at, count, spacing, from, to,
               [&](std::int64_t k, std::uint8_t *dest, const std::uint8_t *) {
                   if (to > 0)
                       std::memcpy(dest, bytes + k * bytesStride, std::size_t(to));
               });

    if (remark)
        m_marks = std::move(marks);
    m_size = newSize;
    SetBufferCapacity(m_size); // shrinking cannot fail
}

// The marks after replaceRuns, rebuilt in one pass over the runs and the occurrences.
MarkMap Document::replacedMarks(const std::int64_t *at, std::int64_t count, std::int64_t spacing,
                                std::int64_t from, std::int64_t to,
                                const std::uint8_t *extraMarks) const
{
    const std::int64_t delta = to - from;
    const std::int64_t keep = std::min(from, to);
    MarkMap::Builder out;
    MarkMap::Cursor c = m_marks.begin();
    // The marks of old [a, e), moved by shift.
    const auto copy = [&](std::int64_t a, std::int64_t e, std::int64_t shift) {
        while (c.valid() && c.run().end <= a)
            c.next();
        for (MarkMap::Cursor d = c; d.valid(); d.next()) {
            const MarkRun r = d.run();
            if (r.start >= e)
                break;
            out.append(std::max(r.start, a) + shift, std::min(r.end, e) + shift, r.colour);
        }
    };
    std::int64_t done = 0;
    for (std::int64_t k = 0; k < count; ++k) {
        const std::int64_t p = std::int64_t(at[k]) + k * spacing;
        copy(done, p + keep, k * delta);
        if (delta > 0 && extraMarks)
            out.appendColours(p + from + k * delta, extraMarks + k * delta, delta);
        done = p + from;
    }
    copy(done, m_size, count * delta);
    return out.finish();
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
    m_marks.clear();
    m_size = 0;
    freshContents();
}

bool Document::adoptLoaded(ByteStorage &&buffer, std::int64_t n, bool keepMarks)
{
    if (keepMarks)
        m_marks.truncate(n); // marks past the new end must not survive
    else
        m_marks.clear();
    m_buffer = std::move(buffer);
    m_size = n;
    freshContents();
    return true;
}

bool Document::loadBytes(const std::uint8_t *bytes, std::int64_t n, bool keepMarks)
{
    if (n < 0 || n > MaxBufferSize)
        return false;
    const std::int64_t step = StepFor(n);
    if (!fitsLimit(step))
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
            if (got >= ceiling || !fitsLimit(room) || !buffer.resize(room))
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
