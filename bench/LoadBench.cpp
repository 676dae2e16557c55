// Loading a large file: Document::loadFile against plain memcpy and vector + read,
// plus the resident memory a loaded document costs.
#include "document/Document.h"

#include "BenchReport.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kFileSize = std::int64_t(256) << 20;
constexpr double kMiB = 1024.0 * 1024.0;

// Removed by its destructor, which also runs when the process leaves through exit().
struct TempFile
{
    std::filesystem::path path;
    ~TempFile()
    {
        if (!path.empty()) {
            std::error_code ec;
            std::filesystem::remove(path, ec);
        }
    }
};
TempFile g_file;

void createFile()
{
    g_file.path = std::filesystem::temp_directory_path()
                  / ("vtm_bench_load_" + std::to_string(::getpid()) + ".bin");
    std::ofstream out(g_file.path, std::ios::binary | std::ios::trunc);
    std::vector<std::uint64_t> chunk((1 << 20) / sizeof(std::uint64_t));
    std::uint64_t x = 0x9E3779B97F4A7C15ull;
    for (std::int64_t done = 0; done < kFileSize; done += 1 << 20) {
        for (auto &w : chunk) { // xorshift64: cheap bytes that do not compress
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            w = x;
        }
        out.write(reinterpret_cast<const char *>(chunk.data()), std::streamsize(1 << 20));
    }
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", g_file.path.c_str());
        std::exit(1);
    }
}

// Reads the file through the OS read path; returns the bytes read.
std::int64_t readInto(std::uint8_t *dst, std::int64_t n)
{
    const int fd = ::open(g_file.path.c_str(), O_RDONLY);
    if (fd < 0)
        return 0;
    std::int64_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd, dst + got, std::size_t(n - got));
        if (r <= 0)
            break;
        got += r;
    }
    ::close(fd);
    return got;
}

void warmPageCache()
{
    std::vector<std::uint8_t> chunk(1 << 20);
    const int fd = ::open(g_file.path.c_str(), O_RDONLY);
    while (fd >= 0 && ::read(fd, chunk.data(), chunk.size()) > 0) {
    }
    if (fd >= 0)
        ::close(fd);
}

double rssMiB()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0; // reported in kB
    return 0;
}

void BM_Memcpy256(benchmark::State &state)
{
    // Both buffers touched beforehand so page faults stay out of the timing.
    std::vector<std::uint8_t> src(std::size_t(kFileSize), 0x5A);
    std::vector<std::uint8_t> dst(std::size_t(kFileSize), 0);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), dst.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

// The first touch of memory the system has never handed out can cost ten times a normal
// load under a hypervisor that backs guest memory lazily; two untimed rounds per process
// keep that out of the steady-state figures (the cold load is reported on its own).
template <typename Load> void warmUpOnce(bool &done, Load load)
{
    if (done)
        return;
    done = true;
    for (int i = 0; i < 2; ++i)
        load();
}

void BM_VectorPlusRead256(benchmark::State &state)
{
    static bool warm = false;
    warmUpOnce(warm, [] {
        std::vector<std::uint8_t> v(static_cast<std::size_t>(kFileSize));
        benchmark::DoNotOptimize(readInto(v.data(), kFileSize));
    });
    for (auto _ : state) {
        auto v = std::make_unique<std::vector<std::uint8_t>>(std::size_t(kFileSize));
        if (readInto(v->data(), kFileSize) != kFileSize)
            state.SkipWithError("short read");
        benchmark::DoNotOptimize(v->data());
        state.PauseTiming(); // freeing is not part of loading
        v.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_DocumentLoad256(benchmark::State &state)
{
    static bool warm = false;
    warmUpOnce(warm, [] {
        vtm::Document d;
        benchmark::DoNotOptimize(d.loadFile(g_file.path.string()));
    });
    for (auto _ : state) {
        auto doc = std::make_unique<vtm::Document>();
        if (!doc->loadFile(g_file.path.string()) || doc->BufferSize() != kFileSize)
            state.SkipWithError("loadFile failed");
        benchmark::DoNotOptimize(doc->ByteAt(0));
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

#define VTM_LOAD_BENCH(fn)                                                                         \
    BENCHMARK(fn)                                                                                  \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()                                                                            \
        ->Repetitions(3)                                                                           \
        ->DisplayAggregatesOnly()
VTM_LOAD_BENCH(BM_Memcpy256);
VTM_LOAD_BENCH(BM_VectorPlusRead256);
VTM_LOAD_BENCH(BM_DocumentLoad256);

void reportMemory()
{
    const double fileMiB = double(kFileSize) / kMiB;
    const double allowed = 1.1 * fileMiB + 64.0;
    auto doc = std::make_unique<vtm::Document>();
    const double before = rssMiB();
    const auto t0 = std::chrono::steady_clock::now();
    if (!doc->loadFile(g_file.path.string())) {
        std::printf("memory: loadFile failed\n");
        return;
    }
    const auto t1 = std::chrono::steady_clock::now();
    const double loaded = rssMiB();
    const double growth = loaded - before;
    const std::int64_t marksBefore = doc->MarkRuns().bytesHeld();

    std::printf("\nResident memory, one document of %.0f MiB (unmarked)\n", fileMiB);
    std::printf("  VmRSS before %.1f MiB, after %.1f MiB, growth %.1f MiB\n", before, loaded,
                growth);
    std::printf("  allowed growth 1.1 x file + 64 MiB = %.1f MiB: %s\n", allowed,
                growth <= allowed ? "holds" : "MISSED");
    std::printf("  byte storage %lld KiB; marks hold %lld bytes\n",
                (long long)(doc->BufferCapacity() / 1024),
                (long long)marksBefore);

    doc->SetMark(doc->BufferSize() / 2, 1);
    const double marked = rssMiB();
    const std::int64_t marksAfter = doc->MarkRuns().bytesHeld();
    std::printf("  one mark at n/2: marks hold +%lld bytes, VmRSS +%.0f KiB"
                " (VmRSS is approximate)\n",
                (long long)(marksAfter - marksBefore), (marked - loaded) * 1024.0);
    std::printf("  first load in this process (fresh memory): %.1f ms\n",
                std::chrono::duration<double, std::milli>(t1 - t0).count());
}

void printRatios(const std::map<std::string, double> &ms, const char *title)
{
    std::printf("\nRatios of %s real times (same run)\n", title);
    vtmbench::PrintRatio(ms, "load / memcpy ratio", "BM_DocumentLoad256", "BM_Memcpy256", 4.0, 26);
    vtmbench::PrintRatio(ms, "load / (vector+read) ratio", "BM_DocumentLoad256",
                         "BM_VectorPlusRead256", 0, 26);
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    createFile();
    warmPageCache();

    // Measured first, while the heap is still small and nothing else is mapped.
    reportMemory();
    std::printf("\n");
    std::fflush(stdout);

    return vtmbench::RunAndPrintRatios(printRatios);
}
