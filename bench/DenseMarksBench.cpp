// Marks that cover every other byte of 256 MiB, the pattern that costs most when marks are
// runs: Find and mark of a byte, Compare and mark, Open marks, and the statistics of a
// document marked in a random colour per byte. Each reports its first (cold) round and
// what the marks and their undo data hold against the 256 MiB they cover.
#include "analysis/Compare.h"
#include "analysis/Statistics.h"
#include "document/Document.h"
#include "edit/TActions.h"
#include "marks/MarksFileCommands.h"
#include "search/ReplaceCommands.h"

#include "BenchContext.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <malloc.h>
#include <unistd.h>

namespace {

constexpr std::int64_t kSize = std::int64_t(256) << 20;
constexpr double MiB = 1024.0 * 1024.0;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Memory allocated and not freed (resident pages would count freed memory kept for reuse).
double residentBytes()
{
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks) + double(m.hblkhd);
}

std::string TempPath(const char *name)
{
    return (std::filesystem::temp_directory_path()
            / ("vtm_bench_dense_" + std::to_string(getpid()) + name))
        .string();
}

class Ui final : public vtm::SearchUi
{
public:
    void ShowProgress(const std::string &) override {}
    void UpdateMenus() override {}
    int AskAtCursor(const std::string &) override { return vtm::mrAll; }
    std::int64_t TickCount() override { return 0; }
};

// Text in two bytes a character: a zero in every other place.
std::vector<std::uint8_t> Utf16Text()
{
    std::vector<std::uint8_t> v(std::size_t(kSize), 0);
    for (std::int64_t i = 0; i < kSize; i += 2)
        v[std::size_t(i)] = std::uint8_t('a' + (i / 2) % 26);
    return v;
}

// The memory a marking command added, and what the marks and undo data say they hold.
void ReportMemory(benchmark::State &state, vtmbench::BenchContext &ctx, double before)
{
    // Allocated by the command: the marks and the undo data it keeps (shared with them).
    state.counters["growth_x"] = (residentBytes() - before) / double(kSize);
    state.counters["marks_MiB"] = double(ctx.Doc().MarkRuns().bytesHeld()) / MiB;
    state.counters["undo_MiB"] = double(ctx.History().UndoBytes()) / MiB;
}

// Rounds of a marking command that must leave half the bytes marked, each undone: the
// first round's time and memory are reported apart (cold).
template <class Command>
void MarkingRounds(benchmark::State &state, vtmbench::BenchContext &ctx, Command command)
{
    bool first = true;
    for (auto _ : state) {
        const double before = residentBytes();
        const auto t0 = Clock::now();
        command();
        const double s = secondsSince(t0);
        state.SetIterationTime(s);
        if (ctx.Doc().MarkedCount() != kSize / 2)
            state.SkipWithError("wrong number of marks");
        if (first) {
            state.counters["cold_s"] = s;
            ReportMemory(state, ctx, before);
            first = false;
        }
        ctx.History().Undo();
    }
}

void BM_FindAndMarkEveryOther(benchmark::State &state)
{
    vtmbench::BenchContext ctx;
    {
        const std::vector<std::uint8_t> text = Utf16Text();
        ctx.Doc().loadBytes(text.data(), kSize);
    }
    Ui ui;
    vtm::FindState find;
    find.FindBytes = {0};
    find.BeginAtCursor = false;
    find.MarkColor = 3;
    MarkingRounds(state, ctx,
                  [&] { vtm::FindAndMarkCommand(ctx, ui, find, vtm::FindResultAll); });
}

void BM_CompareAndMarkEveryOther(benchmark::State &state)
{
    const std::string path = TempPath(".cmp");
    vtmbench::BenchContext ctx;
    {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kSize));
        std::mt19937_64 rng(5);
        for (auto &b : bytes)
            b = std::uint8_t(rng());
        ctx.Doc().loadBytes(bytes.data(), kSize);
        for (std::int64_t i = 1; i < kSize; i += 2)
            bytes[std::size_t(i)] ^= 0xFF;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(kSize));
    }
    ctx.answer = vtm::mrYes;
    MarkingRounds(state, ctx, [&] { vtm::CompareWithFile(ctx, path); });
    std::remove(path.c_str());
}

// Statistics of 256 MiB unmarked and with every byte in a random colour: the ratio.
void BM_StatisticsRandomColours(benchmark::State &state)
{
    vtmbench::BenchContext ctx;
    {
        const std::vector<std::uint8_t> text = Utf16Text();
        ctx.Doc().loadBytes(text.data(), kSize);
    }
    const auto best = [&] {
        double b = 1e9;
        for (int i = 0; i < 3; ++i) {
            const auto t0 = Clock::now();
            benchmark::DoNotOptimize(vtm::CountStatistics(ctx.Doc()));
            b = std::min(b, secondsSince(t0));
        }
        return b;
    };
    const double unmarked = best();
    {
        std::vector<std::uint8_t> colours(static_cast<std::size_t>(kSize));
        std::mt19937_64 rng(9);
        for (auto &c : colours)
            c = std::uint8_t(1 + rng() % 6);
        ctx.Doc().SetMarks(0, colours.data(), kSize);
    }
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(vtm::CountStatistics(ctx.Doc()));
        state.SetIterationTime(secondsSince(t0));
    }
    state.counters["unmarked_ms"] = unmarked * 1000;
    state.counters["x_unmarked"] = best() / unmarked;
}

void BM_OpenMarksEveryOther(benchmark::State &state)
{
    const std::string path = TempPath(".mrk");
    std::vector<std::uint8_t> colours(std::size_t(kSize), 0);
    for (std::int64_t i = 0; i < kSize; i += 2)
        colours[std::size_t(i)] = 2;
    {
        vtmbench::BenchContext source;
        source.file = path;
        source.Doc().loadBytes(colours.data(), kSize); // any bytes
        source.Doc().SetMarks(0, colours.data(), kSize);
        vtm::SaveMarksAs(source);
    }
    vtmbench::BenchContext ctx;
    ctx.file = path;
    ctx.Doc().loadBytes(colours.data(), kSize);
    colours = {};
    MarkingRounds(state, ctx, [&] { vtm::OpenMarks(ctx); });
    std::remove(path.c_str());
}

} // namespace

BENCHMARK(BM_FindAndMarkEveryOther)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CompareAndMarkEveryOther)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StatisticsRandomColours)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenMarksEveryOther)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
