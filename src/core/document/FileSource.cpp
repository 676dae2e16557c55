#include "document/FileSource.h"

#include "document/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <new>
#include <thread>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vtm {

FileSource::FileSource(int fd, const FileStamp &stamp, Limits limits)
    : m_fd(fd)
    , m_stamp(stamp)
    , m_limits(limits)
{
    m_limits.blockSize = std::max<std::int64_t>(m_limits.blockSize, 1);
    m_limits.blocks = std::max(m_limits.blocks, 2);
    // Holes are looked for only in a file that has some; a device has none (and tells no
    // blocks at all).
    m_sparse = !m_stamp.isDevice && allocatedBytes() < m_stamp.size;
    if (m_sparse) {
        void *zeros = ::mmap(nullptr, std::size_t(m_limits.blockSize), PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        m_zeros = zeros == MAP_FAILED ? nullptr : static_cast<const std::uint8_t *>(zeros);
    }
}

FileSource::~FileSource()
{
    if (m_zeros)
        ::munmap(const_cast<std::uint8_t *>(m_zeros), std::size_t(m_limits.blockSize));
    if (m_fd >= 0)
        ::close(m_fd);
}

void FileSource::fail(SourceReadError::Why why, int error, std::int64_t offset)
{
    m_failed = true;
    m_failure = SourceReadError(why, error, offset);
    // The cached bytes are not dropped while a reader may still hold a span of them; no
    // read hands them out again.
    throw m_failure;
}

bool FileSource::gone(int error) const
{
    // A device unplugged is no longer the one that was opened, as a truncated file is not.
    return m_stamp.isDevice && (error == ENXIO || error == ENODEV);
}

bool FileSource::check()
{
    if (m_failed)
        return false;
    FileStamp now;
    if (!StampOfOpen(m_fd, &now)) {
        m_failed = true;
        m_failure = gone(errno) ? SourceReadError(SourceReadError::Why::Changed, 0)
                                : SourceReadError(SourceReadError::Why::ReadFailed, errno);
        return false;
    }
    if (!(now == m_stamp)) {
        m_failed = true;
        m_failure = SourceReadError(SourceReadError::Why::Changed, 0);
        return false;
    }
    return true;
}

bool FileSource::restamp()
{
    FileStamp now;
    if (m_failed || !StampOfOpen(m_fd, &now))
        return check();
    const std::int64_t changed = now.changedNs;
    now.changedNs = m_stamp.changedNs;
    if (!(now == m_stamp))
        return check();
    m_stamp.changedNs = changed;
    return true;
}

void FileSource::verify()
{
    if (!check())
        throw m_failure;
}

FileSource::Block &FileSource::fetch(std::int64_t index)
{
    if (m_failed)
        throw m_failure;
    if (m_last < m_blocks.size() && m_blocks[m_last].index == index) {
        m_blocks[m_last].used = ++m_clock;
        return m_blocks[m_last];
    }
    std::size_t slot = m_blocks.size();
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        if (m_blocks[i].index == index) {
            m_blocks[i].used = ++m_clock;
            m_last = i;
            return m_blocks[i];
        }
        if (slot == m_blocks.size() || m_blocks[i].used < m_blocks[slot].used)
            slot = i;
    }
    if (m_blocks.size() < std::size_t(m_limits.blocks)) {
        try {
            m_blocks.emplace_back();
            slot = m_blocks.size() - 1;
        } catch (const std::bad_alloc &) {
            if (m_blocks.empty())
                throw SourceReadError(SourceReadError::Why::ReadFailed, ENOMEM);
        }
    }
    Block &b = m_blocks[slot];
    b.index = -1; // empty until the read has succeeded
    const std::int64_t start = index * m_limits.blockSize;
    const std::int64_t want = std::min(m_limits.blockSize, m_stamp.size - start);
    // A block in a hole of a sparse file is zeros: it is served from a mapping that is never
    // written, so it takes no memory, while reading it would make the kernel fill page-cache
    // pages with zeros.
    if (m_sparse && m_zeros && runAt(index, index).hole) {
        b.data = m_zeros;
    } else {
        if (!b.bytes) {
            try {
                b.bytes.reset(new std::uint8_t[std::size_t(m_limits.blockSize)]);
            } catch (const std::bad_alloc &) {
                // Not a fault of the file: the source has not failed.
                throw SourceReadError(SourceReadError::Why::ReadFailed, ENOMEM);
            }
        }
        b.data = b.bytes.get();
        const auto begun = std::chrono::steady_clock::now();
        std::int64_t got = 0;
        while (got < want) {
            const ssize_t r =
                ::pread(m_fd, b.bytes.get() + got, std::size_t(want - got), off_t(start + got));
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                if (gone(errno))
                    fail(SourceReadError::Why::Changed, 0);
                fail(SourceReadError::Why::ReadFailed, errno, start + got);
            }
            if (r == 0) // shorter than when it was opened
                fail(SourceReadError::Why::Changed, 0);
            got += r;
        }
        if (m_limits.bytesPerSecond > 0)
            std::this_thread::sleep_until(
                begun
                + std::chrono::nanoseconds(
                    std::int64_t((long double)want * 1e9L / (long double)m_limits.bytesPerSecond)));
    }
    // A write racing with the read shows in the stamp afterwards.
    verify();
    if (b.data != m_zeros)
        patchSaved(b.bytes.get(), start, want);
    b.index = index;
    b.used = ++m_clock;
    m_last = slot;
    return b;
}

std::int64_t FileSource::blockEnd(std::int64_t index) const
{
    return std::min((index + 1) * m_limits.blockSize, m_stamp.size);
}

std::int64_t FileSource::seek(std::int64_t p, int whence) const
{
    const off_t r = ::lseek(m_fd, off_t(p), whence);
    if (r >= 0)
        return std::min<std::int64_t>(r, m_stamp.size);
    return errno == ENXIO ? m_stamp.size : -1;
}

namespace {
// The lowest j in [lowest, top] for which holds(j) is true, where it is true for top and
// false below some point: doubling steps down, then halving, so a long run costs a few
// dozen questions at most.
template <class P> std::int64_t LowestHolding(std::int64_t lowest, std::int64_t top, P holds)
{
    std::int64_t good = top, bad = lowest - 1;
    for (std::int64_t step = 1; good > lowest; step *= 2) {
        const std::int64_t j = good - lowest > step ? good - step : lowest;
        if (!holds(j)) {
            bad = j;
            break;
        }
        good = j;
    }
    while (good - bad > 1) {
        const std::int64_t m = bad + (good - bad) / 2;
        (holds(m) ? good : bad) = m;
    }
    return good;
}
} // namespace

FileSource::Run FileSource::runAt(std::int64_t index, std::int64_t lowest)
{
    Run *slot = &m_runs[0];
    for (Run &r : m_runs) {
        if (r.first <= index && index < r.end) {
            r.used = ++m_clock;
            return r;
        }
        if (r.used < slot->used)
            slot = &r;
    }
    const std::int64_t bs = m_limits.blockSize;
    const std::int64_t blocks = (m_stamp.size + bs - 1) / bs;
    Run r{index, index + 1, false, ++m_clock};
    const std::int64_t data = seek(index * bs, SEEK_DATA);
    if (data >= blockEnd(index)) {
        r.hole = true;
        r.end = data >= m_stamp.size ? blocks : data / bs;
    } else if (data >= 0) {
        const std::int64_t hole = seek(data, SEEK_HOLE);
        if (hole > data)
            r.end = (hole - 1) / bs + 1;
    }
    if (lowest < index && data >= 0) {
        // Down from a hole: blocks j..index hold no data. Down from data: no hole at all lies
        // between block j and this one (a block with a hole in it may still hold data, and
        // is asked about on its own when the walk gets there).
        const std::int64_t top = r.hole ? blockEnd(index) : index * bs;
        const int whence = r.hole ? SEEK_DATA : SEEK_HOLE;
        r.first = LowestHolding(lowest, index,
                                [&](std::int64_t j) { return seek(j * bs, whence) >= top; });
    }
    // The answers hold for the file as it was opened only if it is still that file.
    verify();
    *slot = r;
    return r;
}

std::int64_t FileSource::zeroRun(std::int64_t p, std::int64_t bound, bool backward, bool *zeros)
{
    *zeros = false;
    if (!m_sparse)
        return bound;
    if (m_failed)
        throw m_failure;
    const std::int64_t bs = m_limits.blockSize;
    if (backward) {
        const Run r = runAt((p - 1) / bs, bound / bs);
        *zeros = r.hole;
        return std::max(bound, r.first * bs);
    }
    const Run r = runAt(p / bs, p / bs);
    *zeros = r.hole;
    return std::min(bound, r.end * bs);
}

const std::uint8_t *FileSource::blockAt(std::int64_t p, std::int64_t *blockStart,
                                        std::int64_t *blockEnd)
{
    const std::int64_t index = p / m_limits.blockSize;
    Block &b = fetch(index);
    *blockStart = index * m_limits.blockSize;
    *blockEnd = std::min(*blockStart + m_limits.blockSize, m_stamp.size);
    return b.data + (p - *blockStart);
}

bool FileSource::copyData(int outFd, std::int64_t p, std::int64_t n, std::int64_t at)
{
    // The kernel would copy what the file holds now, not the bytes kept from before a save.
    bool kernel = m_saved.empty();
    while (n > 0) {
        if (kernel) {
            loff_t in = p, out = at;
            const ssize_t c = ::copy_file_range(m_fd, &in, outFd, &out,
                                                std::size_t(std::min<std::int64_t>(n, 1 << 30)), 0);
            if (c > 0) {
                p += c;
                at += c;
                n -= c;
                continue;
            }
            if (c == 0)
                fail(SourceReadError::Why::Changed, 0);
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP
                && errno != EBADF && errno != ETXTBSY)
                return false; // ENOSPC, EIO of the target and the like
            kernel = false;   // across file systems or unsupported: copy through a block
        }
        std::int64_t start = 0, end = 0;
        const std::uint8_t *bytes = blockAt(p, &start, &end);
        const std::int64_t k = std::min(n, end - p);
        if (!WriteAllAt(outFd, bytes, k, at))
            return false;
        p += k;
        at += k;
        n -= k;
    }
    return true;
}

bool FileSource::copyTo(int outFd, std::int64_t p, std::int64_t n, std::int64_t at, bool skipHoles)
{
    if (m_failed)
        throw m_failure;
    verify();
    // A device has no holes; asking would not say so.
    if (m_stamp.isDevice)
        skipHoles = false;
    while (n > 0) {
        if (skipHoles) {
            const off_t d = ::lseek(m_fd, off_t(p), SEEK_DATA);
            if (d < 0 && errno == ENXIO)
                break; // holes to the end
            if (d >= 0) {
                if (d >= p + n)
                    break;
                at += d - p;
                n -= d - p;
                p = d;
                const off_t h = ::lseek(m_fd, off_t(p), SEEK_HOLE);
                const std::int64_t run = h > p ? std::min<std::int64_t>(n, h - p) : n;
                if (!copyData(outFd, p, run, at))
                    return false;
                p += run;
                at += run;
                n -= run;
                continue;
            }
            skipHoles = false; // the file system cannot tell: copy everything
        }
        if (!copyData(outFd, p, n, at))
            return false;
        break;
    }
    verify();
    return true;
}

bool FileSource::moveTo(int fd)
{
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)
        || std::int64_t(st.st_size) != m_stamp.size) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::close(m_fd);
    m_fd = fd;
    m_stamp = FileStamp::Of(st);
    m_runs = {}; // the copy has holes of its own
    return true;
}

std::int64_t FileSource::allocatedBytes() const
{
    struct stat st;
    if (m_stamp.isDevice || ::fstat(m_fd, &st) != 0 || st.st_blocks < 0)
        return m_stamp.size;
    return std::min<std::int64_t>(m_stamp.size, std::int64_t(st.st_blocks) * 512);
}

std::int64_t FileSource::memoryHeld() const
{
    std::int64_t n = 0;
    for (const Block &b : m_blocks)
        n += b.bytes ? m_limits.blockSize : 0;
    for (const Saved &s : m_saved)
        n += std::int64_t(s.bytes.size());
    return n;
}

void FileSource::keepBeforeOverwrite(std::int64_t p, std::int64_t n)
{
    if (m_failed)
        throw m_failure;
    const std::int64_t end = std::min(p + n, m_stamp.size);
    std::vector<Saved> added;
    std::size_t i = firstSavedPast(p);
    for (std::int64_t q = p; q < end;) {
        while (i < m_saved.size() && m_saved[i].end() <= q)
            ++i;
        if (i < m_saved.size() && m_saved[i].offset <= q) {
            q = m_saved[i].end(); // kept by an earlier save
            continue;
        }
        const std::int64_t stop = i < m_saved.size() ? std::min(end, m_saved[i].offset) : end;
        Saved s;
        s.offset = q;
        try {
            s.bytes.resize(std::size_t(stop - q));
        } catch (const std::bad_alloc &) {
            throw SourceReadError(SourceReadError::Why::ReadFailed, ENOMEM);
        }
        for (std::int64_t got = 0; got < stop - q;) {
            const ssize_t r =
                ::pread(m_fd, s.bytes.data() + got, std::size_t(stop - q - got), off_t(q + got));
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0 && gone(errno))
                fail(SourceReadError::Why::Changed, 0);
            if (r < 0)
                fail(SourceReadError::Why::ReadFailed, errno, q + got);
            if (r == 0)
                fail(SourceReadError::Why::Changed, 0);
            got += r;
        }
        added.push_back(std::move(s));
        q = stop;
    }
    verify();
    for (Saved &s : added) {
        auto at = std::lower_bound(m_saved.begin(), m_saved.end(), s.offset,
                                   [](const Saved &e, std::int64_t v) { return e.offset < v; });
        m_saved.insert(at, std::move(s));
    }
}

std::size_t FileSource::firstSavedPast(std::int64_t p) const
{
    // Ascending and never overlapping: their ends ascend too.
    return std::size_t(std::partition_point(m_saved.begin(), m_saved.end(),
                                            [p](const Saved &s) { return s.end() <= p; })
                       - m_saved.begin());
}

void FileSource::patchSaved(std::uint8_t *bytes, std::int64_t start, std::int64_t n) const
{
    for (std::size_t i = firstSavedPast(start); i < m_saved.size() && m_saved[i].offset < start + n;
         ++i) {
        const Saved &s = m_saved[i];
        const std::int64_t a = std::max(start, s.offset);
        const std::int64_t b = std::min(start + n, s.end());
        std::memcpy(bytes + (a - start), s.bytes.data() + (a - s.offset), std::size_t(b - a));
    }
}

} // namespace vtm
