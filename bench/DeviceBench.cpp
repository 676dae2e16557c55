// Disks and partitions: opening a 64 GiB device to a first view, saving one overtyped byte of
// a 4 GiB device in place, and imaging a device into a file with Save as against a plain copy
// of the same bytes in the same run. A loop device is used where the bench may attach one
// (root and losetup); elsewhere a file stands in for the device.
#include "document/BlockDevice.h"
#include "document/Document.h"
#include "document/SafeFile.h"

#include "BenchFiles.h"
#include "BenchReport.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kMiB = std::int64_t(1) << 20;
constexpr std::int64_t kHuge = std::int64_t(64) << 30;
constexpr std::int64_t kBig = std::int64_t(4) << 30;
constexpr std::int64_t kImage = std::int64_t(1) << 30;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

vtmbench::BenchDir g_dir;
std::string g_imageSource; // the device imaged: a loop device, or the file standing in

std::string shell(const std::string &command)
{
    std::string out;
    if (std::FILE *p = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char line[512];
        if (std::fgets(line, sizeof line, p))
            out = line;
        if (::pclose(p) != 0)
            out.clear();
    }
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

bool sparseFile(const std::string &path, std::int64_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool ok = fd >= 0 && ::ftruncate(fd, off_t(size)) == 0;
    return fd >= 0 && ::close(fd) == 0 && ok;
}

void BM_OpenDeviceToFirstView64GiB(benchmark::State &state)
{
    double rss = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        vtm::Document doc;
        if (!doc.loadFile(g_dir / "huge.dev") || !doc.IsDevice()) {
            state.SkipWithError("not opened as a device");
            return;
        }
        std::uint8_t view[640];
        doc.ReadBytes(0, 640, view);
        benchmark::DoNotOptimize(view);
        state.SetIterationTime(secondsSince(t0));
        rss = vtmbench::ResidentMiB();
    }
    state.counters["rss_MiB"] = rss;
}

// One overtyped byte in the middle of 4 GiB, saved in place: one sector written and synced.
void BM_SaveOvertypeInPlace4GiB(benchmark::State &state)
{
    vtm::Document doc;
    if (!doc.loadFile(g_dir / "big.dev") || !doc.IsDevice()) {
        state.SkipWithError("not opened as a device");
        return;
    }
    doc.allowWriting(true);
    std::uint8_t b = 0;
    for (auto _ : state) {
        ++b;
        doc.WriteBytes(kBig / 2 + 7, &b, 1);
        const auto t0 = Clock::now();
        const int fd = ::open((g_dir / "big.dev").c_str(), O_WRONLY);
        const vtm::Document::InPlaceOutcome out = doc.WriteChangedInPlace(fd);
        ::close(fd);
        state.SetIterationTime(secondsSince(t0));
        if (!out.written)
            state.SkipWithError("not written");
    }
}

// Save as of the whole device into a new file, as the editor does it.
void BM_ImageDeviceSaveAs(benchmark::State &state)
{
    vtm::Document doc;
    if (!doc.loadFile(g_imageSource) || !doc.IsDevice()) {
        state.SkipWithError("not opened as a device");
        return;
    }
    const std::string to = g_dir / "image.bin";
    for (auto _ : state) {
        ::sync(); // the last run's dirty pages are not this one's cost
        const auto t0 = Clock::now();
        const vtm::WriteOutcome out = vtm::WriteFileSafely(
            to, [&](int fd) { return doc.WriteTo(fd); }, doc.BufferSize());
        state.SetIterationTime(secondsSince(t0));
        ::unlink(to.c_str());
        if (out.result != vtm::WriteResult::Written)
            state.SkipWithError("not written");
    }
}

// The same bytes by copy_file_range where the kernel copies from the source, else by 1 MiB
// reads and writes as dd does; synced like the editor's copy.
void BM_ImageCopyReference(benchmark::State &state)
{
    const std::string to = g_dir / "copy.bin";
    std::vector<std::uint8_t> block(static_cast<std::size_t>(kMiB));
    for (auto _ : state) {
        ::sync();
        const auto t0 = Clock::now();
        const int in = ::open(g_imageSource.c_str(), O_RDONLY);
        const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::int64_t done = 0;
        bool kernel = true;
        while (in >= 0 && out >= 0 && done < kImage) {
            if (kernel) {
                loff_t a = done, b = done;
                const ssize_t c = ::copy_file_range(in, &a, out, &b, std::size_t(kImage - done), 0);
                if (c > 0) {
                    done += c;
                    continue;
                }
                kernel = false;
            }
            const ssize_t r = ::pread(in, block.data(), block.size(), off_t(done));
            if (r <= 0 || ::pwrite(out, block.data(), std::size_t(r), off_t(done)) != r)
                break;
            done += r;
        }
        if (out >= 0)
            ::fsync(out);
        if (in >= 0)
            ::close(in);
        if (out >= 0)
            ::close(out);
        state.SetIterationTime(secondsSince(t0));
        ::unlink(to.c_str());
        if (done != kImage)
            state.SkipWithError("copy failed");
    }
}

void printRatios(const std::map<std::string, double> &ms, const char *what)
{
    std::printf("\nRatios of the %s times:\n", what);
    vtmbench::PrintRatio(ms, "imaging ÷ plain copy (≤ 1/0.9)", "BM_ImageDeviceSaveAs",
                         "BM_ImageCopyReference", 1.0 / 0.9);
}

} // namespace

BENCHMARK(BM_OpenDeviceToFirstView64GiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_SaveOvertypeInPlace4GiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3);
BENCHMARK(BM_ImageCopyReference)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5);
BENCHMARK(BM_ImageDeviceSaveAs)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    g_dir.make("vtm_bench_device");
    if (!sparseFile(g_dir / "huge.dev", kHuge) || !sparseFile(g_dir / "big.dev", kBig)
        || !vtmbench::WriteRandomFile(g_dir / "image.dev", kImage)) {
        std::printf("could not make the files (disk full?)\n");
        return 1;
    }
    vtm::SetFakeDeviceForTesting(g_dir / "huge.dev", kHuge, 512);
    vtm::SetFakeDeviceForTesting(g_dir / "big.dev", kBig, 512);
    std::string loop;
    if (::geteuid() == 0)
        loop = shell("losetup -f --show '" + (g_dir / "image.dev") + "'");
    if (loop.rfind("/dev/loop", 0) == 0) {
        g_imageSource = loop;
    } else {
        loop.clear();
        g_imageSource = g_dir / "image.dev";
        vtm::SetFakeDeviceForTesting(g_imageSource, kImage, 512);
    }
    // Both copies then read it from the page cache, as the first of them would not.
    {
        std::vector<std::uint8_t> block(static_cast<std::size_t>(kMiB));
        const int fd = ::open(g_imageSource.c_str(), O_RDONLY);
        for (std::int64_t p = 0; fd >= 0 && p < kImage; p += kMiB)
            if (::pread(fd, block.data(), block.size(), off_t(p)) <= 0)
                break;
        if (fd >= 0)
            ::close(fd);
    }
    std::printf("Imaging %s (%s)\n", g_imageSource.c_str(),
                loop.empty() ? "a file standing in for a device" : "a loop device");
    std::fflush(stdout);
    const int result = vtmbench::RunAndPrintRatios(printRatios);
    if (!loop.empty())
        shell("losetup -d '" + loop + "'");
    return result;
}
