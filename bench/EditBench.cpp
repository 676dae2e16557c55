// Editing through the undo history: overtyping a byte, inserting one at the front of a
// large document, and undoing and redoing a bulk mark command, against plain memmoves.
#include "document/Document.h"
#include "document/Language.h"
#include "document/Message.h"
#include "edit/EditContext.h"
#include "edit/TActions.h"
#include "edit/TCompoundMarkAction.h"
#include "edit/TEditAction.h"
#include "edit/TDeleteBytesAction.h"
#include "edit/TInsertAction.h"
#include "edit/TInsertBytesAction.h"

#include "BenchContext.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kSmall = 1024;
constexpr std::int64_t kLarge = std::int64_t(256) << 20;
constexpr double kMiB = 1024.0 * 1024.0;
constexpr int kMarkChanges = 600;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// The editor without a window: the history works on a document, and whatever the view
// would do in answer is left out.
class BenchEditor final : public vtmbench::BenchContext
{
};

std::uint64_t nextRandom(std::uint64_t &x) // xorshift64
{
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    return x;
}

// A document of n bytes that do not compress, loaded whole; the source is freed at once so
// that only the document stays resident.
std::unique_ptr<BenchEditor> editorWith(std::int64_t n)
{
    auto editor = std::make_unique<BenchEditor>();
    std::vector<std::uint64_t> words(std::size_t((n + 7) / 8));
    std::uint64_t x = 0x9E3779B97F4A7C15ull;
    for (auto &w : words)
        w = nextRandom(x);
    if (!editor->Doc().loadBytes(reinterpret_cast<const std::uint8_t *>(words.data()), n))
        return nullptr;
    return editor;
}

// One editor per size, kept across runs: building 256 MiB costs more than a whole run of
// most of these benchmarks. Every benchmark leaves its document as it found it.
BenchEditor *sharedEditor(std::int64_t n)
{
    static std::map<std::int64_t, std::unique_ptr<BenchEditor>> editors;
    auto &e = editors[n];
    if (!e)
        e = editorWith(n);
    if (e)
        e->History().Forget();
    return e.get();
}

// Exact: walks the page tables, where VmRSS and statm may lag by a few batches of pages.
double rssMiB()
{
    std::ifstream in("/proc/self/smaps_rollup");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("Rss:", 0) == 0)
            return std::strtod(line.c_str() + 4, nullptr) / 1024.0; // reported in kB
    return 0;
}

bool overtype(BenchEditor &editor, std::int64_t pos, std::uint8_t value)
{
    return editor.History().AddAction(
        std::make_unique<vtm::TEditAction>(editor.NextCommandNumber(), pos, false, value), true);
}

// Typing along a line in the middle of the document. Undone at once the history stays
// short; without undoing it trims its oldest commands every so often.
void overtypeLoop(benchmark::State &state, bool undo)
{
    BenchEditor *editor = sharedEditor(state.range(0));
    if (!editor) {
        state.SkipWithError("no document");
        return;
    }
    const std::int64_t base = editor->Doc().BufferSize() / 2;
    std::uint32_t i = 0;
    for (auto _ : state) {
        if (!overtype(*editor, base + std::int64_t(i & 255), std::uint8_t(i)))
            state.SkipWithError("AddAction failed");
        if (undo)
            editor->History().Undo();
        ++i;
    }
    benchmark::DoNotOptimize(editor->Doc().ByteAt(base));
    editor->History().Forget();
}

void BM_OvertypeUndo(benchmark::State &state)
{
    overtypeLoop(state, true);
}

void BM_Overtype(benchmark::State &state)
{
    overtypeLoop(state, false);
}

bool insertAtFront(BenchEditor &editor)
{
    return editor.History().AddAction(
        std::make_unique<vtm::TInsertAction>(vtm::ActionKind::Insert, editor.NextCommandNumber(), 0,
                                             false),
        true);
}

// Runs first, in a process that holds nothing else yet: the resident memory after loading
// 256 MiB and inserting one byte in front, and the time that first insert takes.
void BM_FirstInsertMemory(benchmark::State &state)
{
    for (auto _ : state) {
        const double before = rssMiB();
        auto editor = editorWith(kLarge);
        if (!editor) {
            state.SkipWithError("no document");
            return;
        }
        const double loaded = rssMiB();
        const auto t0 = Clock::now();
        const bool inserted = insertAtFront(*editor);
        state.SetIterationTime(secondsSince(t0));
        if (!inserted || editor->Doc().BufferSize() != kLarge + 1) {
            state.SkipWithError("insert failed");
            return;
        }
        const double after = rssMiB();
        state.counters["rss_MiB"] = after;
        state.counters["allowed_MiB"] = 1.1 * double(kLarge) / kMiB + 64.0;
        state.counters["load_growth_MiB"] = loaded - before;
        state.counters["insert_growth_KiB"] = (after - loaded) * 1024.0;
    }
}

// What moving both arrays each way would cost: bytes and marks one up, then one back.
struct MemmoveBaseline
{
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(std::size_t(kLarge) + 1, 0x5A);
    std::vector<std::uint8_t> marks = std::vector<std::uint8_t>(std::size_t(kLarge) + 1, 0);

    void run()
    {
        std::memmove(bytes.data() + 1, bytes.data(), std::size_t(kLarge));
        std::memmove(marks.data() + 1, marks.data(), std::size_t(kLarge));
        std::memmove(bytes.data(), bytes.data() + 1, std::size_t(kLarge));
        std::memmove(marks.data(), marks.data() + 1, std::size_t(kLarge));
        benchmark::DoNotOptimize(bytes.data());
        benchmark::DoNotOptimize(marks.data());
        benchmark::ClobberMemory();
    }
};

// One byte in front of 256 MiB unmarked, and undone, timed; the baseline runs in the same
// iteration so that both see the same machine, and their ratio is a counter.
void BM_InsertUndoFront(benchmark::State &state)
{
    BenchEditor *editor = sharedEditor(kLarge);
    static MemmoveBaseline baseline;
    if (!editor) {
        state.SkipWithError("no document");
        return;
    }
    vtm::Document &doc = editor->Doc();
    const std::uint8_t first = doc.ByteAt(0);
    double editorSeconds = 0, baselineSeconds = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        const bool inserted = insertAtFront(*editor);
        const bool grown = doc.BufferSize() == kLarge + 1;
        editor->History().Undo();
        const double s = secondsSince(t0);
        state.SetIterationTime(s);
        editorSeconds += s;
        if (!inserted || !grown || doc.BufferSize() != kLarge || doc.ByteAt(0) != first) {
            state.SkipWithError("insert or undo went wrong");
            break;
        }
        t0 = Clock::now();
        baseline.run();
        baselineSeconds += secondsSince(t0);
    }
    const double n = double(state.iterations());
    if (n > 0 && baselineSeconds > 0) {
        state.counters["baseline_ms"] = baselineSeconds / n * 1e3;
        state.counters["ratio"] = editorSeconds / baselineSeconds;
    }
}

// The same at offset 0 of a 64 GiB document (a few random bytes around 64 GiB of zeros held
// as a fill): the piece table makes it cost what it costs in 1 KiB. Insert and undo timed
// apart, the first of each in this process reported as cold.
void BM_InsertUndoFront64GiB(benchmark::State &state)
{
    static std::unique_ptr<BenchEditor> editor = [] {
        auto e = editorWith(4096);
        if (e)
            e->Doc().insertZeros(2048, std::int64_t(64) << 30);
        return e;
    }();
    if (!editor) {
        state.SkipWithError("no document");
        return;
    }
    const std::int64_t size = editor->Doc().BufferSize();
    double insertMax = 0, undoMax = 0, insertCold = -1, undoCold = -1;
    for (auto _ : state) {
        auto t0 = Clock::now();
        const bool inserted = insertAtFront(*editor);
        const double ins = secondsSince(t0);
        t0 = Clock::now();
        editor->History().Undo();
        const double und = secondsSince(t0);
        state.SetIterationTime(ins + und);
        if (insertCold < 0) {
            insertCold = ins;
            undoCold = und;
        }
        insertMax = std::max(insertMax, ins);
        undoMax = std::max(undoMax, und);
        if (!inserted || editor->Doc().BufferSize() != size) {
            state.SkipWithError("insert or undo went wrong");
            break;
        }
    }
    state.counters["insert_cold_us"] = insertCold * 1e6;
    state.counters["undo_cold_us"] = undoCold * 1e6;
    state.counters["insert_max_us"] = insertMax * 1e6;
    state.counters["undo_max_us"] = undoMax * 1e6;
}

// 600 changes of marker colour scattered over 256 MiB, recorded as one command.
struct MarkedEditor
{
    std::unique_ptr<BenchEditor> editor = editorWith(kLarge);
    std::int64_t lastPos = 0;
    std::uint8_t lastColour = 0;

    MarkedEditor()
    {
        if (!editor)
            return;
        vtm::Document &doc = editor->Doc();
        auto action = std::make_unique<vtm::TCompoundMarkAction>(
            vtm::ActionKind::Unmark, editor->NextCommandNumber(), false);
        std::uint64_t x = 0x2545F4914F6CDD1Dull;
        for (int i = 0; i < kMarkChanges; ++i) {
            lastPos = std::int64_t(nextRandom(x) % std::uint64_t(doc.BufferSize()));
            lastColour = std::uint8_t(1 + nextRandom(x) % 6);
            action->Add(doc, lastPos, lastColour);
        }
        if (!editor->History().AddAction(std::move(action), false))
            editor.reset();
    }
    bool marked() const { return editor->Doc().MarkAt(lastPos) == lastColour; }
};

// Argument 0 times Undo, 1 times Redo; the other one runs untimed in between.
void BM_CompoundMarkUndoRedo(benchmark::State &state)
{
    static MarkedEditor fixture;
    if (!fixture.editor) {
        state.SkipWithError("no document");
        return;
    }
    vtm::TActions &history = fixture.editor->History();
    const bool timeRedo = state.range(0) != 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        history.Undo();
        const double undo = secondsSince(t0);
        const bool undone = !fixture.marked();
        const auto t1 = Clock::now();
        history.Redo();
        const double redo = secondsSince(t1);
        state.SetIterationTime(timeRedo ? redo : undo);
        if (!undone || !fixture.marked()) {
            state.SkipWithError("undo or redo went wrong");
            break;
        }
    }
}

// 64 MiB filled with a 3-byte pattern in front of 256 MiB (arg 0), or 64 MiB deleted from
// its front (arg 1), each with its Undo timed on its own; the bound is one memmove of the
// tail plus one memcpy of the run, done here on plain buffers of the same sizes.
void BM_RunFront(benchmark::State &state)
{
    constexpr std::int64_t kRun = std::int64_t(64) << 20;
    const bool deleting = state.range(0) == 1;
    BenchEditor *editor = sharedEditor(kLarge);
    if (!editor) {
        state.SkipWithError("no document");
        return;
    }
    const std::int64_t tail = deleting ? kLarge - kRun : kLarge;
    std::vector<std::uint8_t> a(std::size_t(kLarge + kRun), 1), run(std::size_t(kRun), 2);
    const std::uint8_t pattern[3] = {1, 2, 3};
    double doSeconds = 0, undoSeconds = 0, baseSeconds = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        std::unique_ptr<vtm::TAction> action;
        if (deleting)
            action = std::make_unique<vtm::TDeleteBytesAction>(*editor, editor->NextCommandNumber(),
                                                               0, kRun, false);
        else
            action = std::make_unique<vtm::TInsertBytesAction>(editor->NextCommandNumber(), 0,
                                                               false, kRun, pattern, 3);
        const bool ok = editor->History().AddAction(std::move(action), true);
        doSeconds += secondsSince(t0);
        t0 = Clock::now();
        editor->History().Undo();
        undoSeconds += secondsSince(t0);
        if (!ok || editor->Doc().BufferSize() != kLarge) {
            state.SkipWithError("run or undo went wrong");
            break;
        }
        t0 = Clock::now();
        std::memmove(a.data() + kRun, a.data(), std::size_t(tail));
        std::memcpy(a.data(), run.data(), std::size_t(kRun));
        baseSeconds += secondsSince(t0);
        state.SetIterationTime(secondsSince(t0));
    }
    const double n = double(state.iterations());
    if (n > 0) {
        state.counters["do_ms"] = doSeconds / n * 1e3;
        state.counters["undo_ms"] = undoSeconds / n * 1e3;
        state.counters["bound_ms"] = 2 * baseSeconds / n * 1e3;
    }
    editor->History().Forget();
}

BENCHMARK(BM_FirstInsertMemory)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_OvertypeUndo)
    ->Arg(kSmall)
    ->Arg(kLarge)
    ->Unit(benchmark::kNanosecond)
    ->Repetitions(3)
    ->DisplayAggregatesOnly();
BENCHMARK(BM_Overtype)
    ->Arg(kSmall)
    ->Arg(kLarge)
    ->Unit(benchmark::kNanosecond)
    ->Repetitions(3)
    ->DisplayAggregatesOnly();
BENCHMARK(BM_InsertUndoFront)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(6)
    ->Repetitions(3)
    ->DisplayAggregatesOnly();
BENCHMARK(BM_InsertUndoFront64GiB)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(200);
BENCHMARK(BM_CompoundMarkUndoRedo)
    ->ArgName("redo")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->MinTime(0.2)
    ->Repetitions(3)
    ->DisplayAggregatesOnly();

BENCHMARK(BM_RunFront)
    ->ArgName("delete")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(4);

} // namespace

BENCHMARK_MAIN();
