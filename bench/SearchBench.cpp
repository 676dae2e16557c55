// Searching 256 MiB for a four-byte string placed at the far end, forwards and backwards,
// exact and folded, against the plain comparison at every candidate.
#include "search/SearchBytes.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::int64_t kSize = std::int64_t(256) << 20;

// Random bytes: every letter turns up, so folding has real work. Built once and shared.
const std::vector<std::uint8_t> &haystack()
{
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> v(static_cast<std::size_t>(kSize));
        std::uint64_t x = 0x9E3779B97F4A7C15ull;
        for (std::size_t i = 0; i < v.size(); i += 8) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            std::memcpy(v.data() + i, &x, 8);
        }
        return v;
    }();
    return bytes;
}

// Arg 0: "Kq7x" (a digit the scanner can look for in both modes); arg 1: "Kqwx" (letters
// only, so the folded scan has to look for two values at once).
std::vector<std::uint8_t> patternFor(std::int64_t which)
{
    const char *text = which == 0 ? "Kq7x" : "Kqwx";
    return {text, text + 4};
}

void run(benchmark::State &state, bool backward, bool fold)
{
    std::vector<std::uint8_t> buf = haystack();
    const std::vector<std::uint8_t> pat = patternFor(state.range(0));
    const std::int64_t at = backward ? 0 : kSize - 4;
    std::memcpy(buf.data() + at, pat.data(), 4);
    const std::int64_t start = backward ? kSize - 1 : 0;
    std::int64_t found = -1;
    for (auto _ : state) {
        found = vtm::SearchBytes(buf, pat, start, backward, fold);
        benchmark::DoNotOptimize(found);
    }
    // Only the bytes actually passed count, in case random data holds an earlier hit.
    const double scanned = double(backward ? start - found : found - start + 4);
    state.counters["GB"] =
        benchmark::Counter(scanned / 1e9, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["found"] = double(found);
}

void BM_ForwardExact(benchmark::State &state)
{
    run(state, false, false);
}
void BM_ForwardFolded(benchmark::State &state)
{
    run(state, false, true);
}
void BM_BackwardExact(benchmark::State &state)
{
    run(state, true, false);
}
void BM_BackwardFolded(benchmark::State &state)
{
    run(state, true, true);
}

// What a candidate-by-candidate loop costs, for scale.
void BM_PlainForwardFolded(benchmark::State &state)
{
    std::vector<std::uint8_t> buf = haystack();
    const std::vector<std::uint8_t> pat = patternFor(state.range(0));
    std::memcpy(buf.data() + kSize - 4, pat.data(), 4);
    std::int64_t found = -1;
    for (auto _ : state) {
        found = -1;
        for (std::int64_t p = 0; p <= kSize - 4 && found < 0; ++p) {
            bool ok = true;
            for (int i = 0; i < 4 && ok; ++i)
                ok = vtm::FoldByte(buf[std::size_t(p + i)]) == vtm::FoldByte(pat[std::size_t(i)]);
            if (ok)
                found = p;
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["GB"] =
        benchmark::Counter(double(found + 4) / 1e9, benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_ForwardExact)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForwardFolded)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BackwardExact)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BackwardFolded)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainForwardFolded)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
