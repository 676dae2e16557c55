// Copying 64 MiB out as hex text and pasting the text back in front of the cursor: each
// under 1 s (target), and the memory each takes at its peak under 4 x the text's size
// (x_text, the growth of the peak resident size over the text's size).
#include "edit/ByteTransfer.h"

#include "BenchContext.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr std::int64_t kSize = std::int64_t(64) << 20;
using Clock = std::chrono::steady_clock;

double PeakBytes()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) * 1024.0;
}

std::vector<std::uint8_t> RandomBytes()
{
    std::vector<std::uint8_t> v(static_cast<std::size_t>(kSize));
    std::mt19937_64 rng(7);
    for (std::size_t i = 0; i + 8 <= v.size(); i += 8) {
        const std::uint64_t w = rng();
        std::memcpy(v.data() + i, &w, 8);
    }
    return v;
}

// As the Copy command does: the text written straight from the document's spans.
std::string CopyAsHex(const vtm::Document &doc)
{
    std::string text = vtm::HexTextFrame(kSize);
    doc.ForEachSpan(0, kSize, [&](const vtm::Document::Span &s) {
        vtm::WriteHexText(text, s.offset, s.data, std::size_t(s.size));
        return true;
    });
    return text;
}

void BM_CopyHex64MiB(benchmark::State &state)
{
    vtmbench::BenchContext ctx;
    {
        const std::vector<std::uint8_t> bytes = RandomBytes();
        ctx.Doc().loadBytes(bytes.data(), kSize);
    }
    const double before = PeakBytes();
    std::size_t textSize = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const std::string text = CopyAsHex(ctx.Doc());
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
        textSize = text.size();
    }
    state.counters["x_text"] = (PeakBytes() - before) / double(textSize);
}

void BM_PasteHexInsert64MiB(benchmark::State &state)
{
    vtmbench::BenchContext ctx;
    std::string text;
    {
        const std::vector<std::uint8_t> bytes = RandomBytes();
        text = vtm::FormatBytes(bytes.data(), bytes.size(), vtm::CopyFormat::HexText);
    }
    const std::vector<std::uint8_t> one = {1};
    ctx.Doc().loadBytes(one.data(), 1);
    const double before = PeakBytes();
    for (auto _ : state) {
        const auto t0 = Clock::now();
        vtm::HexParse parse = vtm::ParseHexText(text);
        const auto t1 = Clock::now();
        vtm::PasteBytes(ctx, parse.bytes, true);
        const auto t2 = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
        state.counters["parse_ms"] = std::chrono::duration<double, std::milli>(t1 - t0).count();
        state.counters["insert_ms"] = std::chrono::duration<double, std::milli>(t2 - t1).count();
        if (ctx.Doc().BufferSize() != kSize + 1)
            state.SkipWithError("the paste did not insert every byte");
    }
    state.counters["x_text"] = (PeakBytes() - before) / double(text.size());
}

} // namespace

BENCHMARK(BM_CopyHex64MiB)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PasteHexInsert64MiB)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
