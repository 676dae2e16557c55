// The device list reads sysfs and mountinfo, which a test can only fake: a tree of the same
// shape in a temporary folder, written well-formed, damaged and at random.
#include "ScriptedHost.h"

#include "app/DeviceList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <random>

#include <sys/stat.h>
#include <unistd.h>

using namespace vtm;
using namespace vtmtest;

namespace {
namespace fs = std::filesystem;

void Write(const std::string &path, const std::string &text)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

void Device(const std::string &dir, const std::string &sectors, const std::string &dev)
{
    Write(dir + "/size", sectors);
    Write(dir + "/dev", dev);
}

// Two disks (one partitioned, one a loop device), an empty loop device, a damaged disk and
// names no kernel gives.
struct FakeSys
{
    TempDir dir;
    std::string sys = dir / "sys", mountInfo = dir / "mountinfo";

    FakeSys()
    {
        const std::string sda = sys + "/block/sda";
        Device(sda, "131072\n", "8:0\n");
        Write(sda + "/device/model", "ATA Disk        \n");
        Write(sda + "/ro", "0\n");
        Write(sda + "/queue/size", "1\n"); // no "partition" file: not a partition
        // In number order sda2 comes first, in text order sda10.
        Device(sda + "/sda10", "2048\n", "8:10\n");
        Write(sda + "/sda10/partition", "10\n");
        Device(sda + "/sda2", "4096", "8:2"); // no newlines
        Write(sda + "/sda2/partition", "2\n");
        Write(sda + "/sda10/holders/dm-0/dev", "253:0\n");
        fs::create_directories(sys + "/dev/block");
        fs::create_directory_symlink("../../block/sda", sys + "/dev/block/8:0");

        Device(sys + "/block/loop0", "2048\n", "7:0\n");
        Write(sys + "/block/loop0/ro", "1\n");
        Write(sys + "/block/loop0/loop/backing_file", "/home/u/disk image.img\n");
        Device(sys + "/block/loop1", "0\n", "7:1\n");

        Device(sys + "/block/sdb", "99999999999999999999999999\n", "8:x\n");
        Write(sys + "/block/sdb/removable", "1\n");
        Write(sys + "/block/sdb/device/model", std::string("Card\0\x01Reader\xff", 13));

        Device(sys + "/block/bad name", "8\n", "9:9\n");
        Device(sys + "/block/..!etc", "8\n", "9:8\n");
        fs::create_directory_symlink("sdloop", sys + "/block/sdloop");

        Write(mountInfo, "22 1 8:2 / /mnt/my\\040disk rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
                         "23 1 8:10 / /boot rw - ext4 /dev/sda10 rw\n"
                         "24 1 7:0 / /snap/x rw - squashfs /dev/loop0 ro\n"
                         "25 1 0:5 / /proc rw - proc proc rw\n"
                         "26 1 8:2 /sub /srv rw - ext4 /dev/sda2 rw\n"
                         "27 1 8:2 / /mnt/my\\040disk rw - ext4 /dev/sda2 rw\n"
                         "28 1 253:0 / /home rw - ext4 /dev/mapper/vg-home rw");
    }
};

const BlockDeviceEntry *Find(const std::vector<BlockDeviceEntry> &list, const std::string &name)
{
    for (const BlockDeviceEntry &e : list)
        if (e.name == name)
            return &e;
    return nullptr;
}

using Strings = std::vector<std::string>;
} // namespace

TEST(DeviceList, ListsDisksWithTheirPartitionsInOrder)
{
    FakeSys f;
    const auto list = ListBlockDevices(f.sys, f.mountInfo, "/devroot");
    Strings names;
    for (const BlockDeviceEntry &e : list)
        names.push_back(e.name);
    EXPECT_EQ(names, (Strings{"loop0", "sda", "sda2", "sda10", "sdb"}));

    const BlockDeviceEntry &sda = *Find(list, "sda");
    EXPECT_EQ(sda.path, "/devroot/sda");
    EXPECT_EQ(sda.size, 64 << 20);
    EXPECT_EQ(sda.model, "ATA Disk");
    EXPECT_FALSE(sda.partition || sda.readOnly || sda.removable);
    EXPECT_EQ(sda.major, 8u);
    EXPECT_EQ(sda.minor, 0u);
    EXPECT_TRUE(sda.mountPoints.empty());

    const BlockDeviceEntry &sda2 = *Find(list, "sda2");
    EXPECT_TRUE(sda2.partition);
    EXPECT_EQ(sda2.parent, "sda");
    EXPECT_EQ(sda2.size, 4096 * 512);
    EXPECT_EQ(sda2.minor, 2u);
    EXPECT_EQ(sda2.mountPoints, (Strings{"/mnt/my disk", "/srv"}));
    EXPECT_EQ(Find(list, "sda10")->mountPoints, Strings{"/boot"});

    const BlockDeviceEntry &loop0 = *Find(list, "loop0");
    EXPECT_EQ(loop0.model, "loop: /home/u/disk image.img");
    EXPECT_TRUE(loop0.readOnly);
    EXPECT_EQ(loop0.mountPoints, Strings{"/snap/x"});

    // Damaged: the size is clamped, the number unread, the model cleaned; still listed.
    const BlockDeviceEntry &sdb = *Find(list, "sdb");
    EXPECT_EQ(sdb.size, std::numeric_limits<std::int64_t>::max() / 512 * 512);
    EXPECT_EQ(sdb.major, 0u);
    EXPECT_TRUE(sdb.removable);
    EXPECT_EQ(sdb.model, "Card  Reader\xEF\xBF\xBD");
}

TEST(DeviceList, MountPointsOfSeeThroughPartitionsAndHolders)
{
    FakeSys f;
    EXPECT_EQ(MountPointsOf(8, 2, f.sys, f.mountInfo), (Strings{"/mnt/my disk", "/srv"}));
    EXPECT_EQ(MountPointsOf(8, 10, f.sys, f.mountInfo), (Strings{"/boot", "/home"}));
    const Strings whole{"/mnt/my disk", "/srv", "/boot", "/home"};
    EXPECT_EQ(MountPointsOf(8, 0, f.sys, f.mountInfo), whole);
    // Without the dev/block link the disk is found in the block tree.
    fs::remove(f.sys + "/dev/block/8:0");
    EXPECT_EQ(MountPointsOf(8, 0, f.sys, f.mountInfo), whole);
    EXPECT_EQ(MountPointsOf(7, 0, f.sys, f.mountInfo), Strings{"/snap/x"});
    EXPECT_TRUE(MountPointsOf(9, 9, f.sys, f.mountInfo).empty());
    EXPECT_TRUE(MountPointsOf(8, 2, f.sys, f.dir / "missing").empty());
}

TEST(DeviceList, CellsInBothLanguages)
{
    EXPECT_EQ(DeviceListHeaders(LanguageEnglish),
              (Strings{"Device", "Size", "Model", "Mounted on"}));
    EXPECT_EQ(DeviceListHeaders(LanguageGerman),
              (Strings{"Gerät", "Größe", "Modell", "Eingehängt in"}));

    BlockDeviceEntry e;
    e.path = "/dev/sdb1";
    e.size = 64 << 20;
    e.model = "Stick";
    e.readOnly = e.removable = true;
    e.mountPoints = {"/media/a", "/media/b"};
    EXPECT_EQ(DeviceListCells(e, LanguageEnglish),
              (Strings{"/dev/sdb1", "64 MiB (67,108,864 bytes)", "Stick (read-only, removable)",
                       "/media/a, /media/b"}));
    e.model.clear();
    e.readOnly = false;
    e.mountPoints.clear();
    EXPECT_EQ(DeviceListCells(e, LanguageGerman),
              (Strings{"/dev/sdb1", "64 MiB (67.108.864 Bytes)", "(wechselbar)", "\xE2\x80\x93"}));

    const std::pair<std::int64_t, const char *> sizes[] = {
        {0, "0 B (0 bytes)"},
        {1, "1 B (1 byte)"},
        {1023, "1023 B (1,023 bytes)"},
        {1536, "1.5 KiB (1,536 bytes)"},
        {(1 << 20) - 1, "1 MiB (1,048,575 bytes)"}, // rounds up into the next unit
        {std::int64_t(1000) << 30, "1000 GiB (1,073,741,824,000 bytes)"},
        {std::numeric_limits<std::int64_t>::max(), "8192 PiB (9,223,372,036,854,775,807 bytes)"},
    };
    for (const auto &[bytes, text] : sizes)
        EXPECT_EQ(DeviceSizeText(bytes, LanguageEnglish), text) << bytes;
    EXPECT_EQ(DeviceSizeText(1536, LanguageGerman), "1,5 KiB (1.536 Bytes)");
}

TEST(DeviceList, SurvivesRandomFiles)
{
    TempDir dir;
    const std::string sys = dir / "sys", sda = sys + "/block/sda", part = sda + "/sda1";
    // Fixed traps: a FIFO for an attribute (opening must not block) and a link loop.
    fs::create_directories(sda);
    ASSERT_EQ(::mkfifo((sda + "/ro").c_str(), 0600), 0);
    fs::create_directories(sys + "/dev/block");
    fs::create_symlink("8:0", sys + "/dev/block/8:0");

    std::mt19937_64 rng(20240611);
    const auto pick = [&](std::size_t n) { return std::size_t(rng() % n); };
    const auto junk = [&]() -> std::string {
        switch (pick(7)) {
        case 0: {
            std::string s(pick(80), '\0');
            for (char &c : s)
                c = char(rng());
            return s;
        }
        case 1: return std::string(pick(20) + 1, '9') + (pick(2) ? "\n" : "");
        case 2: return std::to_string(rng() % 5000) + ":" + std::to_string(rng() % 5000);
        case 3: return "4294967296:" + std::to_string(rng());
        case 4: return std::string(pick(20000), 'x');
        case 5: return std::to_string(rng() % 3) + "\n";
        default: return "";
        }
    };
    const char *const fields[] = {"\\040", "\\000", "\\777", "\\1", "\\",
                                  "/m",    " ",     "8:0",   "8:1", "x"};
    for (int round = 0; round < 200; ++round) {
        for (const std::string &d : {sda, part}) {
            Write(d + "/size", junk());
            Write(d + "/dev", junk());
            Write(d + "/partition", junk());
            Write(d + "/removable", junk());
            Write(d + "/holders/h/dev", junk());
        }
        Write(sda + "/device/model", junk());
        Write(sda + "/loop/backing_file", junk());
        std::string info;
        for (std::size_t line = pick(6); line-- > 0;) {
            info += pick(4) == 0 ? junk() : "1 2 8:" + std::to_string(pick(3)) + " / ";
            for (std::size_t k = pick(5); k-- > 0;)
                info += fields[pick(std::size(fields))];
            info += pick(2) ? " rw - ext4\n" : "\n";
        }
        Write(dir / "mountinfo", info);

        const auto list = ListBlockDevices(sys, dir / "mountinfo", "/dev");
        for (const BlockDeviceEntry &e : list) {
            EXPECT_GE(e.size, 0);
            Strings all{e.name, e.path, e.model, e.parent};
            all.insert(all.end(), e.mountPoints.begin(), e.mountPoints.end());
            for (const std::string &c :
                 DeviceListCells(e, pick(2) ? LanguageGerman : LanguageEnglish))
                all.push_back(c);
            for (const std::string &s : all)
                EXPECT_EQ(s.find('\0'), std::string::npos) << round;
        }
        for (const std::string &p :
             MountPointsOf(8, std::uint32_t(pick(3)), sys, dir / "mountinfo"))
            EXPECT_EQ(p.find('\0'), std::string::npos) << round;
    }
}

TEST(DeviceList, RealMachine)
{
    for (const BlockDeviceEntry &e : ListBlockDevices()) {
        EXPECT_EQ(e.path.rfind("/dev/", 0), 0u) << e.path;
        EXPECT_GE(e.size, 0);
        MountPointsOf(e.major, e.minor);
    }
}
