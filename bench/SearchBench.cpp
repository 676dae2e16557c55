// Searching 256 MiB for a string placed at the far end, forwards and backwards, exact and
// folded, against glibc's memmem and the plain comparison at every candidate; a pattern
// built to defeat simple scanners; identical-byte navigation against memchr.
#include "document/Document.h"
#include "search/ByteNavigation.h"
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
// only, so the folded scan has to look for two values at once); arg 2: 16 bytes.
std::vector<std::uint8_t> patternFor(std::int64_t which)
{
    const char *text = which == 0 ? "Kq7x" : which == 1 ? "Kqwx" : "Kq7xZ#m9Lp0Rt8Wv";
    return {text, text + std::strlen(text)};
}

void run(benchmark::State &state, bool backward, bool fold)
{
    std::vector<std::uint8_t> buf = haystack();
    const std::vector<std::uint8_t> pat = patternFor(state.range(0));
    const auto n = std::int64_t(pat.size());
    const std::int64_t at = backward ? 0 : kSize - n;
    std::memcpy(buf.data() + at, pat.data(), pat.size());
    const std::int64_t start = backward ? kSize - 1 : 0;
    std::int64_t found = -1;
    for (auto _ : state) {
        found = vtm::SearchBytes(buf, pat, start, backward, fold);
        benchmark::DoNotOptimize(found);
    }
    // Only the bytes actually passed count, in case random data holds an earlier hit.
    const double scanned = double(backward ? start - found : found - start + n);
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

// glibc's memmem over the same bytes, the yardstick for the exact scan.
void BM_Memmem(benchmark::State &state)
{
    std::vector<std::uint8_t> buf = haystack();
    const std::vector<std::uint8_t> pat = patternFor(state.range(0));
    std::memcpy(buf.data() + kSize - std::int64_t(pat.size()), pat.data(), pat.size());
    const void *found = nullptr;
    for (auto _ : state) {
        found = memmem(buf.data(), buf.size(), pat.data(), pat.size());
        benchmark::DoNotOptimize(found);
    }
    state.counters["GB"] = benchmark::Counter(double(kSize) / 1e9,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

// 999 zeros then 01, in 256 MiB of zeros with the string at the end: every candidate
// matches almost to its end.
void BM_Adversarial(benchmark::State &state)
{
    const bool backward = state.range(0) != 0;
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(kSize), 0);
    std::vector<std::uint8_t> pat(1000, 0);
    pat.back() = 1;
    if (backward) { // the string at the start, searched from the end
        buf[999] = 1;
    } else {
        buf.back() = 1;
    }
    std::int64_t found = -1;
    for (auto _ : state) {
        found = vtm::SearchBytes(buf, pat, backward ? kSize - 1 : 0, backward, false);
        benchmark::DoNotOptimize(found);
    }
    state.counters["GB"] = benchmark::Counter(double(kSize) / 1e9,
                                              benchmark::Counter::kIsIterationInvariantRate);
    state.counters["found"] = double(found);
}

// The next (previous) byte equal to the cursor's, 256 MiB away, against memchr.
vtm::Document &navigationDoc()
{
    static vtm::Document doc = [] {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kSize), 0x20);
        bytes.front() = bytes.back() = 0x41;
        vtm::Document d;
        d.loadBytes(bytes.data(), kSize);
        return d;
    }();
    return doc;
}

void BM_NextIdenticalByte(benchmark::State &state)
{
    const vtm::Document &doc = navigationDoc();
    const bool backward = state.range(0) != 0;
    std::int64_t found = -1;
    for (auto _ : state) {
        found = backward ? vtm::PreviousIdenticalByte(doc, kSize - 1)
                         : vtm::NextIdenticalByte(doc, 0);
        benchmark::DoNotOptimize(found);
    }
    state.counters["GB"] = benchmark::Counter(double(kSize) / 1e9,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Memchr(benchmark::State &state)
{
    const vtm::Document &doc = navigationDoc();
    const void *found = nullptr;
    for (auto _ : state) {
        doc.ForEachSpan(1, kSize, [&](const vtm::Document::Span &s) {
            found = std::memchr(s.data, 0x41, std::size_t(s.size));
            return found == nullptr;
        });
        benchmark::DoNotOptimize(found);
    }
    state.counters["GB"] = benchmark::Counter(double(kSize) / 1e9,
                                              benchmark::Counter::kIsIterationInvariantRate);
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

BENCHMARK(BM_Memmem)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForwardExact)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForwardFolded)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BackwardExact)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BackwardFolded)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Adversarial)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NextIdenticalByte)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memchr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainForwardFolded)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
