#include "app/DeviceList.h"

#include "app/JobTexts.h"

#include <algorithm>
#include <cerrno>
#include <limits>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vtm {

namespace {
// sysfs attributes are a line each; a few KiB is far more than any holds.
constexpr std::size_t SmallFileCap = 4096;
// Thousands of mounts (containers, snaps) still fit; a hostile file stops here.
constexpr std::size_t MountInfoCap = std::size_t(8) << 20;
// A folder of more names than this is not a sysfs folder.
constexpr int DirEntryCap = 65536;

// Up to cap bytes of a regular file; false when it cannot be opened. Never blocks: a FIFO or
// device put in place of an attribute is refused, not waited on.
bool ReadFile(const std::string &path, std::size_t cap, std::string *out)
{
    out->clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    char buffer[4096];
    while (out->size() < cap) {
        const std::size_t want = std::min(sizeof buffer, cap - out->size());
        const ssize_t n = ::read(fd, buffer, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out->append(buffer, std::size_t(n));
    }
    ::close(fd);
    return true;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A decimal number alone on its line (blanks around it allowed); saturates rather than wraps.
bool ParseNumber(const std::string &text, std::uint64_t *value)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    const std::size_t first = i;
    std::uint64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const unsigned d = unsigned(text[i] - '0');
        v = v > (std::numeric_limits<std::uint64_t>::max() - d) / 10
                ? std::numeric_limits<std::uint64_t>::max()
                : v * 10 + d;
    }
    if (i == first)
        return false;
    for (; i < text.size(); ++i)
        if (!IsBlank(text[i]))
            return false;
    *value = v;
    return true;
}

bool ReadNumber(const std::string &path, std::uint64_t *value)
{
    std::string text;
    return ReadFile(path, SmallFileCap, &text) && ParseNumber(text, value);
}

// The "size" file counts 512-byte units whatever the sector size.
std::int64_t ReadSize(const std::string &dir)
{
    std::uint64_t sectors = 0;
    if (!ReadNumber(dir + "/size", &sectors))
        return 0;
    constexpr std::uint64_t most = std::uint64_t(std::numeric_limits<std::int64_t>::max()) / 512;
    return std::int64_t(std::min(sectors, most) * 512);
}

bool ParseDev(const std::string &text, std::uint32_t *major, std::uint32_t *minor)
{
    const std::size_t colon = text.find(':');
    std::uint64_t a = 0, b = 0;
    if (colon == std::string::npos || !ParseNumber(text.substr(0, colon), &a)
        || !ParseNumber(text.substr(colon + 1), &b) || a > 0xffffffffu || b > 0xffffffffu)
        return false;
    // Blanks inside "8 :1" are no device number either.
    if (colon == 0 || IsBlank(text[colon - 1]) || colon + 1 >= text.size()
        || IsBlank(text[colon + 1]))
        return false;
    *major = std::uint32_t(a);
    *minor = std::uint32_t(b);
    return true;
}

bool ReadDev(const std::string &dir, std::uint32_t *major, std::uint32_t *minor)
{
    std::string text;
    return ReadFile(dir + "/dev", SmallFileCap, &text) && ParseDev(text, major, minor);
}

bool ReadFlag(const std::string &path)
{
    std::uint64_t v = 0;
    return ReadNumber(path, &v) && v == 1;
}

void AppendUtf8(std::string *s, std::uint32_t c)
{
    if (c < 0x80) {
        *s += char(c);
    } else if (c < 0x800) {
        *s += char(0xC0 | (c >> 6));
        *s += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *s += char(0xE0 | (c >> 12));
        *s += char(0x80 | ((c >> 6) & 0x3F));
        *s += char(0x80 | (c & 0x3F));
    } else {
        *s += char(0xF0 | (c >> 18));
        *s += char(0x80 | ((c >> 12) & 0x3F));
        *s += char(0x80 | ((c >> 6) & 0x3F));
        *s += char(0x80 | (c & 0x3F));
    }
}

// Text fit to show: valid UTF-8, control characters as blanks, blanks trimmed off both ends.
std::string Printable(const std::string &raw)
{
    std::string s;
    const auto *p = reinterpret_cast<const unsigned char *>(raw.data());
    const std::size_t n = raw.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned b = p[i];
        std::uint32_t c = 0xFFFD;
        std::size_t len = 1;
        if (b < 0x80) {
            c = b;
        } else {
            const std::size_t need = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
            if (need > 0 && b < 0xF5 && i + need <= n) {
                std::uint32_t v = b & (0xFF >> (need + 1));
                bool ok = true;
                for (std::size_t k = 1; k < need && ok; ++k) {
                    ok = (p[i + k] & 0xC0) == 0x80;
                    v = (v << 6) | (p[i + k] & 0x3F);
                }
                const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
                if (ok && v >= least[need] && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF)) {
                    c = v;
                    len = need;
                }
            }
        }
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0))
            c = ' ';
        AppendUtf8(&s, c);
        i += len;
    }
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The first line of a small text file, fit to show.
std::string ReadLine(const std::string &path)
{
    std::string text;
    if (!ReadFile(path, SmallFileCap, &text))
        return {};
    return Printable(text.substr(0, text.find('\n')));
}

std::vector<std::string> ListDir(const std::string &path)
{
    std::vector<std::string> names;
    DIR *dir = ::opendir(path.c_str());
    if (!dir)
        return names;
    while (const dirent *d = ::readdir(dir)) {
        const std::string name = d->d_name;
        if (name == "." || name == "..")
            continue;
        names.push_back(name);
        if (int(names.size()) >= DirEntryCap)
            break;
    }
    ::closedir(dir);
    return names;
}

// The device path of a sysfs name, which writes a path's "/" as "!"; empty for a name no
// kernel gives, so a hostile tree cannot point outside devRoot.
std::string DevicePath(const std::string &devRoot, const std::string &name)
{
    std::string rel;
    for (char c : name) {
        if (c <= ' ' || c > '~' || c == '/')
            return {};
        rel += c == '!' ? '/' : c;
    }
    std::size_t start = 0;
    while (start <= rel.size()) {
        std::size_t end = rel.find('/', start);
        if (end == std::string::npos)
            end = rel.size();
        const std::string part = rel.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return {};
        start = end + 1;
    }
    return devRoot + "/" + rel;
}

// "sda2" before "sda10": runs of digits compare by value.
bool NaturalLess(const std::string &a, const std::string &b)
{
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && digit(a[ei]))
                ++ei;
            while (ej < b.size() && digit(b[ej]))
                ++ej;
            std::size_t zi = i, zj = j;
            while (zi + 1 < ei && a[zi] == '0')
                ++zi;
            while (zj + 1 < ej && b[zj] == '0')
                ++zj;
            if (ei - zi != ej - zj)
                return ei - zi < ej - zj;
            const int c = a.compare(zi, ei - zi, b, zj, ej - zj);
            if (c != 0)
                return c < 0;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j])
                return (unsigned char)a[i] < (unsigned char)b[j];
            ++i;
            ++j;
        }
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j;
    return a < b;
}

struct Mount
{
    std::uint32_t major = 0, minor = 0;
    std::string point;
};

// The mount point field writes blank, tab, newline and backslash as \ooo.
std::string Unescape(const std::string &field)
{
    const auto oct = [](char c) { return c >= '0' && c <= '7'; };
    std::string s;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && oct(field[i + 1]) && oct(field[i + 2])
            && oct(field[i + 3])) {
            const int v =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            // \000 would put a NUL into a path; it stays as written.
            if (v > 0 && v < 256) {
                s += char(v);
                i += 3;
                continue;
            }
        }
        if (field[i] != '\0')
            s += field[i];
    }
    return s;
}

std::vector<Mount> ReadMounts(const std::string &mountInfo)
{
    std::vector<Mount> mounts;
    std::string text;
    if (!ReadFile(mountInfo, MountInfoCap, &text))
        return mounts;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        // Fields: id, parent id, MAJ:MIN, root, mount point, …
        std::string fields[5];
        std::size_t f = 0, pos = start;
        while (f < 5 && pos <= end) {
            std::size_t blank = text.find(' ', pos);
            if (blank == std::string::npos || blank > end)
                blank = end;
            fields[f++] = text.substr(pos, blank - pos);
            pos = blank + 1;
        }
        Mount m;
        if (f == 5 && !fields[4].empty() && ParseDev(fields[2], &m.major, &m.minor)) {
            m.point = Unescape(fields[4]);
            if (!m.point.empty())
                mounts.push_back(std::move(m));
        }
        start = end + 1;
    }
    return mounts;
}

void AddMounts(const std::vector<Mount> &mounts, std::uint32_t major, std::uint32_t minor,
               std::vector<std::string> *out)
{
    for (const Mount &m : mounts)
        if (m.major == major && m.minor == minor
            && std::find(out->begin(), out->end(), m.point) == out->end())
            out->push_back(m.point);
}

bool IsPartitionDir(const std::string &dir)
{
    std::string text;
    return ReadFile(dir + "/partition", SmallFileCap, &text);
}

// A disk's partition folders, by their number.
std::vector<std::string> PartitionNames(const std::string &diskDir)
{
    struct Part
    {
        std::uint64_t number;
        std::string name;
    };
    std::vector<Part> parts;
    for (const std::string &name : ListDir(diskDir)) {
        std::string text;
        if (!ReadFile(diskDir + "/" + name + "/partition", SmallFileCap, &text))
            continue;
        std::uint64_t number = std::numeric_limits<std::uint64_t>::max();
        ParseNumber(text, &number);
        parts.push_back({number, name});
    }
    std::sort(parts.begin(), parts.end(), [](const Part &a, const Part &b) {
        return a.number != b.number ? a.number < b.number : NaturalLess(a.name, b.name);
    });
    std::vector<std::string> names;
    for (Part &p : parts)
        names.push_back(std::move(p.name));
    return names;
}

// The mounts of the devices stacked on the one in dir (LVM volumes, dm-crypt, RAID).
void AddHolderMounts(const std::vector<Mount> &mounts, const std::string &dir,
                     std::vector<std::string> *out)
{
    for (const std::string &holder : ListDir(dir + "/holders")) {
        std::uint32_t major = 0, minor = 0;
        if (ReadDev(dir + "/holders/" + holder, &major, &minor))
            AddMounts(mounts, major, minor, out);
    }
}

bool HasDev(const std::string &dir, std::uint32_t major, std::uint32_t minor)
{
    std::uint32_t a = 0, b = 0;
    return ReadDev(dir, &a, &b) && a == major && b == minor;
}

// The sysfs folder of major:minor; empty when it is not found.
std::string DeviceDir(std::uint32_t major, std::uint32_t minor, const std::string &sysRoot)
{
    const std::string link =
        sysRoot + "/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    if (HasDev(link, major, minor))
        return link;
    const std::string block = sysRoot + "/block";
    for (const std::string &disk : ListDir(block)) {
        const std::string dir = block + "/" + disk;
        if (HasDev(dir, major, minor))
            return dir;
        for (const std::string &part : PartitionNames(dir))
            if (HasDev(dir + "/" + part, major, minor))
                return dir + "/" + part;
    }
    return {};
}

} // namespace

std::vector<BlockDeviceEntry> ListBlockDevices(const std::string &sysRoot,
                                               const std::string &mountInfo,
                                               const std::string &devRoot)
{
    const std::vector<Mount> mounts = ReadMounts(mountInfo);
    const std::string block = sysRoot + "/block";
    std::vector<std::string> disks = ListDir(block);
    std::sort(disks.begin(), disks.end(), NaturalLess);

    std::vector<BlockDeviceEntry> entries;
    const auto fill = [&](BlockDeviceEntry &e, const std::string &dir) {
        e.size = ReadSize(dir);
        ReadDev(dir, &e.major, &e.minor);
        e.readOnly = ReadFlag(dir + "/ro");
        e.removable = ReadFlag(dir + "/removable");
        if (e.major != 0 || e.minor != 0)
            AddMounts(mounts, e.major, e.minor, &e.mountPoints);
    };
    for (const std::string &name : disks) {
        const std::string dir = block + "/" + name;
        BlockDeviceEntry disk;
        disk.name = name;
        disk.path = DevicePath(devRoot, name);
        if (disk.path.empty())
            continue;
        fill(disk, dir);
        if (disk.size <= 0)
            continue;
        disk.model = ReadLine(dir + "/device/model");
        if (disk.model.empty())
            disk.model = ReadLine(dir + "/device/name");
        if (disk.model.empty()) {
            const std::string backing = ReadLine(dir + "/loop/backing_file");
            if (!backing.empty())
                disk.model = "loop: " + backing;
        }
        entries.push_back(disk);
        for (const std::string &partName : PartitionNames(dir)) {
            BlockDeviceEntry part;
            part.name = partName;
            part.path = DevicePath(devRoot, partName);
            if (part.path.empty())
                continue;
            part.partition = true;
            part.parent = name;
            fill(part, dir + "/" + partName);
            part.removable = part.removable || disk.removable;
            entries.push_back(std::move(part));
        }
    }
    return entries;
}

std::vector<std::string> MountPointsOf(std::uint32_t major, std::uint32_t minor,
                                       const std::string &sysRoot, const std::string &mountInfo)
{
    const std::vector<Mount> mounts = ReadMounts(mountInfo);
    std::vector<std::string> points;
    AddMounts(mounts, major, minor, &points);
    const std::string dir = DeviceDir(major, minor, sysRoot);
    if (dir.empty())
        return points;
    AddHolderMounts(mounts, dir, &points);
    if (IsPartitionDir(dir))
        return points;
    for (const std::string &part : PartitionNames(dir)) {
        const std::string partDir = dir + "/" + part;
        std::uint32_t a = 0, b = 0;
        if (ReadDev(partDir, &a, &b))
            AddMounts(mounts, a, b, &points);
        AddHolderMounts(mounts, partDir, &points);
    }
    return points;
}

std::string DeviceSizeText(std::int64_t bytes, Language language)
{
    const bool german = IsGerman(language);
    if (bytes < 0)
        bytes = 0;
    static const char *const units[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB"};
    int k = 0;
    while (k < 5 && bytes >= (std::int64_t(1) << (10 * (k + 1))))
        ++k;
    const auto tenthsAt = [bytes](int unit) {
        // Whole units and the rest apart, so bytes * 10 cannot overflow.
        const std::uint64_t b = std::uint64_t(bytes), scale = std::uint64_t(1) << (10 * unit);
        return b / scale * 10 + (b % scale * 10 + scale / 2) / scale;
    };
    std::uint64_t tenths = tenthsAt(k);
    // 1023.96 KiB rounds up to the next unit rather than to "1024 KiB".
    if (tenths >= 10240 && k < 5)
        tenths = tenthsAt(++k);
    std::string s = std::to_string(tenths / 10);
    if (tenths % 10 != 0 && k > 0)
        s += (german ? "," : ".") + std::to_string(tenths % 10);
    s += std::string(" ") + units[k] + " (" + GroupedNumber(bytes, language) + " ";
    if (bytes == 1)
        s += german ? "Byte)" : "byte)";
    else
        s += german ? "Bytes)" : "bytes)";
    return s;
}

std::vector<std::string> DeviceListHeaders(Language language)
{
    if (IsGerman(language))
        return {"Gerät", "Größe", "Modell", "Eingehängt in"};
    return {"Device", "Size", "Model", "Mounted on"};
}

std::vector<std::string> DeviceListCells(const BlockDeviceEntry &e, Language language)
{
    const bool german = IsGerman(language);
    std::string model = Printable(e.model);
    std::string flags;
    if (e.readOnly)
        flags = german ? "schreibgeschützt" : "read-only";
    if (e.removable)
        flags += std::string(flags.empty() ? "" : ", ") + (german ? "wechselbar" : "removable");
    if (!flags.empty())
        model += (model.empty() ? "(" : " (") + flags + ")";
    std::string mounted;
    for (const std::string &point : e.mountPoints)
        mounted += (mounted.empty() ? "" : ", ") + Printable(point);
    if (mounted.empty())
        mounted = "\xE2\x80\x93"; // en dash
    return {Printable(e.path), DeviceSizeText(e.size, language), model, mounted};
}

DeviceChooserTexts DeviceChooserTextsOf(Language language)
{
    if (IsGerman(language))
        return {"Datenträger und Partitionen",
                "Wählen Sie einen Datenträger oder eine Partition zum Öffnen. Er wird "
                "schreibgeschützt geöffnet.",
                "Es wurden keine Datenträger oder Partitionen gefunden.", "&Öffnen", "Abbrechen"};
    return {"Disks and partitions", "Choose a disk or partition to open. It opens read-only.",
            "No disks or partitions were found.", "&Open", "Cancel"};
}

} // namespace vtm
