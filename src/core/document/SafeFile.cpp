#include "document/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vtm {

namespace {
SyncCall g_sync = nullptr;
FreeSpaceCall g_freeSpace = nullptr;

std::int64_t FreeSpace(const std::string &dir)
{
    if (g_freeSpace)
        return g_freeSpace(dir);
    struct statvfs fs;
    if (::statvfs(dir.c_str(), &fs) != 0)
        return -1;
    const std::uint64_t unit = fs.f_frsize ? fs.f_frsize : 1;
    const std::uint64_t blocks = fs.f_bavail;
    return blocks > std::uint64_t(INT64_MAX) / unit ? INT64_MAX : std::int64_t(blocks * unit);
}

// Checked before anything is created: a shortfall known in advance changes nothing.
bool RoomFor(WriteOutcome &out, const std::string &dir, std::int64_t needed)
{
    const std::int64_t free = FreeSpace(dir);
    if (free < 0 || needed <= free)
        return true;
    out.result = WriteResult::FailedNoSpace;
    out.needed = needed;
    out.available = free;
    out.failure = FileFailure::System(FileStep::None, ENOSPC);
    return false;
}

int Sync(int fd)
{
    return g_sync ? g_sync(fd) : ::fsync(fd);
}

FileStep g_failStep = FileStep::None;
int g_failError = 0;

// A failure a test asked for at this step: errno is set as the system would.
bool Injected(FileStep step)
{
    if (step == FileStep::None || step != g_failStep)
        return false;
    errno = g_failError;
    return true;
}

// The step that failed, with the system's error of now.
FileFailure Failure(FileStep step)
{
    return FileFailure::System(step, errno);
}

// Keeps errno across the clean-up calls of a failure path.
class SavedErrno
{
public:
    SavedErrno()
        : m_errno(errno)
    {}
    ~SavedErrno() { errno = m_errno; }

private:
    int m_errno;
};

// Copies everything from `in` (from its start) to `out` at offset 0, by the kernel where
// it can; *copied is the number of bytes. False on any failure.
bool CopyData(int in, int out, std::int64_t *copied)
{
    *copied = 0;
    bool kernel = true;
    std::vector<std::uint8_t> block;
    for (;;) {
        if (kernel) {
            loff_t from = *copied, to = *copied;
            const ssize_t r = ::copy_file_range(in, &from, out, &to, std::size_t(1) << 30, 0);
            if (r > 0) {
                *copied += r;
                continue;
            }
            if (r == 0)
                return true;
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
                return false;
            kernel = false;
        }
        if (block.empty())
            block.resize(std::size_t(1) << 20);
        const ssize_t r = ::pread(in, block.data(), block.size(), off_t(*copied));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return false;
        if (r == 0)
            return true;
        if (!WriteAllAt(out, block.data(), r, *copied))
            return false;
        *copied += r;
    }
}

// A new file of a short name of its own in dir, so that any name the directory accepts
// can be saved; -1 when none can be made.
int MakeTemp(const std::string &dir, std::string *name)
{
    const std::string pattern = (dir == "/" ? std::string() : dir) + "/.vtmXXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd >= 0)
        *name = buf.data();
    return fd;
}

// Gives fd the owner, group and mode of `old`, as far as this process may. Set-id bits are
// kept only under the owner and group they were set for.
void TakeIdentityOf(int fd, const struct stat &old)
{
    struct stat now;
    if (::fstat(fd, &now) != 0)
        return;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid)
        && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        ::fchown(fd, uid_t(-1), old.st_gid); // the group alone may still be allowed
    mode_t mode = old.st_mode & 07777;
    if (::fstat(fd, &now) != 0 || now.st_uid != old.st_uid)
        mode &= ~mode_t(S_ISUID | S_ISGID);
    else if (now.st_gid != old.st_gid)
        mode &= ~mode_t(S_ISGID);
    ::fchmod(fd, mode);
}

// A copy of the file open as `in` under a temporary name in dir, synced, with the old
// file's identity as far as allowed. *size is its length.
bool CopyAside(int in, const struct stat &old, const std::string &dir, std::string *name,
               std::int64_t *size)
{
    const int out = MakeTemp(dir, name);
    if (out < 0)
        return false;
    TakeIdentityOf(out, old);
    bool ok = CopyData(in, out, size) && Sync(out) == 0;
    ok = ::close(out) == 0 && ok;
    if (!ok) {
        const SavedErrno keep;
        ::unlink(name->c_str());
        name->clear();
    }
    return ok;
}

bool SyncDirectory(const std::string &dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Some file systems cannot sync a directory; they keep nothing to sync either.
    const bool ok = Sync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
    ::close(fd);
    return ok;
}

FileStamp StampOf(int fd)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 ? FileStamp::Of(st) : FileStamp();
}

// The stamp of the file under path once the writer's own renames and unlinks have moved its
// change time, provided it is still the file written; `written` otherwise, which then shows
// as a change.
FileStamp StampAfter(const std::string &path, const FileStamp &written)
{
    FileStamp now = CurrentStamp(path);
    const std::int64_t changed = now.changedNs;
    now.changedNs = written.changedNs;
    if (!(now == written))
        return written;
    now.changedNs = changed;
    return now;
}

// Brackets the writer's own steps on a file a reader may be watching (see OwnStepHook);
// whatever is still open ends when the save returns.
class OwnSteps
{
public:
    explicit OwnSteps(const OwnStepHook &hook)
        : m_hook(hook)
    {}
    ~OwnSteps() { end(); }
    OwnSteps(const OwnSteps &) = delete;
    OwnSteps &operator=(const OwnSteps &) = delete;
    void begin()
    {
        if (m_hook && !m_open) {
            const SavedErrno keep;
            m_open = true;
            m_hook(false);
        }
    }
    void end()
    {
        if (m_open) {
            const SavedErrno keep;
            m_open = false;
            m_hook(true);
        }
    }

private:
    const OwnStepHook &m_hook;
    bool m_open = false;
};

// Overwrites the file open as fd with n bytes and syncs it.
bool WriteInPlace(int fd, const ContentWriter &write, std::int64_t n)
{
    return (n == 0 || write(fd)) && ::ftruncate(fd, off_t(n)) == 0 && Sync(fd) == 0;
}

// Puts the bytes of the copy back into the file open as fd, and its old times: the file is
// then the one the editor saw, and a later save asks nothing about a change by others.
bool Restore(int fd, const std::string &copy, std::int64_t size, const struct stat &old)
{
    const int in = ::open(copy.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    std::int64_t copied = 0;
    const struct timespec times[2] = {old.st_atim, old.st_mtim};
    bool ok = CopyData(in, fd, &copied) && copied == size && ::ftruncate(fd, off_t(size)) == 0;
    if (ok)
        ::futimens(fd, times); // the bytes are what counts; the times only spare a question
    ok = ok && Sync(fd) == 0;
    ::close(in);
    return ok;
}

// Moves the file at path (if there is one) to a new temporary name in dir, in *name (empty
// when there was none).
bool MoveAside(const std::string &path, const std::string &dir, std::string *name)
{
    name->clear();
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    std::string temp;
    const int fd = MakeTemp(dir, &temp);
    if (fd < 0)
        return false;
    ::close(fd);
    if (::rename(path.c_str(), temp.c_str()) != 0) {
        const SavedErrno keep;
        ::unlink(temp.c_str());
        return false;
    }
    *name = temp;
    return true;
}

WriteOutcome WriteOver(WriteOutcome out, const struct stat &old, const std::string &dir,
                       const ContentWriter &write, std::int64_t n, bool backup,
                       const AsideHook &aside, const OwnStepHook &ownStep)
{
    OwnSteps steps(ownStep); // the copy the reader may have moved to is renamed or unlinked
    const int fd = Injected(FileStep::Opening)
                       ? -1
                       : ::open(out.target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        out.failure = Failure(FileStep::Opening);
        return out;
    }
    std::string copy;
    std::int64_t oldSize = 0;
    if (Injected(FileStep::CopyingAside) || !CopyAside(fd, old, dir, &copy, &oldSize)) {
        out.failure = Failure(FileStep::CopyingAside);
        ::close(fd);
        return out;
    }
    if (aside && !aside(copy, std::uint64_t(old.st_dev), std::uint64_t(old.st_ino))) {
        out.failure = FileFailure::Of(FileStep::None, FileProblem::Changed);
        ::unlink(copy.c_str());
        ::close(fd);
        return out;
    }
    // The copy is the backup, in place before the file changes. The older backup is kept
    // aside until the new bytes are written, for a save the user stops.
    std::string older;
    if (backup) {
        steps.begin(); // the older backup may be the copy of an earlier save
        if (!MoveAside(out.backup, dir, &older)) {
            out.failure = Failure(FileStep::MakingBackup);
            ::unlink(copy.c_str());
            ::close(fd);
            return out;
        }
        if (::rename(copy.c_str(), out.backup.c_str()) != 0 || !SyncDirectory(dir)) {
            out.failure = Failure(FileStep::MakingBackup);
            ::unlink(copy.c_str());
            if (!older.empty())
                ::rename(older.c_str(), out.backup.c_str());
            ::close(fd);
            return out;
        }
        steps.end();
        copy = out.backup;
    }
    // Where the older backup goes once the save has ended: back when nothing changed.
    auto settleOlder = [&](bool putBack) {
        if (!putBack) {
            if (!older.empty())
                ::unlink(older.c_str());
        } else if (older.empty()) {
            ::unlink(out.backup.c_str());
        } else {
            ::rename(older.c_str(), out.backup.c_str());
        }
    };
    if (!Injected(FileStep::WritingInPlace) && WriteInPlace(fd, write, n)) {
        out.stamp = StampOf(fd);
        steps.begin();
        if (::close(fd) == 0) {
            if (!backup)
                ::unlink(copy.c_str());
            settleOlder(false); // the older backup may have been another name of the file
            out.stamp = StampAfter(out.target, out.stamp);
            out.result = WriteResult::Written;
            return out;
        }
        out.stamp = {}; // what reached the disk is not known
    } else {
        const bool stopped = errno == ECANCELED;
        out.failure = Failure(FileStep::WritingInPlace);
        const bool restored = Restore(fd, copy, oldSize, old);
        if (restored)
            out.stamp = StampOf(fd); // putting the times back moved the change time
        steps.begin();
        ::close(fd);
        // Stopped by the user, the older backup comes back too: nothing was saved.
        if (restored && (stopped || !backup)) {
            if (backup) {
                settleOlder(true);
                SyncDirectory(dir);
            } else {
                ::unlink(copy.c_str());
            }
            out.stopped = stopped;
            return out;
        }
    }
    settleOlder(false);
    if (!out.failure.known())
        out.failure = Failure(FileStep::Closing);
    // The copy is all that is sure to hold the old bytes: give it a name a person finds.
    if (!backup) {
        const std::string visible = BackupNameFor(out.target);
        if (::link(copy.c_str(), visible.c_str()) == 0) {
            ::unlink(copy.c_str());
            copy = visible;
        }
    }
    out.keptCopy = copy;
    out.result = WriteResult::FailedOldKept;
    return out;
}

// A second name for the old file, so that it can become the backup only once the new file
// is safely in place: a hard link, or a copy where links are not available.
bool KeepOldFile(const std::string &path, const struct stat &old, const std::string &dir,
                 std::string *keep)
{
    const int fd = MakeTemp(dir, keep);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(keep->c_str());
    if (::link(path.c_str(), keep->c_str()) == 0)
        return true;
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        return false;
    std::int64_t size = 0;
    const bool ok = CopyAside(in, old, dir, keep, &size);
    ::close(in);
    return ok;
}
} // namespace

void SetFreeSpaceCallForTesting(FreeSpaceCall call)
{
    g_freeSpace = call;
}

void SetFailureForTesting(FileStep step, int error)
{
    g_failStep = step;
    g_failError = error;
}

void SetSyncCallForTesting(SyncCall call)
{
    g_sync = call;
}

WriteOutcome WriteFileSafely(const std::string &path, const std::uint8_t *data, std::int64_t n,
                             bool backup)
{
    return WriteFileSafely(
        path, [&](int fd) { return WriteAllAt(fd, data, n, 0); }, n, backup);
}

WriteOutcome WriteFileSafely(const std::string &path, const ContentWriter &write, std::int64_t n,
                             bool backup, const AsideHook &aside, std::int64_t occupies,
                             const OwnStepHook &ownStep)
{
    WriteOutcome out;
    out.target = ResolveLinks(path);
    std::string dir = DirectoryOf(out.target);
    if (dir.empty())
        dir = ".";
    struct stat old;
    const bool exists = ::stat(out.target.c_str(), &old) == 0;
    // Only a file that is not there yet may be created: a link loop or a path the
    // process may not look into is no such file.
    if (!exists && errno != ENOENT) {
        out.failure = Failure(FileStep::LookingUp);
        return out;
    }
    if (exists && !S_ISREG(old.st_mode)) {
        out.failure = FileFailure::Of(FileStep::None, FileProblem::NotRegular);
        out.failure.fileType = std::uint32_t(old.st_mode & S_IFMT);
        return out;
    }
    backup = backup && exists;
    if (backup)
        out.backup = BackupNameFor(out.target);
    // In place, the old bytes are copied aside first and the file grows to n; otherwise a
    // new file of n bytes stands beside the old one until the rename.
    const std::int64_t oldSize = exists ? std::int64_t(old.st_size) : 0;
    const bool inPlace = exists && old.st_nlink > 1;
    const std::int64_t inPlaceNeeds = oldSize + std::max<std::int64_t>(0, n - oldSize);
    if (!RoomFor(out, dir, inPlace ? inPlaceNeeds : occupies < 0 ? n : std::min(occupies, n)))
        return out;
    // Another name of the same file must see the new bytes.
    if (inPlace)
        return WriteOver(out, old, dir, write, n, backup, aside, ownStep);

    std::string temp;
    const int fd = Injected(FileStep::CreatingTemp) ? -1 : MakeTemp(dir, &temp);
    if (fd < 0) {
        out.failure = Failure(FileStep::CreatingTemp);
        return out;
    }
    std::string keep;
    // Linking and renaming the old file, and unlinking the link on failure.
    OwnSteps steps(ownStep);
    auto abandon = [&](FileStep step) {
        out.failure = Failure(step);
        out.stamp = {};
        const SavedErrno saved;
        ::unlink(temp.c_str());
        if (!keep.empty())
            ::unlink(keep.c_str());
        return out;
    };
    if (exists) {
        // The owner first: changing it clears set-id bits, which the mode then restores.
        struct stat now;
        if (::fstat(fd, &now) != 0)
            return ::close(fd), abandon(FileStep::CreatingTemp);
        if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid)
            && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
            ::close(fd);
            ::unlink(temp.c_str());
            if (!RoomFor(out, dir, inPlaceNeeds))
                return out;
            return WriteOver(out, old, dir, write, n, backup, aside, ownStep);
        }
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = exists ? old.st_mode & 07777 : 0666 & ~mask;
    if (n > 0 && (Injected(FileStep::Writing) || !write(fd))) {
        const bool stopped = errno == ECANCELED;
        {
            const SavedErrno keep;
            ::close(fd);
        }
        abandon(FileStep::Writing);
        out.stopped = stopped;
        return out;
    }
    if (::fchmod(fd, mode) != 0 || Injected(FileStep::Syncing) || Sync(fd) != 0)
        return ::close(fd), abandon(FileStep::Syncing);
    out.stamp = StampOf(fd);
    if (::close(fd) != 0)
        return abandon(FileStep::Closing);
    steps.begin();
    if (backup && (Injected(FileStep::MakingBackup) || !KeepOldFile(out.target, old, dir, &keep))) {
        keep.clear();
        return abandon(FileStep::MakingBackup);
    }
    if (Injected(FileStep::Renaming) || ::rename(temp.c_str(), out.target.c_str()) != 0)
        return abandon(FileStep::Renaming);
    out.result = WriteResult::Written;
    out.stamp = StampAfter(out.target, out.stamp); // renaming it moved its change time
    if (backup && ::rename(keep.c_str(), out.backup.c_str()) != 0) {
        out.failure = Failure(FileStep::MakingBackup);
        ::unlink(keep.c_str());
        out.result = WriteResult::WrittenNoBackup;
    }
    steps.end();
    if (Injected(FileStep::SyncingFolder) || !SyncDirectory(dir)) {
        out.failure = Failure(FileStep::SyncingFolder);
        out.result = WriteResult::Failed;
    }
    return out;
}

bool WriteAllAt(int fd, const std::uint8_t *data, std::int64_t n, std::int64_t at)
{
    while (n > 0) {
        const ssize_t w =
            ::pwrite(fd, data, std::size_t(std::min<std::int64_t>(n, 1 << 30)), off_t(at));
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
        at += w;
    }
    return true;
}

} // namespace vtm
