#include "document/Document.h"

#include "document/InputFile.h"
#include "document/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vtm {

void Document::checkGrowth(std::int64_t added, std::int64_t grown) const
{
    if (added < 0 || grown > MaxBufferSize - m_bytes.size()
        || (added > 0
            && added > m_storageLimit - m_bytes.originalCapacity() - m_bytes.addedBytes()))
        throw OutOfMemoryError();
}

namespace {
// Long copies go in slices of this much, each counted on the running job's meter, so that
// a stop takes effect at once.
constexpr std::int64_t JobSlice = std::int64_t(1) << 20;
} // namespace

bool Document::WriteTo(int fd) const
{
    // An empty new file reads as zeros wherever nothing is written, so the holes of a sparse
    // file under the document stay holes; its length is set at the end.
    struct stat st;
    const bool fresh = ::fstat(fd, &st) == 0 && st.st_size == 0;
    try {
        return m_bytes.forEachRun(
                   [&](std::int64_t from, std::int64_t n, std::int64_t at) {
                       for (std::int64_t done = 0; done < n;) {
                           const std::int64_t k = std::min(JobSlice, n - done);
                           if (!m_bytes.file()->copyTo(fd, from + done, k, at + done, fresh))
                               return false;
                           done += k;
                           Progress(k);
                       }
                       return true;
                   },
                   [&](const Span &s) {
                       if (!WriteAllAt(fd, s.data, s.size, s.offset))
                           return false;
                       Progress(s.size);
                       return true;
                   })
               && (!fresh || ::ftruncate(fd, off_t(BufferSize())) == 0);
    } catch (const SourceReadError &) {
        errno = EIO;
        return false;
    } catch (const JobStopped &) {
        // The writer's caller puts the file back as it was; no error to report.
        errno = ECANCELED;
        return false;
    }
}

std::int64_t Document::SpaceToWrite() const
{
    const FileSource *file = m_bytes.file();
    if (!file)
        return BufferSize();
    const std::int64_t fromFile = m_bytes.fileBytes();
    return BufferSize() - fromFile + std::min(fromFile, file->allocatedBytes());
}

namespace {
std::int64_t g_onDemandThreshold = -1;
FileSource::Limits g_fileLimits;
} // namespace

std::int64_t Document::MemoryShare()
{
    std::int64_t share = std::int64_t(1) << 30;
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        share = std::min(share, std::int64_t(pages) / 4 * pageSize);
    return share;
}

std::int64_t Document::OnDemandThreshold()
{
    return g_onDemandThreshold >= 0 ? g_onDemandThreshold : MemoryShare();
}

void Document::SetReadingOnDemandForTesting(std::int64_t threshold, FileSource::Limits limits)
{
    g_onDemandThreshold = threshold;
    g_fileLimits = threshold < 0 ? FileSource::Limits{} : limits;
}

bool Document::MoveSourceBeforeOverwrite(const std::string &copy, std::uint64_t device,
                                         std::uint64_t inode)
{
    FileSource *file = m_bytes.file();
    if (!file || file->stamp().device != device || file->stamp().inode != inode)
        return true;
    // The copy holds the document's bytes only if the file was still as it was opened.
    if (!file->check())
        return false;
    return file->moveTo(::open(copy.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
}

void Document::SourceOwnStep(bool done)
{
    if (FileSource *file = m_bytes.file())
        done ? file->restamp() : file->check();
}

void Document::WriteBytes(std::int64_t p, const std::uint8_t *bytes, std::int64_t n)
{
    if (p < 0 || n <= 0 || p + n > BufferSize())
        return;
    checkGrowth(n, 0);
    edit([&] { m_bytes.overwrite(p, bytes, n); });
}

void Document::InsertBytes(std::int64_t p, const std::uint8_t *bytes, std::int64_t n)
{
    if (n <= 0 || p < 0 || p > BufferSize())
        return;
    checkGrowth(n, n);
    spliceBytes(p, 0, n, [&] { m_bytes.insert(p, bytes, n); });
}

void Document::InsertPattern(std::int64_t p, const std::uint8_t *pattern, std::int64_t length,
                             std::int64_t count)
{
    if (count <= 0 || length <= 0 || p < 0 || p > BufferSize())
        return;
    length = std::min(length, count);
    if (length == count) { // nothing repeats: the bytes as they are, copied once
        InsertBytes(p, pattern, count);
        return;
    }
    if (length == 1) { // one value repeated takes no memory
        checkGrowth(0, count);
        spliceBytes(p, 0, count, [&] { m_bytes.insertFill(p, pattern[0], count); });
        return;
    }
    // A long run of a short pattern is one written-out block, however long the run.
    const std::int64_t repeatCost =
        PieceTable::RepeatBlock + 2 * length + PieceTable::RepeatAlign + 8;
    if (length <= PieceTable::MaxRepeatPattern && count > repeatCost) {
        checkGrowth(repeatCost, count);
        spliceBytes(p, 0, count, [&] { m_bytes.insertRepeat(p, pattern, length, count); });
        return;
    }
    checkGrowth(count, count);
    spliceBytes(p, 0, count, [&] {
        // Whole repeats a block at a time; the added bytes follow each other, so the
        // blocks join into one piece.
        const std::int64_t each =
            std::min(count, (std::int64_t(1) << 20) / length * length + length);
        std::vector<std::uint8_t> block(static_cast<std::size_t>(each));
        for (std::int64_t k = 0; k < each; k += length) // whole patterns, not byte by byte
            std::memcpy(block.data() + k, pattern, std::size_t(std::min(length, each - k)));
        m_bytes.reserve(count);
        for (std::int64_t done = 0; done < count;) {
            const std::int64_t n = std::min(each, count - done);
            try {
                m_bytes.insert(p + done, block.data(), n);
            } catch (const std::bad_alloc &) {
                if (done > 0)
                    m_bytes.erase(p, done);
                throw;
            }
            done += n;
        }
    });
}

void Document::ReplaceBytes(std::int64_t p, std::int64_t from, const std::uint8_t *bytes,
                            std::int64_t to)
{
    if (p < 0 || from < 0 || to < 0 || p + from > BufferSize())
        return;
    checkGrowth(to, to - from);
    const std::int64_t at = p;
    spliceBytes(p, from, to, [&] { m_bytes.replaceRuns(&at, 1, 0, from, to, bytes, 0); });
}

Document::Pieces Document::Extract(std::int64_t p, std::int64_t n) const
{
    return m_bytes.extract(p, n);
}

void Document::ReplaceWithPieces(std::int64_t p, std::int64_t n, const Pieces &pieces)
{
    checkGrowth(0, pieces.size() - n);
    try {
        spliceBytes(p, n, pieces.size(), [&] { m_bytes.replace(p, n, pieces); });
    } catch (const std::invalid_argument &) { // pieces of contents since replaced
        throw OutOfMemoryError();
    }
}

void Document::SetMark(std::int64_t p, std::uint8_t colour)
{
    if (p >= 0 && p < BufferSize())
        m_marks.fill(p, 1, colour);
}

void Document::SetMarks(std::int64_t p, const std::uint8_t *colours, std::int64_t n)
{
    if (p < 0 || n <= 0 || p >= BufferSize())
        return;
    m_marks.assign(p, colours, std::min<std::int64_t>(n, BufferSize() - p));
}

void Document::FillMarks(std::int64_t p, std::int64_t n, std::uint8_t colour)
{
    if (p < 0 || n <= 0 || p >= BufferSize())
        return;
    m_marks.fill(p, std::min<std::int64_t>(n, BufferSize() - p), colour);
}

void Document::PasteMarks(std::int64_t p, std::int64_t n, const MarkMap &src)
{
    if (p < 0 || n <= 0 || p >= BufferSize())
        return;
    m_marks.paste(p, std::min<std::int64_t>(n, BufferSize() - p), src);
}

void Document::replaceRuns(const std::int64_t *at, std::int64_t count, std::int64_t spacing,
                           std::int64_t from, std::int64_t to, const std::uint8_t *bytes,
                           std::int64_t bytesStride, const std::uint8_t *extraMarks)
{
    if (count <= 0 || from < 0 || to < 0)
        return;
    const std::int64_t size = BufferSize();
    for (std::int64_t k = 0; k < count; ++k) { // a caller's fault must not corrupt the bytes
        const std::int64_t p = at[k] + k * spacing;
        const std::int64_t next = k + 1 < count ? at[k + 1] + (k + 1) * spacing : size;
        if (p < 0 || p + from > next)
            throw std::invalid_argument("replaceRuns: runs out of order");
    }
    const std::int64_t delta = to - from;
    if (delta > 0 && count > (MaxBufferSize - size) / delta)
        throw OutOfMemoryError();
    checkGrowth(bytesStride != 0 ? std::min(count, MaxBufferSize) * to : to, count * delta);
    // The new marks are built first, so that nothing has changed if that fails.
    const bool remark = delta != 0 && (!m_marks.empty() || (delta > 0 && extraMarks));
    MarkMap marks;
    edit([&] {
        if (remark)
            marks = replacedMarks(at, count, spacing, from, to, extraMarks);
        m_bytes.replaceRuns(at, count, spacing, from, to, bytes, bytesStride);
    });
    if (remark)
        m_marks = std::move(marks);
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
        const std::int64_t p = at[k] + k * spacing;
        copy(done, p + keep, k * delta);
        if (delta > 0 && extraMarks)
            out.appendColours(p + from + k * delta, extraMarks + k * delta, delta);
        done = p + from;
    }
    copy(done, BufferSize(), count * delta);
    return out.finish();
}

void Document::insertZeros(std::int64_t p, std::int64_t count)
{
    if (count <= 0 || p < 0 || p > BufferSize())
        return;
    checkGrowth(0, count);
    spliceBytes(p, 0, count, [&] { m_bytes.insertFill(p, 0, count); });
}

void Document::remove(std::int64_t p, std::int64_t count)
{
    if (p < 0 || p >= BufferSize() || count <= 0)
        return;
    count = std::min(count, BufferSize() - p);
    spliceBytes(p, count, 0, [&] { m_bytes.erase(p, count); });
}

void Document::freshContents()
{
    m_changeCount = 0;
    m_state = m_savedState = NewContentState();
    m_sourceStamp = FileStamp();
}

void Document::clear()
{
    m_bytes.clear();
    m_marks.clear();
    freshContents();
}

bool Document::adoptLoaded(ByteStorage &&buffer, std::int64_t n, bool keepMarks)
{
    try {
        m_bytes.adopt(std::move(buffer), n);
    } catch (const std::bad_alloc &) {
        return false;
    }
    adoptMarks(n, keepMarks);
    return true;
}

namespace {
FileFailure TooLarge()
{
    FileFailure f = FileFailure::Of(FileStep::None, FileProblem::TooLarge);
    f.limit = Document::MaxBufferSize;
    return f;
}
} // namespace

bool Document::adoptOnDemand(InputFile &file, bool keepMarks, FileFailure *why)
{
    const FileStamp stamp = file.stamp();
    const std::int64_t limit = stamp.isDevice ? MaxDeviceSize : MaxBufferSize;
    if (!stamp.known || stamp.size > limit) {
        *why = stamp.known ? TooLarge() : FileFailure::System(FileStep::Opening, errno);
        if (stamp.known)
            why->limit = limit;
        return false;
    }
    try {
        auto source = std::make_unique<FileSource>(file.release(), stamp, g_fileLimits);
        m_bytes.adoptFile(std::move(source));
    } catch (const std::bad_alloc &) {
        *why = FileFailure::Of(FileStep::Opening, FileProblem::NoMemory);
        return false;
    }
    adoptMarks(stamp.size, keepMarks);
    m_sourceStamp = stamp;
    m_sectorSize = file.sectorSize();
    m_writable = false; // every opening of a device starts read-only
    m_leftDevice = false;
    return true;
}

void Document::adoptMarks(std::int64_t n, bool keepMarks)
{
    try {
        if (keepMarks)
            m_marks.truncate(n); // marks past the new end must not survive
        else
            m_marks.clear();
    } catch (const std::bad_alloc &) {
        m_marks.clear();
    }
    freshContents();
}

bool Document::loadBytes(const std::uint8_t *bytes, std::int64_t n, bool keepMarks)
{
    if (n < 0 || n > MaxBufferSize)
        return false;
    const std::int64_t step = StepFor(n);
    if (!fitsLimit(step))
        return false;
    ByteStorage buffer;
    if (!buffer.resize(step))
        return false;
    // Nothing is adopted before the end: a stop leaves the document as it was.
    for (std::int64_t done = 0; done < n;) {
        const std::int64_t k = std::min(JobSlice, n - done);
        std::memcpy(buffer.data() + done, bytes + done, std::size_t(k));
        done += k;
        Progress(k);
    }
    return adoptLoaded(std::move(buffer), n, keepMarks);
}

bool Document::loadFile(const std::string &path, bool keepMarks, FileFailure *why)
{
    FileFailure ignored;
    if (!why)
        why = &ignored;
    InputFile file(path);
    if (!file.isOpen()) {
        *why = file.failure();
        return false;
    }
    if (file.isDevice())
        return adoptOnDemand(file, keepMarks, why);
    if (file.sizeAtOpen() > MaxBufferSize) {
        *why = TooLarge();
        return false;
    }
    if (file.sizeAtOpen() > OnDemandThreshold())
        return adoptOnDemand(file, keepMarks, why);
    const FileFailure noMemory = FileFailure::Of(FileStep::Reading, FileProblem::NoMemory);
    // Room for the size seen at opening and one step more, so that reading to the end
    // needs no growth unless the file grows; it is read until its end all the same.
    // One step past the largest document tells a file that is too large.
    constexpr std::int64_t ceiling = MaxBufferSize + StorageStep;
    ByteStorage buffer;
    std::int64_t room = std::min(StepFor(file.sizeAtOpen() + 1), ceiling);
    std::int64_t got = 0;
    for (;;) {
        if (got == buffer.size()) {
            if (got >= ceiling) {
                *why = TooLarge();
                return false;
            }
            if (!fitsLimit(room) || !buffer.resize(room)) {
                *why = noMemory;
                return false;
            }
            room = std::min(StepFor(room + room / 2), ceiling);
        }
        // A slice at a time, counted, so that a stop is seen soon; until the buffer is
        // adopted at the end, a stop leaves the document as it was.
        const std::int64_t want = std::min(JobSlice, buffer.size() - got);
        const std::int64_t r = file.read(buffer.data() + got, want);
        if (r < 0) {
            *why = file.failure();
            return false;
        }
        got += r;
        if (r > 0)
            Progress(r);
        if (r < want)
            break;
    }
    if (got > MaxBufferSize) {
        *why = TooLarge();
        return false;
    }
    if (!buffer.resize(StepFor(got))) {
        *why = noMemory;
        return false;
    }
    // What the editor saw of the file; bytes it missed (appended after the end was read)
    // must show as a change when saving.
    FileStamp stamp = file.stamp();
    if (stamp.size != 0 && stamp.size != got)
        stamp.size = got;
    if (!adoptLoaded(std::move(buffer), got, keepMarks)) {
        *why = noMemory;
        return false;
    }
    m_sourceStamp = stamp;
    return true;
}

} // namespace vtm
