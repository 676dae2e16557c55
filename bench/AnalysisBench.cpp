// Info/statistics and compare with file on a 256 MiB document. Each figure is also given
// as a ratio: statistics against a warm memcpy of the same size (should stay below 12),
// the compare's counting pass against a plain read of the cached file (below 4).
#include "analysis/Compare.h"
#include "analysis/Statistics.h"
#include "document/Document.h"
#include "document/Language.h"
#include "edit/TActions.h"
#include "marks/MarksContext.h"

#include "BenchContext.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::int64_t kSize = std::int64_t(256) << 20;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

std::vector<std::uint8_t> RandomBytes(std::int64_t n, std::uint64_t seed)
{
    std::vector<std::uint8_t> v(static_cast<std::size_t>(n));
    std::mt19937_64 rng(seed);
    for (std::size_t i = 0; i + 8 <= v.size(); i += 8) {
        const std::uint64_t w = rng();
        std::memcpy(v.data() + i, &w, 8);
    }
    return v;
}

// The best of a few rounds: the figure the others are measured against.
template <typename Round> double BestOf(Round round)
{
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto t0 = Clock::now();
        round();
        best = std::min(best, secondsSince(t0));
    }
    return best;
}

// A warm copy of 256 MiB.
double MemcpySeconds()
{
    static const double seconds = [] {
        std::vector<std::uint8_t> from(std::size_t(kSize), 1), to(std::size_t(kSize), 2);
        return BestOf([&] {
            std::memcpy(to.data(), from.data(), to.size());
            benchmark::ClobberMemory();
        });
    }();
    return seconds;
}

void BM_Memcpy(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(MemcpySeconds());
}

// Marked share in per cent: 0 (nothing marked), 1, 100.
void BM_Statistics(benchmark::State &state)
{
    const std::vector<std::uint8_t> bytes = RandomBytes(kSize, 1);
    vtm::Document doc;
    doc.loadBytes(bytes.data(), kSize);
    const std::int64_t share = state.range(0);
    if (share > 0) {
        const std::vector<std::uint8_t> random = RandomBytes(kSize, 2);
        std::vector<std::uint8_t> marks(std::size_t(kSize), 0);
        for (std::size_t i = 0; i < marks.size(); ++i)
            if (share >= 100 || random[i] < 256 * share / 100 + 1)
                marks[i] = std::uint8_t(1 + random[i] % 6);
        doc.SetMarks(0, marks.data(), kSize);
    }
    const double copy = MemcpySeconds();
    double total = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const vtm::ByteStatistics s = vtm::CountStatistics(doc);
        const double t = secondsSince(t0);
        benchmark::DoNotOptimize(s);
        state.SetIterationTime(t);
        total += t;
    }
    state.counters["x_memcpy"] = total / double(state.iterations()) / copy;
}

// The editor without a window: the question is answered from `answer`.
class BenchCompare final : public vtmbench::BenchContext
{
public:
    explicit BenchCompare(const std::vector<std::uint8_t> &bytes)
    {
        answer = vtm::mrNo;
        Doc().loadBytes(bytes.data(), std::int64_t(bytes.size()));
    }
};

// The document and a file equal to it but for 1 % of its bytes, read once so it is cached.
struct CompareSetup
{
    std::vector<std::uint8_t> bytes = RandomBytes(kSize, 3);
    std::string path =
        (std::filesystem::temp_directory_path() / ("vtm_bench_compare_" + std::to_string(getpid())))
            .string();
    std::int64_t differing = 0;

    CompareSetup()
    {
        std::vector<std::uint8_t> file = bytes;
        std::mt19937_64 rng(4);
        for (std::int64_t k = 0; k < kSize / 100; ++k) {
            const auto i = std::size_t(rng() % std::uint64_t(kSize));
            differing += file[i] == bytes[i];
            file[i] = std::uint8_t(bytes[i] ^ (1 + rng() % 255));
        }
        if (std::FILE *f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(file.data(), 1, file.size(), f);
            std::fclose(f);
        }
        PlainRead(path);
    }
    ~CompareSetup() { std::remove(path.c_str()); }

    static std::int64_t PlainRead(const std::string &path)
    {
        std::vector<std::uint8_t> block(std::size_t(1) << 20);
        const int fd = ::open(path.c_str(), O_RDONLY);
        std::int64_t total = 0;
        for (ssize_t r; fd >= 0 && (r = ::read(fd, block.data(), block.size())) > 0;)
            total += r;
        if (fd >= 0)
            ::close(fd);
        return total;
    }
};

CompareSetup &Setup()
{
    static CompareSetup setup;
    return setup;
}

double PlainReadSeconds()
{
    static const double seconds =
        BestOf([] { benchmark::DoNotOptimize(CompareSetup::PlainRead(Setup().path)); });
    return seconds;
}

void BM_PlainRead(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(PlainReadSeconds());
}

// The counting pass alone: the question is answered No.
void BM_CompareCount(benchmark::State &state)
{
    BenchCompare ctx(Setup().bytes);
    const double read = PlainReadSeconds();
    double total = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        vtm::CompareWithFile(ctx, Setup().path);
        const double t = secondsSince(t0);
        state.SetIterationTime(t);
        total += t;
    }
    if (!ctx.message.empty())
        state.SkipWithError(ctx.message.c_str());
    state.counters["x_read"] = total / double(state.iterations()) / read;
}

// Counting and marking; undone between rounds, untimed.
void BM_CompareAndMark(benchmark::State &state)
{
    BenchCompare ctx(Setup().bytes);
    ctx.answer = vtm::mrYes;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        vtm::CompareWithFile(ctx, Setup().path);
        state.SetIterationTime(secondsSince(t0));
        state.PauseTiming();
        if (ctx.Doc().MarkedCount() != Setup().differing)
            state.SkipWithError("wrong number of marks");
        ctx.History().Undo();
        state.ResumeTiming();
    }
    if (!ctx.message.empty())
        state.SkipWithError(ctx.message.c_str());
    state.counters["marked"] = double(Setup().differing);
}

void BM_UndoCompareMarks(benchmark::State &state)
{
    BenchCompare ctx(Setup().bytes);
    ctx.answer = vtm::mrYes;
    for (auto _ : state) {
        state.PauseTiming();
        vtm::CompareWithFile(ctx, Setup().path);
        state.ResumeTiming();
        const auto t0 = Clock::now();
        ctx.History().Undo();
        state.SetIterationTime(secondsSince(t0));
        if (ctx.Doc().MarkedCount() != 0)
            state.SkipWithError("undo left marks");
    }
}

} // namespace

BENCHMARK(BM_Memcpy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Statistics)->Arg(0)->Arg(1)->Arg(100)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CompareCount)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareAndMark)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_UndoCompareMarks)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
