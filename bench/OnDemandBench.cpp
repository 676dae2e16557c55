// Files read on demand: opening a 64 GiB sparse image and a 4 GiB file of real data to a
// first view, editing at the front, and finding, counting, comparing and saving through
// 4 GiB, each against reading or copying the same file in the same run. The 4 GiB file is
// read once first, so that it is in the page cache as the targets assume.
#include "analysis/Compare.h"
#include "analysis/Statistics.h"
#include "document/Document.h"
#include "document/SafeFile.h"
#include "edit/TInsertBytesAction.h"
#include "search/SearchBytes.h"

#include "BenchContext.h"
#include "BenchFiles.h"
#include "BenchReport.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kMiB = std::int64_t(1) << 20;
constexpr std::int64_t kBig = std::int64_t(4) << 30;
constexpr std::int64_t kSparse = std::int64_t(64) << 30;
constexpr std::int64_t kNeedleAt = kBig - kMiB - 7; // near the end, off any block boundary
const std::uint8_t kNeedle[16] = {'n', 'e', 'e', 'd', 'l', 'e', 0xF0, 0x0D,
                                  'o', 'n', ' ', 'd', 'e', 'm', 0xA4, 'd'};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

vtmbench::BenchDir g_dir;

bool makeFiles()
{
    g_dir.make("vtm_bench_ondemand");
    // 4 GiB that do not compress, with the needle near the end.
    {
        if (!vtmbench::WriteRandomFile(g_dir / "big.bin", kBig))
            return false;
        const int fd = ::open((g_dir / "big.bin").c_str(), O_WRONLY);
        if (fd < 0)
            return false;
        const bool ok = vtm::WriteAllAt(fd, kNeedle, 16, kNeedleAt);
        if (::close(fd) != 0 || !ok)
            return false;
    }
    // 64 GiB of holes with a few bytes at both ends.
    const int fd = ::open((g_dir / "sparse.bin").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::ftruncate(fd, off_t(kSparse)) == 0 && vtm::WriteAllAt(fd, kNeedle, 16, 0)
                    && vtm::WriteAllAt(fd, kNeedle, 16, kSparse - 16);
    return ::close(fd) == 0 && ok;
}

// Reading the file with 1 MiB preads: the rate every pass over it is held against.
std::int64_t preadAll(const std::string &path)
{
    std::vector<std::uint8_t> block(static_cast<std::size_t>(kMiB));
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::int64_t total = 0;
    for (ssize_t r; fd >= 0 && (r = ::pread(fd, block.data(), block.size(), off_t(total))) > 0;)
        total += r;
    if (fd >= 0)
        ::close(fd);
    return total;
}

// The editor without a window, its document opened on demand.
struct OpenDoc final : vtmbench::BenchContext
{
    explicit OpenDoc(const std::string &path)
    {
        answer = vtm::mrNo;
        ok = Doc().loadFile(path) && Doc().ReadsOnDemand();
    }
    bool ok = false;
};

// The first view: 40 rows of 16 bytes.
void readView(const vtm::Document &doc, std::int64_t at)
{
    std::uint8_t view[640];
    const std::int64_t n = std::min<std::int64_t>(640, doc.BufferSize() - at);
    doc.ReadBytes(at, n, view);
    benchmark::DoNotOptimize(view);
}

// Arg 0: the 64 GiB sparse image; 1: the 4 GiB file. Each iteration opens it anew.
void BM_OpenToFirstView(benchmark::State &state)
{
    const std::string path = g_dir / (state.range(0) == 0 ? "sparse.bin" : "big.bin");
    double rss = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        OpenDoc d(path);
        if (!d.ok) {
            state.SkipWithError("not opened on demand");
            return;
        }
        readView(d.Doc(), 0);
        state.SetIterationTime(secondsSince(t0));
        rss = vtmbench::ResidentMiB();
    }
    state.counters["rss_MiB"] = rss;
}

// Going to the last byte of 64 GiB and reading the view there.
void BM_ReadLastView64GiB(benchmark::State &state)
{
    for (auto _ : state) {
        OpenDoc d(g_dir / "sparse.bin");
        const auto t0 = Clock::now();
        readView(d.Doc(), d.Doc().BufferSize() - 640);
        state.SetIterationTime(secondsSince(t0));
    }
}

// Inserting one byte at offset 0 of the 4 GiB file through the history, and undoing it.
void BM_InsertFrontAndUndo4GiB(benchmark::State &state)
{
    OpenDoc d(g_dir / "big.bin");
    const std::uint8_t b = 0x5A;
    double insert = 0, undo = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        d.History().AddAction(
            std::make_unique<vtm::TInsertBytesAction>(d.NextCommandNumber(), 0, false, 1, &b, 1),
            true);
        insert += secondsSince(t0);
        t0 = Clock::now();
        d.History().Undo();
        undo += secondsSince(t0);
        state.SetIterationTime(insert + undo);
        insert = undo = 0;
    }
}

void BM_Pread4GiB(benchmark::State &state)
{
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(preadAll(g_dir / "big.bin"));
        state.SetIterationTime(secondsSince(t0));
    }
}

void BM_Find4GiB(benchmark::State &state)
{
    OpenDoc d(g_dir / "big.bin");
    const std::vector<std::uint8_t> needle(kNeedle, kNeedle + 16);
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const std::int64_t at = vtm::SearchDocument(d.Doc(), needle, 0, false, false);
        state.SetIterationTime(secondsSince(t0));
        if (at != kNeedleAt)
            state.SkipWithError("needle not found where it is");
    }
}

// The needle at the end of the 64 GiB image from offset 1 on, and back from just before it to
// the one at offset 0 (arg 1): all but two blocks are holes. A fresh document each time, so
// that nothing the source learnt about the holes is kept.
void BM_FindSparse64GiB(benchmark::State &state)
{
    const bool backward = state.range(0) == 1;
    const std::vector<std::uint8_t> needle(kNeedle, kNeedle + 16);
    for (auto _ : state) {
        OpenDoc d(g_dir / "sparse.bin");
        const auto t0 = Clock::now();
        const std::int64_t at =
            vtm::SearchDocument(d.Doc(), needle, backward ? kSparse - 17 : 1, backward, false);
        state.SetIterationTime(secondsSince(t0));
        if (at != (backward ? 0 : kSparse - 16))
            state.SkipWithError("needle not found where it is");
    }
}

void BM_Statistics4GiB(benchmark::State &state)
{
    OpenDoc d(g_dir / "big.bin");
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const vtm::ByteStatistics s = vtm::CountStatistics(d.Doc());
        state.SetIterationTime(secondsSince(t0));
        benchmark::DoNotOptimize(s);
    }
}

// Comparing the document with the file it was opened from: both are read whole.
void BM_Compare4GiB(benchmark::State &state)
{
    OpenDoc d(g_dir / "big.bin");
    for (auto _ : state) {
        const auto t0 = Clock::now();
        vtm::CompareWithFile(d, g_dir / "big.bin");
        state.SetIterationTime(secondsSince(t0));
    }
}

// Reading both: the rate compare is held against.
void BM_PreadTwice4GiB(benchmark::State &state)
{
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(preadAll(g_dir / "big.bin") + preadAll(g_dir / "big.bin"));
        state.SetIterationTime(secondsSince(t0));
    }
}

// The kernel copying the whole file to a new one and syncing it, as saving does. Whatever
// an earlier run left to write back goes to the disk first, untimed.
void BM_CopyFileRange4GiB(benchmark::State &state)
{
    const std::string to = g_dir / "copy.bin";
    for (auto _ : state) {
        ::sync();
        const auto t0 = Clock::now();
        const int in = ::open((g_dir / "big.bin").c_str(), O_RDONLY);
        const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::int64_t left = kBig;
        while (left > 0) {
            const ssize_t c = ::copy_file_range(in, nullptr, out, nullptr, std::size_t(left), 0);
            if (c <= 0)
                break;
            left -= c;
        }
        ::fsync(out);
        ::close(in);
        ::close(out);
        state.SetIterationTime(secondsSince(t0));
        ::unlink(to.c_str());
        if (left != 0)
            state.SkipWithError("copy_file_range failed");
    }
}

// Saving after one overtyped byte in the middle of the 4 GiB file, to a new name.
void BM_SaveAfterOvertype4GiB(benchmark::State &state)
{
    OpenDoc d(g_dir / "big.bin");
    const std::uint8_t b = 0xEE;
    d.Doc().WriteBytes(kBig / 2, &b, 1);
    const std::string to = g_dir / "saved.bin";
    for (auto _ : state) {
        ::sync();
        const auto t0 = Clock::now();
        const vtm::WriteOutcome out = vtm::WriteFileSafely(
            to, [&](int fd) { return d.Doc().WriteTo(fd); }, d.Doc().BufferSize());
        state.SetIterationTime(secondsSince(t0));
        ::unlink(to.c_str());
        if (out.result != vtm::WriteResult::Written)
            state.SkipWithError("not written");
    }
}

void printRatios(const std::map<std::string, double> &ms, const char *what)
{
    std::printf("\nRatios of the %s times (first operation of a fresh document each time):\n",
                what);
    vtmbench::PrintRatio(ms, "find 16 bytes ÷ pread (≤ 1/0.7)", "BM_Find4GiB", "BM_Pread4GiB",
                         1.0 / 0.7);
    vtmbench::PrintRatio(ms, "statistics ÷ pread", "BM_Statistics4GiB", "BM_Pread4GiB", 1.5);
    vtmbench::PrintRatio(ms, "compare ÷ pread of both", "BM_Compare4GiB", "BM_PreadTwice4GiB", 1.5);
    vtmbench::PrintRatio(ms, "save after overtype ÷ copy_file_range", "BM_SaveAfterOvertype4GiB",
                         "BM_CopyFileRange4GiB", 1.2);
}

} // namespace

BENCHMARK(BM_OpenToFirstView)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_ReadLastView64GiB)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_InsertFrontAndUndo4GiB)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(100);
BENCHMARK(BM_Pread4GiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_Find4GiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_FindSparse64GiB)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_Statistics4GiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_PreadTwice4GiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_Compare4GiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_CopyFileRange4GiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_SaveAfterOvertype4GiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("Making a 4 GiB file and a 64 GiB sparse one in %s ...\n",
                std::filesystem::temp_directory_path().c_str());
    std::fflush(stdout);
    if (!makeFiles()) {
        std::printf("could not make the files (disk full?)\n");
        return 1;
    }
    preadAll(g_dir / "big.bin"); // into the page cache
    return vtmbench::RunAndPrintRatios(printRatios);
}
