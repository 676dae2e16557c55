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
    // Holes are looked for only in a file that has some.
    m_sparse = allocatedBytes() < m_stamp.size;
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

void FileSource::fail(SourceReadError::Why why, int error)
{
    m_failed = true;
    m_failure = SourceReadError(why, error);
    // The cached bytes are not dropped while a reader may still hold a span of them; no
    // read hands them out again.
    throw m_failure;
}

bool FileSource::check()
{
    if (m_failed)
        return false;
    struct stat st;
    if (::fstat(m_fd, &st) != 0) {
        m_failed = true;
        m_failure = SourceReadError(SourceReadError::Why::ReadFailed, errno);
        return false;
    }
    if (!(FileStamp::Of(st) == m_stamp)) {
        m_failed = true;
        m_failure = SourceReadError(SourceReadError::Why::Changed, 0);
        return false;
    }
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
    bool hole = false;
    if (m_sparse && m_zeros) {
        const off_t data = ::lseek(m_fd, off_t(start), SEEK_DATA);
        hole = (data < 0 && errno == ENXIO) || (data >= 0 && data >= start + want);
    }
    if (hole) {
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
                fail(SourceReadError::Why::ReadFailed, errno);
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
    b.index = index;
    b.used = ++m_clock;
    m_last = slot;
    return b;
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
    bool kernel = true;
    while (n > 0) {
        if (kernel) {
            loff_t in = p, out = at;
            const ssize_t c = ::copy_file_range(
                m_fd, &in, outFd, &out, std::size_t(std::min<std::int64_t>(n, 1 << 30)), 0);
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
    return true;
}

std::int64_t FileSource::allocatedBytes() const
{
    struct stat st;
    if (::fstat(m_fd, &st) != 0 || st.st_blocks < 0)
        return m_stamp.size;
    return std::min<std::int64_t>(m_stamp.size, std::int64_t(st.st_blocks) * 512);
}

std::int64_t FileSource::memoryHeld() const
{
    std::int64_t n = 0;
    for (const Block &b : m_blocks)
        n += b.bytes ? m_limits.blockSize : 0;
    return n;
}

} // namespace vtm
