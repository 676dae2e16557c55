#pragma once

#include "document/FileFailure.h"
#include "document/InputFile.h"
#include "document/PathNames.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vtm {

enum class WriteResult {
    Written,
    Failed,          // not written (or not known to be on disk); the file is as it was
    FailedOldKept,   // writing in place failed; keptCopy holds the file's old bytes
    WrittenNoBackup, // the file is written, but the old one could not become the backup
    FailedNoSpace,   // not begun: the disk has too little free space; nothing changed
};

struct WriteOutcome
{
    WriteResult result = WriteResult::Failed;
    std::string target;   // the file written: the name with its links followed
    std::string backup;   // the backup's name beside the target, when one was asked for
    std::string keptCopy; // with FailedOldKept: the copy of the old bytes
    FileFailure failure;  // what failed, and why
    // The file as written, or as put back after writing in place failed; unknown when
    // neither.
    FileStamp stamp;
    std::int64_t needed = 0, available = 0; // with FailedNoSpace: bytes
    // The writer gave up with ECANCELED (the user stopped the save) and everything is as it
    // was: the file, its backup, no temporary file. The result is Failed.
    bool stopped = false;
};

// Writes data to the file the name leads to, keeping the identity of an existing one: a
// link stays a link, the new file gets the old one's mode, owner and group. Normally the
// data goes to a temporary file beside the target, checked at every write and synced, and
// is renamed into place (the directory is synced after). Where that would change the file's
// identity (other hard links, or an owner or group this process may not give), the old bytes
// are copied aside first and the file is overwritten in place; a failure then puts the old
// bytes back where it can. With `backup`, the old file ends up under BackupNameFor(target).
WriteOutcome WriteFileSafely(const std::string &path, const std::uint8_t *data, std::int64_t n,
                             bool backup = false);
// The same with the new contents written by a function: it writes n bytes to the file open
// as fd, from offset 0 on, and returns false (errno set) when a write fails.
// Writing in place first copies the old bytes aside; `aside`, when given, is then told the
// copy's name and the overwritten file's device and inode, before anything is overwritten,
// so that a writer reading that very file can read the copy instead. Returning false stops
// the save with the file untouched. A writer that fails with errno ECANCELED was stopped by
// the user: the outcome tells whether everything could be put back as it was.
using ContentWriter = std::function<bool(int fd)>;
using AsideHook =
    std::function<bool(const std::string &copy, std::uint64_t device, std::uint64_t inode)>;
// Told just before (false) and just after (true) each step of the writer's own that links,
// renames or unlinks the old file or the copy `aside` was told of. Such a step moves that
// file's change time, which a reader watching it must not take for another program's change.
using OwnStepHook = std::function<void(bool done)>;
// `occupies` is the disk space the contents take in a new file, less than n when the writer
// leaves holes; -1 means n. Writing in place fills every byte and always needs n.
WriteOutcome WriteFileSafely(const std::string &path, const ContentWriter &write, std::int64_t n,
                             bool backup = false, const AsideHook &aside = {},
                             std::int64_t occupies = -1, const OwnStepHook &ownStep = {});

// Writes n bytes at offset `at` of fd, every write checked; a full disk is ENOSPC.
bool WriteAllAt(int fd, const std::uint8_t *data, std::int64_t n, std::int64_t at);

// The free bytes of the file system holding a directory, -1 when unknown; tests may put a
// stand-in in place of statvfs (nullptr restores it).
using FreeSpaceCall = std::int64_t (*)(const std::string &dir);
void SetFreeSpaceCallForTesting(FreeSpaceCall call);

// Makes WriteFileSafely fail at one step with errno `error`, as the system would there
// (FileStep::None ends it). Steps: Opening, CopyingAside and WritingInPlace of writing in
// place; CreatingTemp, Writing, Syncing, MakingBackup, Renaming and SyncingFolder otherwise.
void SetFailureForTesting(FileStep step, int error);

// Lets tests watch the sync calls of WriteFileSafely; nullptr restores fsync.
using SyncCall = int (*)(int fd);
void SetSyncCallForTesting(SyncCall call);

} // namespace vtm
