#pragma once

#include "document/Language.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vtm {

// One disk or partition the machine offers, as sysfs describes it.
struct BlockDeviceEntry
{
    std::string name;      // "sda", "sda1", "loop0", "nvme0n1p2"
    std::string path;      // devRoot + "/" + name, e.g. "/dev/sda1"
    std::int64_t size = 0; // bytes
    std::string model;     // device/model (or device/name), trimmed, UTF-8-safe; empty when none
    bool partition = false;
    std::string parent; // the disk's name, for a partition
    std::uint32_t major = 0, minor = 0;
    bool readOnly = false;  // the "ro" file says 1
    bool removable = false; // the "removable" file says 1 (a partition inherits its disk's)
    std::vector<std::string> mountPoints; // where this device itself is mounted
};

// The disks under sysRoot/block (in name order, numbers compared by value), each followed by
// its partitions (the subfolders holding a "partition" file, sorted by their number). Missing
// or damaged files leave the field at its default; an entry whose "dev" cannot be read is
// still listed. Disks of size 0 (empty loop devices, ejected card readers) are left out.
// A "!" in a sysfs name stands for a "/" of the device path ("cciss!c0d0").
std::vector<BlockDeviceEntry>
ListBlockDevices(const std::string &sysRoot = "/sys",
                 const std::string &mountInfo = "/proc/self/mountinfo",
                 const std::string &devRoot = "/dev");

// Where major:minor is mounted; for a whole disk also where its partitions are (found through
// sysRoot/dev/block/MAJ:MIN, else the sysRoot/block tree), and for both where the devices
// stacked directly on them (their "holders": LVM, dm-crypt, RAID) are. Used before allowing
// writes to a device.
std::vector<std::string> MountPointsOf(std::uint32_t major, std::uint32_t minor,
                                       const std::string &sysRoot = "/sys",
                                       const std::string &mountInfo = "/proc/self/mountinfo");

// The chooser's column titles and one row's cells in the user's language:
// Device, Size, Model, Mounted on.
std::vector<std::string> DeviceListHeaders(Language language);
std::vector<std::string> DeviceListCells(const BlockDeviceEntry &e, Language language);

// "64 MiB (67,108,864 bytes)": a short binary unit with up to one decimal, then the exact count.
std::string DeviceSizeText(std::int64_t bytes, Language language);

// The chooser's own texts.
struct DeviceChooserTexts
{
    std::string title, prompt, empty, open, cancel;
};
DeviceChooserTexts DeviceChooserTextsOf(Language language);

} // namespace vtm
