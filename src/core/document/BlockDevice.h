#pragma once

#include <cstdint>
#include <string>

struct stat;

namespace vtm {

// Disks, partitions and loop devices. They are read on demand like large files, but their
// size is fixed and tells the system by asking the device, not by its status.
struct DeviceGeometry
{
    std::int64_t size = 0;
    int sectorSize = 512;
};

// Whether the open file with this status is a block device, or a test's stand-in for one.
bool IsDeviceFile(const struct stat &st);
// Its size and sector size; false with errno set when the system cannot tell them.
bool QueryDevice(int fd, const struct stat &st, DeviceGeometry *geometry);

// Tests: the regular file at path counts as a block device of this size and sector size
// (told by its device and inode); an empty path ends every stand-in.
void SetFakeDeviceForTesting(const std::string &path, std::int64_t size, int sectorSize);
// Tests: writing to a device fails with `error` at offset `at`, after the bytes before it
// were written; at < 0 ends it.
void SetDeviceWriteFailureForTesting(std::int64_t at, int error);

// Writes n bytes at offset `at` of the device open as fd; false with errno set, and
// *failedAt where the write stopped, when it failed.
bool WriteToDevice(int fd, const std::uint8_t *bytes, std::int64_t n, std::int64_t at,
                   std::int64_t *failedAt);

} // namespace vtm
