// What running a long command as a job costs: each command is timed with a meter attached
// to the document against the same command without one, the two taking turns in one run so
// that both see the same machine. The meter does what the window's does on its fast path:
// it reads the clock at every poll (every 8 ms the window would let events run). Target: at
// most 3 % over the straight command. The polls of one job are shown too: a command that
// polls far more often than once a span pays for the clock every time. Commands: find
// through 4 GiB read on demand (the file in the page cache), statistics of 256 MiB, Replace
// all of a million occurrences in 256 MiB, and saving 4 GiB read on demand after one
// overtyped byte.
#include "analysis/Statistics.h"
#include "document/Document.h"
#include "document/JobMeter.h"
#include "document/SafeFile.h"
#include "edit/TActions.h"
#include "search/ReplaceCommands.h"
#include "search/SearchBytes.h"

#include "BenchContext.h"
#include "BenchFiles.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kMiB = std::int64_t(1) << 20;
constexpr std::int64_t kBig = std::int64_t(4) << 30;
constexpr std::int64_t kNeedleAt = kBig - kMiB - 7;
const std::vector<std::uint8_t> kNeedle = {'n', 'e', 'e', 'd', 'l', 'e', 0xF0, 0x0D,
                                           'o', 'n', ' ', 'j', 'o', 'b', 0xA4, 'd'};
constexpr std::int64_t kSmall = std::int64_t(256) << 20;
constexpr std::int64_t kOccurrences = 1000000;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// The window's meter without the window; counts its polls.
class ClockMeter final : public vtm::JobMeter
{
public:
    std::int64_t polls = 0;

protected:
    bool poll() override
    {
        ++polls;
        const Clock::time_point now = Clock::now();
        if (now - m_last >= std::chrono::milliseconds(8))
            m_last = now;
        return true;
    }

private:
    Clock::time_point m_last = Clock::now();
};

std::int64_t g_lastPolls = 0;

// Runs f straight, or as a job of `total` units; its time in seconds.
double timed(vtm::Document &doc, bool asJob, std::int64_t total, const std::function<void()> &f)
{
    ClockMeter meter;
    meter.setTotal(total);
    const auto t0 = Clock::now();
    if (asJob) {
        const vtm::MeterScope<vtm::Document> scope(doc, &meter);
        f();
    } else {
        f();
    }
    const double seconds = secondsSince(t0);
    if (asJob)
        g_lastPolls = meter.polls;
    return seconds;
}

vtmbench::BenchDir g_dir;

bool makeBigFile()
{
    g_dir.make("vtm_bench_jobs");
    const std::string path = g_dir / "big.bin";
    if (!vtmbench::WriteRandomFile(path, kBig))
        return false;
    const int fd = ::open(path.c_str(), O_WRONLY);
    const bool ok =
        fd >= 0 && vtm::WriteAllAt(fd, kNeedle.data(), std::int64_t(kNeedle.size()), kNeedleAt);
    return fd >= 0 && ::close(fd) == 0 && ok;
}

void readIntoPageCache(const std::string &path)
{
    std::vector<std::uint8_t> block(static_cast<std::size_t>(kMiB));
    const int fd = ::open(path.c_str(), O_RDONLY);
    for (std::int64_t at = 0; fd >= 0 && ::pread(fd, block.data(), block.size(), off_t(at)) > 0;)
        at += kMiB;
    if (fd >= 0)
        ::close(fd);
}

// The times of both ways, for the summary.
struct Pairs
{
    std::vector<double> straight, job;
    std::int64_t polls = 0; // of one job
};
std::map<std::string, Pairs> g_pairs;

double least(const std::vector<double> &v)
{
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Each iteration times the command both ways, in turns; run(asJob) gives the seconds of
// one way and does its own untimed setting up. One untimed round of each way first.
void timePairs(benchmark::State &state, const char *name, const std::function<double(bool)> &run)
{
    run(false);
    run(true);
    Pairs &p = g_pairs[name];
    bool jobFirst = false;
    for (auto _ : state) {
        const double first = run(jobFirst);
        const double second = run(!jobFirst);
        (jobFirst ? p.job : p.straight).push_back(first);
        (jobFirst ? p.straight : p.job).push_back(second);
        state.SetIterationTime(first + second);
        jobFirst = !jobFirst;
    }
    p.polls = g_lastPolls;
    const double s = least(p.straight), j = least(p.job);
    state.counters["straight_ms"] = s * 1e3;
    state.counters["job_ms"] = j * 1e3;
    state.counters["over_pct"] = s > 0 ? (j / s - 1) * 100 : 0;
    state.counters["polls"] = double(p.polls);
}

// What one poll costs: a count and a read of the clock. Times the polls of a job, it is the
// share of the job that the machine's noise cannot hide.
double g_pollNs = 0;

void BM_OnePoll(benchmark::State &state)
{
    ClockMeter meter;
    for (auto _ : state)
        meter.add(1);
    benchmark::DoNotOptimize(meter.done());
    const auto t0 = Clock::now();
    for (int i = 0; i < 1000000; ++i)
        meter.add(1);
    g_pollNs = secondsSince(t0) * 1e3;
}

// The editor without a window, on the 4 GiB file read on demand.
struct OnDemandDoc final : vtmbench::BenchContext
{
    OnDemandDoc()
    {
        answer = vtm::mrNo;
        ok = Doc().loadFile(g_dir / "big.bin") && Doc().ReadsOnDemand();
    }
    bool ok = false;
};

void BM_Find4GiBOnDemand(benchmark::State &state)
{
    OnDemandDoc d;
    if (!d.ok) {
        state.SkipWithError("not opened on demand");
        return;
    }
    std::int64_t at = -1;
    timePairs(state, "find through 4 GiB on demand", [&](bool asJob) {
        return timed(d.Doc(), asJob, kBig,
                     [&] { at = vtm::SearchDocument(d.Doc(), kNeedle, 0, false, false); });
    });
    if (at != kNeedleAt)
        state.SkipWithError("needle not found where it is");
}

void BM_Statistics256MiB(benchmark::State &state)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kSmall));
    std::uint64_t x = 0x2545F4914F6CDD1Dull;
    for (auto &b : bytes)
        b = std::uint8_t(vtmbench::NextRandom(x) >> 24);
    vtm::Document doc;
    doc.loadBytes(bytes.data(), kSmall);
    bytes = {};
    timePairs(state, "statistics of 256 MiB", [&](bool asJob) {
        return timed(doc, asJob, kSmall,
                     [&] { benchmark::DoNotOptimize(vtm::CountStatistics(doc)); });
    });
}

// Replace all without questions; every question is answered Yes, and a beep is a failure.
class ReplaceEditor final : public vtmbench::BenchContext, public vtm::SearchUi
{
public:
    ReplaceEditor()
    {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kSmall));
        std::uint32_t x = 12345;
        for (auto &b : bytes) { // printable bytes: no 01 but the ones placed
            x = x * 1103515245u + 12345u;
            b = std::uint8_t(0x20 + (x >> 16) % 0x5F);
        }
        for (std::int64_t k = 0; k < kOccurrences; ++k)
            bytes[std::size_t(k * (kSmall / kOccurrences))] = 0x01;
        Doc().loadBytes(bytes.data(), kSmall);
    }
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
};

void BM_ReplaceAllMillion(benchmark::State &state)
{
    ReplaceEditor ed;
    vtm::FindState st;
    st.FindBytes = {0x01};
    st.ReplaceBytes = {0x02, 0x02};
    st.Confirm = false;
    st.BeginAtCursor = false;
    timePairs(state, "Replace all, a million in 256 MiB", [&](bool asJob) {
        const double t = timed(ed.Doc(), asJob, kSmall,
                               [&] { vtm::ReplaceCommand(ed, ed, st, vtm::FindResultAll); });
        if (ed.Doc().BufferSize() != kSmall + kOccurrences)
            state.SkipWithError("not every occurrence was replaced");
        ed.History().Undo();
        return t;
    });
    if (!ed.message.empty())
        state.SkipWithError(ed.message.c_str());
}

// Saving to a new name, synced as a save is; what an earlier round left to write back goes
// to the disk first, untimed.
void BM_SaveAfterOvertype4GiB(benchmark::State &state)
{
    OnDemandDoc d;
    if (!d.ok) {
        state.SkipWithError("not opened on demand");
        return;
    }
    const std::uint8_t b = 0xEE;
    d.Doc().WriteBytes(kBig / 2, &b, 1);
    const std::string to = g_dir / "saved.bin";
    timePairs(state, "save 4 GiB on demand after overtype", [&](bool asJob) {
        ::sync();
        vtm::WriteOutcome out;
        const double t = timed(d.Doc(), asJob, kBig, [&] {
            out = vtm::WriteFileSafely(
                to, [&](int fd) { return d.Doc().WriteTo(fd); }, d.Doc().BufferSize());
        });
        ::unlink(to.c_str());
        if (out.result != vtm::WriteResult::Written)
            state.SkipWithError("not written");
        return t;
    });
}

// The shared machine adds its noise to single runs, never takes any away: the fastest run of
// each way is the figure held against the target, the medians are shown beside it.
void printSummary()
{
    std::printf("\nJob against straight (target: at most 3 %% over); one poll takes %.0f ns:\n",
                g_pollNs);
    std::printf("  %-36s %17s %17s %10s %9s\n", "", "fastest", "median", "polls", "in polls");
    for (const auto &[name, p] : g_pairs) {
        const double s = least(p.straight), j = least(p.job);
        const double sm = median(p.straight), jm = median(p.job);
        if (s <= 0 || sm <= 0)
            continue;
        const double inPolls = double(p.polls) * g_pollNs * 1e-9 / s;
        std::printf("  %-36s %+6.1f %% %7.1f ms  %+6.1f %% %7.1f ms %10lld %7.2f %%  %s\n",
                    name.c_str(), (j / s - 1) * 100, s * 1e3, (jm / sm - 1) * 100, sm * 1e3,
                    (long long)p.polls, inPolls * 100, j / s <= 1.03 ? "holds" : "MISSED");
    }
}

} // namespace

BENCHMARK(BM_OnePoll);
BENCHMARK(BM_Find4GiBOnDemand)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_Statistics256MiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_ReplaceAllMillion)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_SaveAfterOvertype4GiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("Making a 4 GiB file in %s ...\n", std::filesystem::temp_directory_path().c_str());
    std::fflush(stdout);
    if (!makeBigFile()) {
        std::printf("could not make the file (disk full?)\n");
        return 1;
    }
    readIntoPageCache(g_dir / "big.bin");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
