#include "document/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vtm {

namespace {
bool Fail(std::string *error, const std::string &what)
{
    if (error)
        *error = what + ": " + std::strerror(errno);
    return false;
}

bool WriteAll(int fd, const std::uint8_t *data, std::int64_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, data, std::size_t(std::min<std::int64_t>(n, 1 << 30)));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (w == 0) {
            errno = ENOSPC;
            return false;
        }
        data += w;
        n -= w;
    }
    return true;
}
} // namespace

bool RegularFileExists(const std::string &path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string DirectoryOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string BaseNameOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string BackupNameFor(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t baseStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < baseStart)
        return path + ".~";
    return path.substr(0, dot) + ("." + std::string("~") + path.substr(dot + 1)).substr(0, 4);
}

std::string AbsolutePath(const std::string &path)
{
    if (path.empty() || path[0] == '/')
        return path;
    std::error_code ec;
    const std::filesystem::path abs = std::filesystem::absolute(path, ec);
    return ec ? path : abs.lexically_normal().string();
}

namespace {
// A temporary name in dir, created empty; -1 when none can be made.
int MakeTemp(const std::string &dir, const std::string &base, std::string *name)
{
    const std::string pattern = (dir == "/" ? std::string() : dir) + "/." + base + ".XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const int fd = ::mkstemp(buf.data());
    if (fd >= 0)
        *name = buf.data();
    return fd;
}

// A second name for the old file, so that it can become the backup only once the new
// file is safely in place: a hard link, or a copy where links are not available.
bool KeepOldFile(const std::string &path, const std::string &dir, std::string *keep)
{
    const int fd = MakeTemp(dir, BaseNameOf(path) + ".old", keep);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(keep->c_str());
    if (::link(path.c_str(), keep->c_str()) == 0)
        return true;
    std::FILE *in = std::fopen(path.c_str(), "rb");
    if (!in)
        return false;
    const int out = ::open(keep->c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    bool ok = out >= 0;
    std::vector<std::uint8_t> block(1 << 20);
    while (ok) {
        const std::size_t r = std::fread(block.data(), 1, block.size(), in);
        if (r == 0) {
            ok = !std::ferror(in);
            break;
        }
        ok = WriteAll(out, block.data(), std::int64_t(r));
    }
    std::fclose(in);
    if (out >= 0 && ::close(out) != 0)
        ok = false;
    if (!ok)
        ::unlink(keep->c_str());
    return ok;
}
} // namespace

WriteResult WriteFileSafely(const std::string &path, const std::uint8_t *data, std::int64_t n,
                            const std::string &backupPath, std::string *error)
{
    struct stat target;
    const bool exists = ::stat(path.c_str(), &target) == 0;
    if (exists && !S_ISREG(target.st_mode)) {
        errno = EISDIR;
        Fail(error, "not a regular file");
        return WriteResult::Failed;
    }
    std::string dir = DirectoryOf(path);
    if (dir.empty())
        dir = ".";
    std::string temp;
    const int fd = MakeTemp(dir, BaseNameOf(path), &temp);
    if (fd < 0) {
        Fail(error, "cannot create a file in " + dir);
        return WriteResult::Failed;
    }
    std::string keep;
    auto abandon = [&](const std::string &what) {
        const int saved = errno;
        ::unlink(temp.c_str());
        if (!keep.empty())
            ::unlink(keep.c_str());
        errno = saved;
        Fail(error, what);
        return WriteResult::Failed;
    };
    if (n > 0 && !WriteAll(fd, data, n)) {
        ::close(fd);
        return abandon("writing");
    }
    // A new file gets the permissions the user's umask allows; an old one keeps its own.
    mode_t mode;
    if (exists) {
        mode = target.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
        ::close(fd);
        return abandon("flushing");
    }
    if (::close(fd) != 0)
        return abandon("closing");
    const bool backup = exists && !backupPath.empty();
    if (backup && !KeepOldFile(path, dir, &keep)) {
        keep.clear();
        return abandon("keeping the old file");
    }
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return abandon("renaming into place");
    if (backup && ::rename(keep.c_str(), backupPath.c_str()) != 0) {
        const int saved = errno;
        ::unlink(keep.c_str());
        errno = saved;
        Fail(error, "making the backup " + backupPath);
        return WriteResult::WrittenNoBackup;
    }
    return WriteResult::Written;
}

} // namespace vtm
