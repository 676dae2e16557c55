#pragma once

// Big files for the benchmarks that read on demand: a folder of their own under the temporary
// directory, removed with everything in it at exit, and bytes that do not compress.
#include "document/SafeFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace vtmbench {

// Removed with everything in it by its destructor, which also runs at exit().
struct BenchDir
{
    std::string path;
    ~BenchDir()
    {
        if (!path.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    }
    // Creates the folder, named after the benchmark and the process.
    void make(const std::string &prefix)
    {
        path =
            (std::filesystem::temp_directory_path() / (prefix + "_" + std::to_string(::getpid())))
                .string();
        std::filesystem::create_directories(path);
    }
    std::string operator/(const char *name) const { return path + "/" + name; }
};

// xorshift64: bytes that do not compress.
inline std::uint64_t NextRandom(std::uint64_t &x)
{
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    return x;
}

// size bytes (a multiple of 1 MiB) of xorshift64 output, the same in every run, at path.
inline bool WriteRandomFile(const std::string &path, std::int64_t size)
{
    constexpr std::int64_t MiB = 1 << 20;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    std::vector<std::uint64_t> chunk(std::size_t(MiB) / 8);
    std::uint64_t x = 0x9E3779B97F4A7C15ull;
    bool ok = true;
    for (std::int64_t done = 0; ok && done < size; done += MiB) {
        for (auto &w : chunk)
            w = NextRandom(x);
        ok = vtm::WriteAllAt(fd, reinterpret_cast<const std::uint8_t *>(chunk.data()), MiB, done);
    }
    return ::close(fd) == 0 && ok;
}

// The memory the process holds now (VmRSS), in MiB.
inline double ResidentMiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

} // namespace vtmbench
