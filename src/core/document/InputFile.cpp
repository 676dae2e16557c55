#include "document/InputFile.h"

#include "document/BlockDevice.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vtm {

namespace {
// Wraps instead of overflowing for times set far into the future: only equality counts.
std::int64_t Nanoseconds(const struct timespec &t)
{
    return std::int64_t(std::uint64_t(t.tv_sec) * 1000000000u + std::uint64_t(t.tv_nsec));
}
} // namespace

FileStamp FileStamp::Of(const struct stat &st)
{
    FileStamp s;
    s.known = true;
    s.device = std::uint64_t(st.st_dev);
    s.inode = std::uint64_t(st.st_ino);
    s.size = std::int64_t(st.st_size);
    s.modifiedNs = Nanoseconds(st.st_mtim);
    s.changedNs = Nanoseconds(st.st_ctim);
    return s;
}

bool StampOfOpen(int fd, FileStamp *stamp)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return false;
    if (!IsDeviceFile(st)) {
        *stamp = FileStamp::Of(st);
        return true;
    }
    DeviceGeometry g;
    if (!QueryDevice(fd, st, &g))
        return false;
    FileStamp s;
    s.known = true;
    s.isDevice = true;
    s.device = std::uint64_t(S_ISBLK(st.st_mode) ? st.st_rdev : st.st_dev);
    s.inode = std::uint64_t(st.st_ino);
    s.size = g.size;
    *stamp = s;
    return true;
}

FileStamp CurrentStamp(const std::string &path)
{
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return {};
    if (!IsDeviceFile(st))
        return FileStamp::Of(st);
    // A device tells its size only when open.
    FileStamp s;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0) {
        StampOfOpen(fd, &s);
        ::close(fd);
    }
    return s;
}

InputFile::InputFile(const std::string &path)
{
    if (path.empty()) {
        m_failure = FileFailure::System(FileStep::Opening, ENOENT);
        return;
    }
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (m_fd < 0) {
        m_failure = FileFailure::System(FileStep::Opening, errno);
        // Say what the name is where that is the reason (a socket cannot be opened at all).
        struct stat st;
        if (m_failure.error == ENOENT && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
            m_failure.problem = FileProblem::DanglingLink;
        } else if (::stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
            // The cure for a refused device is the group that may read it.
            m_failure.fileType = S_IFBLK;
            m_failure.owner = std::int64_t(st.st_gid);
        } else if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
            m_failure = FileFailure::Of(FileStep::None, FileProblem::NotRegular);
            m_failure.fileType = std::uint32_t(st.st_mode & S_IFMT);
        }
        return;
    }
    struct stat st;
    if (::fstat(m_fd, &st) != 0) {
        m_failure = FileFailure::System(FileStep::Opening, errno);
        m_status = Status::NotRegular;
        return;
    }
    if (IsDeviceFile(st)) {
        DeviceGeometry g;
        if (!QueryDevice(m_fd, st, &g) || g.size < 0) {
            m_failure = FileFailure::Of(FileStep::None, FileProblem::UnknownSize);
            m_failure.fileType = S_IFBLK;
            m_status = Status::NotRegular;
            return;
        }
        m_device = true;
        m_sectorSize = g.sectorSize;
        m_sizeAtOpen = g.size;
    } else if (!S_ISREG(st.st_mode)) {
        m_failure = FileFailure::Of(FileStep::None, FileProblem::NotRegular);
        m_failure.fileType = std::uint32_t(st.st_mode & S_IFMT);
        m_status = Status::NotRegular;
        return;
    }
    // Regular files never block; clearing the flag only keeps reads plain.
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!m_device)
        m_sizeAtOpen = std::max<std::int64_t>(0, std::int64_t(st.st_size));
    m_status = Status::Open;
#if defined(POSIX_FADV_SEQUENTIAL)
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL); // every reader goes front to back
#endif
}

InputFile::~InputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::int64_t InputFile::read(std::uint8_t *into, std::int64_t n)
{
    if (!isOpen())
        return -1;
    std::int64_t got = 0;
    while (got < n) {
        const ssize_t r =
            ::read(m_fd, into + got, std::size_t(std::min<std::int64_t>(n - got, 1 << 30)));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            m_failure = FileFailure::System(FileStep::Reading, errno, m_position + got);
            return -1;
        }
        if (r == 0)
            break;
        got += r;
    }
    m_position += got;
    return got;
}

int InputFile::release()
{
    const int fd = m_fd;
    m_fd = -1;
    m_status = Status::CannotOpen;
    return fd;
}

FileStamp InputFile::stamp() const
{
    FileStamp s;
    if (m_fd < 0 || !StampOfOpen(m_fd, &s))
        return {};
    return s;
}

} // namespace vtm
