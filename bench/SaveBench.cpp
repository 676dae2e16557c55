// Saving a large file: WriteFileSafely (by rename, and in place under a second hard link)
// against `cp` of the same bytes in the same directory.
#include "document/SafeFile.h"

#include "BenchReport.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

extern char **environ;

namespace {

constexpr std::int64_t kFileSize = std::int64_t(256) << 20;

// Removed with everything in it by its destructor, which also runs when the process leaves
// through exit().
struct TempDir
{
    std::filesystem::path path;
    ~TempDir()
    {
        if (!path.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    }
};
TempDir g_dir;
std::vector<std::uint8_t> g_data;

std::string pathOf(const char *name)
{
    return (g_dir.path / name).string();
}

void removeFile(const std::string &path)
{
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

// Writes g_data to a new file and syncs it, so that no test starts with its dirty pages.
bool writeDataFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::int64_t done = 0;
    while (done < kFileSize) {
        const ssize_t w = ::write(fd, g_data.data() + done, std::size_t(kFileSize - done));
        if (w <= 0)
            break;
        done += w;
    }
    const bool ok = done == kFileSize && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

void setUp()
{
    g_dir.path =
        std::filesystem::temp_directory_path() / ("vtm_bench_save_" + std::to_string(::getpid()));
    std::filesystem::create_directory(g_dir.path);
    g_data.resize(std::size_t(kFileSize));
    std::uint64_t x = 0x9E3779B97F4A7C15ull;
    for (std::size_t i = 0; i + 8 <= g_data.size(); i += 8) {
        x ^= x << 13; // xorshift64: cheap bytes that do not compress
        x ^= x >> 7;
        x ^= x << 17;
        for (int b = 0; b < 8; ++b)
            g_data[i + std::size_t(b)] = std::uint8_t(x >> (8 * b));
    }
    if (!writeDataFile(pathOf("source.bin"))) {
        std::fprintf(stderr, "cannot write %s\n", pathOf("source.bin").c_str());
        std::exit(1);
    }
}

// Writes back whatever the last round left dirty and commits its freed blocks, so that
// neither side pays for the clean-up of the one before. Always called with timing paused.
void settle()
{
    const int fd = ::open(g_dir.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

bool runCp(const std::string &from, const std::string &to)
{
    const char *argv[] = {"cp", "--", from.c_str(), to.c_str(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "cp", nullptr, nullptr, const_cast<char *const *>(argv), environ) != 0)
        return false;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool syncFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

// The first touch of memory the system has never handed out can cost ten times a normal
// write under a hypervisor that backs guest memory lazily, and the first round would also
// fix the iteration count; two untimed rounds per benchmark keep both out of the figures.
// `round` gives an error text, empty on success; `cleanUp` undoes it with timing paused.
void measure(benchmark::State &state, bool &warm, const std::function<std::string()> &round,
             const std::function<void()> &cleanUp)
{
    settle();
    for (int i = 0; !warm && i < 2; ++i) {
        round();
        cleanUp();
        settle();
    }
    warm = true;
    for (auto _ : state) {
        const std::string error = round();
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
        state.PauseTiming();
        cleanUp();
        settle();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void cpBench(benchmark::State &state, bool &warm, bool sync)
{
    const std::string src = pathOf("source.bin");
    const std::string dst = pathOf("copy.bin");
    removeFile(dst);
    measure(
        state, warm, [&] { return runCp(src, dst) && (!sync || syncFile(dst)) ? "" : "cp failed"; },
        [&] { removeFile(dst); });
}

// The baseline the save is held against.
void BM_CpFile256(benchmark::State &state)
{
    static bool warm = false;
    cpBench(state, warm, false);
}

// For comparison only: what the copy costs once it is on disk like a save.
void BM_CpFileFsync256(benchmark::State &state)
{
    static bool warm = false;
    cpBench(state, warm, true);
}

// cp without starting a process, for comparison only.
void BM_CopyFileRange256(benchmark::State &state)
{
    static bool warm = false;
    const std::string src = pathOf("source.bin");
    const std::string dst = pathOf("copy.bin");
    removeFile(dst);
    const auto round = [&]() -> std::string {
        const int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
        const int out = ::open(dst.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        std::int64_t copied = 0;
        while (in >= 0 && out >= 0 && copied < kFileSize) {
            const ssize_t r =
                ::copy_file_range(in, nullptr, out, nullptr, std::size_t(kFileSize - copied), 0);
            if (r <= 0)
                break;
            copied += r;
        }
        if (in >= 0)
            ::close(in);
        if (out >= 0)
            ::close(out);
        return copied == kFileSize ? "" : "copy_file_range failed";
    };
    measure(state, warm, round, [&] { removeFile(dst); });
}

// Saves over `target` with a backup each round; the backup goes between rounds.
void saveBench(benchmark::State &state, bool &warm, const std::string &target)
{
    const std::string backup = vtm::BackupNameFor(target);
    measure(
        state, warm,
        [&]() -> std::string {
            const vtm::WriteOutcome out =
                vtm::WriteFileSafely(target, g_data.data(), kFileSize, true);
            return out.result == vtm::WriteResult::Written ? "" : std::string("save failed");
        },
        [&] { removeFile(backup); });
}

void saveReplaceBench(benchmark::State &state, bool &warm)
{
    const std::string target = pathOf("replace.bin");
    if (!writeDataFile(target)) {
        state.SkipWithError("cannot create the target");
        return;
    }
    saveBench(state, warm, target);
    removeFile(target);
}

void BM_SaveReplace256(benchmark::State &state)
{
    static bool warm = false;
    saveReplaceBench(state, warm);
}

// For comparison only: the same save with every fsync skipped, to show what syncing costs.
void BM_SaveReplaceNoFsync256(benchmark::State &state)
{
    static bool warm = false;
    vtm::SetSyncCallForTesting([](int) { return 0; });
    saveReplaceBench(state, warm);
    vtm::SetSyncCallForTesting(nullptr);
}

// A second hard link makes the writer copy the old bytes aside and overwrite in place.
void BM_SaveInPlace256(benchmark::State &state)
{
    static bool warm = false;
    const std::string target = pathOf("inplace.bin");
    const std::string other = pathOf("inplace-link.bin");
    if (!writeDataFile(target) || ::link(target.c_str(), other.c_str()) != 0) {
        state.SkipWithError("cannot create the linked target");
        return;
    }
    saveBench(state, warm, target);
    removeFile(other);
    removeFile(target);
}

#define VTM_SAVE_BENCH(fn)                                                                         \
    BENCHMARK(fn)                                                                                  \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()                                                                            \
        ->Repetitions(3)                                                                           \
        ->DisplayAggregatesOnly()
VTM_SAVE_BENCH(BM_CpFile256);
VTM_SAVE_BENCH(BM_CpFileFsync256);
VTM_SAVE_BENCH(BM_CopyFileRange256);
VTM_SAVE_BENCH(BM_SaveReplace256);
VTM_SAVE_BENCH(BM_SaveReplaceNoFsync256);
VTM_SAVE_BENCH(BM_SaveInPlace256);

void printRatios(const std::map<std::string, double> &ms, const char *title)
{
    std::printf("\nRatios of %s real times (same run)\n", title);
    vtmbench::PrintRatio(ms, "save (replace) / cp", "BM_SaveReplace256", "BM_CpFile256", 1.5);
    vtmbench::PrintRatio(ms, "save (in place) / cp", "BM_SaveInPlace256", "BM_CpFile256", 1.5);
    vtmbench::PrintRatio(ms, "save (replace) / (cp + fsync)", "BM_SaveReplace256",
                         "BM_CpFileFsync256", 0);
    vtmbench::PrintRatio(ms, "save (in place) / (cp + fsync)", "BM_SaveInPlace256",
                         "BM_CpFileFsync256", 0);
    vtmbench::PrintRatio(ms, "save (replace, no fsync) / cp", "BM_SaveReplaceNoFsync256",
                         "BM_CpFile256", 0);
    vtmbench::PrintRatio(ms, "copy_file_range / cp", "BM_CopyFileRange256", "BM_CpFile256", 0);
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    setUp();
    std::printf("Saving %lld MiB in %s\n\n", (long long)(kFileSize >> 20), g_dir.path.c_str());
    std::fflush(stdout);

    return vtmbench::RunAndPrintRatios(printRatios);
}
