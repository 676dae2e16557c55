// Replace all and find-and-mark all on 256 MiB with a million occurrences, through the
// commands themselves, and the one Undo of each: every one should take well under a second.
#include "document/Document.h"
#include "document/Language.h"
#include "edit/EditContext.h"
#include "edit/TActions.h"
#include "search/ReplaceCommands.h"

#include "BenchContext.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kSize = std::int64_t(256) << 20;
constexpr std::int64_t kOccurrences = 1000000;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// The editor without a window: every question is answered Yes.
class BenchEditor final : public vtmbench::BenchContext, public vtm::SearchUi
{
public:
    // Printable bytes with `occurrence` at a million evenly spread offsets.
    explicit BenchEditor(const std::vector<std::uint8_t> &occurrence)
    {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kSize));
        std::uint32_t x = 12345;
        for (auto &b : bytes) {
            x = x * 1103515245u + 12345u;
            b = std::uint8_t(0x20 + (x >> 16) % 0x5F);
        }
        const std::int64_t step = kSize / kOccurrences;
        for (std::int64_t k = 0; k < kOccurrences; ++k)
            std::copy(occurrence.begin(), occurrence.end(), bytes.begin() + k * step);
        Doc().loadBytes(bytes.data(), kSize);
    }

    // Any message (an error, the time question) or a beep spoils the run.
    void Beep() override { message = "nothing found"; }
    void ShowProgress(const std::string &) override {}
    void UpdateMenus() override {}
    int AskAtCursor(const std::string &) override { return vtm::mrYes; }
    std::int64_t TickCount() override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   Clock::now().time_since_epoch())
            .count();
    }

    const std::string &failure() const { return message; }
};

vtm::FindState AllWithoutQuestions(std::vector<std::uint8_t> find, std::vector<std::uint8_t> by)
{
    vtm::FindState st;
    st.FindBytes = std::move(find);
    st.ReplaceBytes = std::move(by);
    st.Confirm = false;
    st.BeginAtCursor = false;
    st.MarkColor = 2;
    return st;
}

// Arg 0 times the command, arg 1 its Undo; each round does both.
void BM_ReplaceAllOneByTwo(benchmark::State &state)
{
    BenchEditor ed({0x01});
    const vtm::FindState st = AllWithoutQuestions({0x01}, {0x02, 0x02});
    for (auto _ : state) {
        auto t0 = Clock::now();
        vtm::ReplaceCommand(ed, ed, st, vtm::FindResultAll);
        const double replace = secondsSince(t0);
        if (ed.Doc().BufferSize() != kSize + kOccurrences)
            state.SkipWithError("not every occurrence was replaced");
        t0 = Clock::now();
        ed.History().Undo();
        const double undo = secondsSince(t0);
        if (ed.Doc().BufferSize() != kSize)
            state.SkipWithError("the undo did not restore the length");
        state.SetIterationTime(state.range(0) == 0 ? replace : undo);
    }
    if (!ed.failure().empty())
        state.SkipWithError(ed.failure().c_str());
}

void BM_FindAndMarkAll(benchmark::State &state)
{
    BenchEditor ed({0x01, 0x02});
    const vtm::FindState st = AllWithoutQuestions({0x01, 0x02}, {});
    for (auto _ : state) {
        auto t0 = Clock::now();
        vtm::FindAndMarkCommand(ed, ed, st, vtm::FindResultAll);
        const double mark = secondsSince(t0);
        if (ed.Doc().MarkedCount() != 2 * kOccurrences)
            state.SkipWithError("not every occurrence was marked");
        t0 = Clock::now();
        ed.History().Undo();
        const double undo = secondsSince(t0);
        if (ed.Doc().MarkedCount() != 0)
            state.SkipWithError("the undo left marks");
        state.SetIterationTime(state.range(0) == 0 ? mark : undo);
    }
    if (!ed.failure().empty())
        state.SkipWithError(ed.failure().c_str());
}

} // namespace

BENCHMARK(BM_ReplaceAllOneByTwo)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FindAndMarkAll)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
