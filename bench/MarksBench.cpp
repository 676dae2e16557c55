// The marks file on a 256 MiB document: saving the marks (1 % of the bytes marked at
// random, and none) and opening that file onto the unmarked document, through the
// commands themselves with a real file. Each should take well under a second.
#include "document/Document.h"
#include "document/Language.h"
#include "edit/TActions.h"
#include "marks/MarksContext.h"
#include "marks/MarkCommands.h"
#include "marks/MarksFileCommands.h"

#include "BenchContext.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr std::int64_t kSize = std::int64_t(256) << 20;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// The editor without a window: dialogs answer with the one file, questions with Yes.
class BenchMarks final : public vtmbench::BenchContext
{
public:
    BenchMarks(double markedShare, const std::string &markFile)
    {
        file = markFile;
        const std::vector<std::uint8_t> bytes(std::size_t(kSize), 0x5A);
        Doc().loadBytes(bytes.data(), kSize);
        std::mt19937_64 rng(1);
        const auto marked = std::int64_t(double(kSize) * markedShare);
        for (std::int64_t i = 0; i < marked; ++i)
            Doc().SetMark(std::int64_t(rng() % std::uint64_t(kSize)), std::uint8_t(1 + rng() % 6));
    }

    const std::string &failure() const { return message; }
};

std::string BenchFile()
{
    return (std::filesystem::temp_directory_path()
            / ("vtm_bench_marks_" + std::to_string(getpid()) + ".mrk"))
        .string();
}

void BM_SaveMarks(benchmark::State &state)
{
    BenchMarks ctx(double(state.range(0)) / 100.0, BenchFile());
    for (auto _ : state) {
        const auto t0 = Clock::now();
        vtm::SaveMarksAs(ctx);
        state.SetIterationTime(secondsSince(t0));
    }
    if (!ctx.failure().empty())
        state.SkipWithError(ctx.failure().c_str());
    state.counters["file_bytes"] = double(std::filesystem::file_size(BenchFile()));
    std::remove(BenchFile().c_str());
}

// Saved from the marked document, opened onto an unmarked one; undone between rounds.
void BM_OpenMarks(benchmark::State &state)
{
    std::int64_t marked = 0;
    {
        BenchMarks source(double(state.range(0)) / 100.0, BenchFile());
        vtm::SaveMarksAs(source);
        marked = source.Doc().MarkedCount();
    }
    BenchMarks ctx(0, BenchFile());
    for (auto _ : state) {
        const auto t0 = Clock::now();
        vtm::OpenMarks(ctx);
        state.SetIterationTime(secondsSince(t0));
        if (ctx.Doc().MarkedCount() != marked)
            state.SkipWithError("the marks did not come back");
        if (ctx.History().CanUndo())
            ctx.History().Undo();
    }
    if (!ctx.failure().empty())
        state.SkipWithError(ctx.failure().c_str());
    state.counters["marked"] = double(marked);
    std::remove(BenchFile().c_str());
}

// One scan from one end to the other: a single mark on the far byte, found by next
// mark, next of its colour and previous mark from the other end.
void BM_MarkScan(benchmark::State &state)
{
    BenchMarks ctx(0, BenchFile());
    ctx.Doc().SetMark(std::int64_t(kSize - 1), 3);
    ctx.Doc().SetMark(0, 3);
    const int colour = int(state.range(0));
    for (auto _ : state) {
        const auto t0 = Clock::now();
        std::int64_t found = colour == 9 ? vtm::FindMarkBackward(ctx.Doc(), kSize - 2, vtm::AnyMark)
                                         : vtm::FindMarkForward(ctx.Doc(), 1, colour);
        state.SetIterationTime(secondsSince(t0));
        benchmark::DoNotOptimize(found);
        if (found != (colour == 9 ? 0 : kSize - 1))
            state.SkipWithError("scan missed the mark");
    }
    state.counters["GB_per_s"] =
        benchmark::Counter(double(kSize) / 1e9, benchmark::Counter::kIsIterationInvariantRate);
}

// Walking every mark of a document with 1 % marked, from the first to the last.
void BM_MarkWalk(benchmark::State &state)
{
    BenchMarks ctx(0.01, BenchFile());
    for (auto _ : state) {
        std::int64_t n = 0;
        const auto t0 = Clock::now();
        for (std::int64_t i = vtm::FindMarkForward(ctx.Doc(), 0, vtm::AnyMark); i >= 0;
             i = vtm::FindMarkForward(ctx.Doc(), i + 1, vtm::AnyMark))
            ++n;
        state.SetIterationTime(secondsSince(t0));
        benchmark::DoNotOptimize(n);
    }
    state.counters["GB_per_s"] =
        benchmark::Counter(double(kSize) / 1e9, benchmark::Counter::kIsIterationInvariantRate);
}

long ResidentKiB()
{
    std::FILE *f = std::fopen("/proc/self/statm", "r");
    long pages = 0, resident = 0;
    if (f) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Unmark all and its Undo; with nothing marked the marks must not be touched at all.
void BM_UnmarkAll(benchmark::State &state)
{
    BenchMarks ctx(double(state.range(0)) / 100.0, BenchFile());
    double undo = 0;
    long grown = 0;
    for (auto _ : state) {
        const long before = ResidentKiB();
        const auto t0 = Clock::now();
        vtm::UnmarkAll(ctx);
        state.SetIterationTime(secondsSince(t0));
        grown = std::max(grown, ResidentKiB() - before);
        const auto t1 = Clock::now();
        if (ctx.History().CanUndo())
            ctx.History().Undo();
        undo = std::max(undo, secondsSince(t1));
    }
    state.counters["undo_ms"] = undo * 1000;
    state.counters["rss_growth_KiB"] = double(grown);
}

} // namespace

BENCHMARK(BM_MarkScan)->Arg(-1)->Arg(3)->Arg(9)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_MarkWalk)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_UnmarkAll)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);
BENCHMARK(BM_SaveMarks)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_OpenMarks)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseManualTime();

BENCHMARK_MAIN();
