#include "document/BlockDevice.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace vtm {

namespace {

struct FakeDevice
{
    std::uint64_t device = 0, inode = 0;
    DeviceGeometry geometry;
};

struct TestHooks
{
    std::mutex lock;
    std::vector<FakeDevice> fakes;
    std::int64_t failAt = -1;
    int failError = 0;
};

TestHooks &Hooks()
{
    static TestHooks hooks;
    return hooks;
}

const FakeDevice *FakeOf(const struct stat &st, FakeDevice *copy)
{
    TestHooks &h = Hooks();
    std::lock_guard<std::mutex> guard(h.lock);
    for (const FakeDevice &f : h.fakes)
        if (S_ISREG(st.st_mode) && f.device == std::uint64_t(st.st_dev)
            && f.inode == std::uint64_t(st.st_ino)) {
            *copy = f;
            return copy;
        }
    return nullptr;
}

} // namespace

bool IsDeviceFile(const struct stat &st)
{
    FakeDevice f;
    return S_ISBLK(st.st_mode) || FakeOf(st, &f);
}

bool QueryDevice(int fd, const struct stat &st, DeviceGeometry *geometry)
{
    FakeDevice f;
    if (FakeOf(st, &f)) {
        *geometry = f.geometry;
        return true;
    }
    if (!S_ISBLK(st.st_mode)) {
        errno = ENOTBLK;
        return false;
    }
#if defined(BLKGETSIZE64) && defined(BLKSSZGET)
    std::uint64_t size = 0;
    int sector = 0;
    if (::ioctl(fd, BLKGETSIZE64, &size) != 0)
        return false;
    if (::ioctl(fd, BLKSSZGET, &sector) != 0 || sector <= 0)
        sector = 512;
    if (size > std::uint64_t(INT64_MAX)) {
        errno = EFBIG;
        return false;
    }
    geometry->size = std::int64_t(size);
    geometry->sectorSize = sector;
    return true;
#else
    (void)fd;
    errno = ENOTSUP;
    return false;
#endif
}

void SetFakeDeviceForTesting(const std::string &path, std::int64_t size, int sectorSize)
{
    TestHooks &h = Hooks();
    std::lock_guard<std::mutex> guard(h.lock);
    if (path.empty()) {
        h.fakes.clear();
        return;
    }
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return;
    h.fakes.push_back(
        {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), DeviceGeometry{size, sectorSize}});
}

void SetDeviceWriteFailureForTesting(std::int64_t at, int error)
{
    TestHooks &h = Hooks();
    std::lock_guard<std::mutex> guard(h.lock);
    h.failAt = at;
    h.failError = error;
}

bool WriteToDevice(int fd, const std::uint8_t *bytes, std::int64_t n, std::int64_t at,
                   std::int64_t *failedAt)
{
    std::int64_t stopAt = -1;
    int injected = 0;
    {
        TestHooks &h = Hooks();
        std::lock_guard<std::mutex> guard(h.lock);
        if (h.failAt >= 0 && h.failAt < at + n) {
            stopAt = std::max(h.failAt, at);
            injected = h.failError;
        }
    }
    const std::int64_t end = stopAt >= 0 ? stopAt : at + n;
    std::int64_t p = at;
    while (p < end) {
        const ssize_t w = ::pwrite(fd, bytes + (p - at),
                                   std::size_t(std::min<std::int64_t>(end - p, 1 << 30)), off_t(p));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            if (w == 0)
                errno = ENOSPC; // past the end of the device
            *failedAt = p;
            return false;
        }
        p += w;
    }
    if (stopAt >= 0) {
        *failedAt = stopAt;
        errno = injected;
        return false;
    }
    return true;
}

} // namespace vtm
