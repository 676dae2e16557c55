#pragma once

// What the file benchmarks print after their runs: the mean and median real time of each
// benchmark, and ratios of two of them against a target.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace vtmbench {

class TimeCollector : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> meanMs;
    std::map<std::string, double> medianMs;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            if (r.error_occurred)
                continue;
            const double ms = r.GetAdjustedRealTime() * toMs(r.time_unit);
            const std::string &name = r.run_name.function_name;
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "mean")
                meanMs[name] = ms;
            else if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                medianMs[name] = ms;
            else if (r.run_type == Run::RT_Iteration && r.repetitions <= 1)
                meanMs[name] = medianMs[name] = ms;
        }
    }

private:
    static double toMs(benchmark::TimeUnit u)
    {
        switch (u) {
        case benchmark::kNanosecond: return 1e-6;
        case benchmark::kMicrosecond: return 1e-3;
        case benchmark::kMillisecond: return 1.0;
        case benchmark::kSecond: return 1e3;
        }
        return 1.0;
    }
};

// num / den of two collected times; a target above 0 is checked.
inline void PrintRatio(const std::map<std::string, double> &ms, const char *label, const char *num,
                       const char *den, double target, int labelWidth = 34)
{
    const auto n = ms.find(num);
    const auto d = ms.find(den);
    if (n == ms.end() || d == ms.end() || d->second <= 0) {
        std::printf("  %-*s n/a (benchmark not run)\n", labelWidth, label);
        return;
    }
    const double r = n->second / d->second;
    std::printf("  %-*s %5.2f  (%.1f ms / %.1f ms)", labelWidth, label, r, n->second, d->second);
    if (target > 0)
        std::printf("  target <= %.1f: %s", target, r <= target ? "holds" : "MISSED");
    std::printf("\n");
}

// Runs the benchmarks chosen on the command line, then prints ratios of their mean and of
// their median times with printRatios(times, "mean" or "median"); returns main's result.
template <class PrintRatios>
int RunAndPrintRatios(PrintRatios printRatios)
{
    TimeCollector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    printRatios(reporter.meanMs, "mean");
    printRatios(reporter.medianMs, "median");
    return 0;
}

} // namespace vtmbench
