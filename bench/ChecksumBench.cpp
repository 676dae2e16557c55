// Checksums over a 64 MiB document against each library's own rate on the same bytes in one
// buffer (x_library, target at most 1 / 0.9 = 1.11), and all nine in one pass against the sum
// of their separate passes (x_separate, target at most 1).
#include "analysis/Checksums.h"
#include "document/Document.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include <openssl/evp.h>
#include <xxhash.h>
#include <zlib.h>

namespace {

constexpr std::int64_t kSize = std::int64_t(64) << 20;
using Clock = std::chrono::steady_clock;

const std::vector<std::uint8_t> &Bytes()
{
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> v(static_cast<std::size_t>(kSize));
        std::mt19937_64 rng(1);
        for (std::size_t i = 0; i + 8 <= v.size(); i += 8) {
            const std::uint64_t w = rng();
            std::memcpy(v.data() + i, &w, 8);
        }
        return v;
    }();
    return bytes;
}

const vtm::Document &Doc()
{
    static const vtm::Document doc = [] {
        vtm::Document d;
        d.loadBytes(Bytes().data(), kSize);
        return d;
    }();
    return doc;
}

// One library call over the whole buffer, as a program using it directly would make.
double LibrarySeconds(vtm::Checksum c)
{
    const std::uint8_t *data = Bytes().data();
    const auto n = std::size_t(kSize);
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        const auto t0 = Clock::now();
        switch (c) {
        case vtm::Checksum::Crc32: benchmark::DoNotOptimize(crc32_z(0, data, n)); break;
        case vtm::Checksum::Adler32: benchmark::DoNotOptimize(adler32_z(1, data, n)); break;
        case vtm::Checksum::Xxh3_64: benchmark::DoNotOptimize(XXH3_64bits(data, n)); break;
        default: {
            const EVP_MD *md = c == vtm::Checksum::Md5        ? EVP_md5()
                               : c == vtm::Checksum::Sha1     ? EVP_sha1()
                               : c == vtm::Checksum::Sha256   ? EVP_sha256()
                               : c == vtm::Checksum::Sha512   ? EVP_sha512()
                               : c == vtm::Checksum::Sha3_256 ? EVP_sha3_256()
                                                              : EVP_blake2b512();
            unsigned char out[EVP_MAX_MD_SIZE];
            unsigned length = 0;
            EVP_Digest(data, n, out, &length, md, nullptr);
            benchmark::DoNotOptimize(out);
        }
        }
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    return best;
}

double EditorSeconds(vtm::ChecksumSet set)
{
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(vtm::ComputeChecksums(Doc(), 0, kSize, set));
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    return best;
}

void BM_Checksum(benchmark::State &state)
{
    const auto c = vtm::Checksum(state.range(0));
    state.SetLabel(vtm::ChecksumName(c));
    const double library = LibrarySeconds(c);
    double seconds = 0;
    for (auto _ : state) {
        seconds = EditorSeconds(vtm::Bit(c));
        state.SetIterationTime(seconds);
    }
    state.counters["MB/s"] = double(kSize) / 1e6 / seconds;
    state.counters["x_library"] = seconds / library;
}

void BM_AllInOnePass(benchmark::State &state)
{
    double separate = 0;
    for (int i = 0; i < vtm::ChecksumCount; ++i)
        separate += EditorSeconds(vtm::Bit(vtm::Checksum(i)));
    double seconds = 0;
    for (auto _ : state) {
        seconds = EditorSeconds(vtm::AllChecksums);
        state.SetIterationTime(seconds);
    }
    state.counters["x_separate"] = seconds / separate;
}

} // namespace

BENCHMARK(BM_Checksum)->DenseRange(0, vtm::ChecksumCount - 1)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllInOnePass)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
