#pragma once

#include "document/FileFailure.h"

#include <cstdint>
#include <string>

struct stat;

namespace vtm {

// What the editor last saw of a file: enough to tell that another program has changed or
// replaced it since. The change time is there because no program can set it back: a rewrite
// that keeps the size and restores the modification time still moves it. The editor's own
// links, renames and mode changes move it too, so whoever does one takes the stamp anew.
// A block device has no times that tell a change: it is its device number and size.
struct FileStamp
{
    bool known = false;
    bool isDevice = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    static FileStamp Of(const struct stat &st);
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

// The stamp of the file open as fd, a block device too; false with errno set when the
// system cannot tell it.
bool StampOfOpen(int fd, FileStamp *stamp);
// The stamp of the file a name leads to now; unknown when there is none.
FileStamp CurrentStamp(const std::string &path);

// The one way the program opens a file for reading: opened first, without blocking (a FIFO
// or device put under the name cannot hang the program), then checked as the open file
// itself to be a regular file or a block device whose size the system tells, and read until
// its end rather than up to the size seen at the start, so that a file that grows, shrinks or
// reports no size (/proc) reads as it is.
class InputFile
{
public:
    enum class Status { Open, CannotOpen, NotRegular };

    explicit InputFile(const std::string &path);
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    Status status() const { return m_status; }
    bool isOpen() const { return m_status == Status::Open; }
    // The size the system reported at opening; 0 for files that report none.
    std::int64_t sizeAtOpen() const { return m_sizeAtOpen; }
    // A block device: its size is fixed, and it is read on demand.
    bool isDevice() const { return m_device; }
    int sectorSize() const { return m_sectorSize; }

    // Up to n bytes, fewer only at the end of the file; -1 on a read error.
    std::int64_t read(std::uint8_t *into, std::int64_t n);
    // Why opening or the last read failed.
    const FileFailure &failure() const { return m_failure; }
    // The open file's stamp now.
    FileStamp stamp() const;
    // Hands the open descriptor over to the caller, who closes it; the file is closed here.
    int release();

private:
    int m_fd = -1;
    Status m_status = Status::CannotOpen;
    std::int64_t m_sizeAtOpen = 0;
    std::int64_t m_position = 0;
    bool m_device = false;
    int m_sectorSize = 0;
    FileFailure m_failure;
};

} // namespace vtm
