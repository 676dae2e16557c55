// The data inspector's work per cursor move: its rows read from the bytes at the cursor, in a
// 64 MiB document cut into many pieces by edits. The target is under 50 µs a move.
#include "analysis/Inspector.h"
#include "document/Document.h"
#include "document/Language.h"

#include "BenchReport.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr std::int64_t kSize = std::int64_t(64) << 20;

// Random bytes overtyped at 20000 places, so that finding the cursor's piece is not free.
const vtm::Document &EditedDocument()
{
    static vtm::Document doc = [] {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kSize));
        std::mt19937_64 rng(1);
        for (auto &b : bytes)
            b = static_cast<std::uint8_t>(rng());
        vtm::Document d;
        d.loadBytes(bytes.data(), kSize);
        for (int i = 0; i < 20000; ++i) {
            const std::uint8_t v = static_cast<std::uint8_t>(i);
            d.WriteBytes(static_cast<std::int64_t>(rng() % std::uint64_t(kSize)), &v, 1);
        }
        return d;
    }();
    return doc;
}

void BM_InspectAtCursor(benchmark::State &state)
{
    const vtm::Document &doc = EditedDocument();
    std::mt19937_64 rng(2);
    bool big = false;
    for (auto _ : state) {
        // A jump anywhere, as a click or Page Down makes; the end included. Both byte
        // orders in turn.
        const auto at = static_cast<std::int64_t>(rng() % std::uint64_t(kSize));
        benchmark::DoNotOptimize(vtm::InspectBytes(doc, at, vtm::LanguageGerman, big));
        big = !big;
    }
}
BENCHMARK(BM_InspectAtCursor)->Unit(benchmark::kMicrosecond)->Repetitions(3);

void PrintTarget(const std::map<std::string, double> &ms, const char *kind)
{
    const auto it = ms.find("BM_InspectAtCursor");
    if (it == ms.end())
        return;
    const double us = it->second * 1000;
    std::printf("Inspector per cursor move (%s): %.2f us  target < 50 us: %s\n", kind, us,
                us < 50 ? "holds" : "MISSED");
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    return vtmbench::RunAndPrintRatios(PrintTarget);
}
