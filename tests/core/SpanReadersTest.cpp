#include "analysis/Statistics.h"
#include "document/Document.h"
#include "document/SafeFile.h"
#include "search/ByteNavigation.h"
#include "search/SearchBytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <unistd.h>
#include <vector>

using namespace vtm;

// Every reader walks the document's spans; with spans cut to a few bytes, occurrences and
// runs cross their boundaries all the time and the results must not change.
TEST(SpanReaders, ShortSpansGiveWhatTheWholeBufferGives)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        // Few distinct bytes, so that partial matches and repeats are common.
        std::vector<std::uint8_t> bytes(std::size_t(1 + rng() % 600));
        for (auto &b : bytes)
            b = std::uint8_t("aAbB\0"[rng() % 5]);
        Document whole, cut;
        ASSERT_TRUE(whole.loadBytes(bytes.data(), std::int64_t(bytes.size())));
        cut.setPieceLimitsForTesting(4, 1 + rng() % 7);
        ASSERT_TRUE(cut.loadBytes(bytes.data(), std::int64_t(bytes.size())));
        const std::int64_t size = whole.BufferSize();
        const std::span<const std::uint8_t> all(bytes);

        for (int q = 0; q < 60; ++q) {
            std::vector<std::uint8_t> pattern(std::size_t(rng() % 9));
            for (auto &b : pattern)
                b = std::uint8_t("aAbB\0"[rng() % 5]);
            const std::int64_t start = std::int64_t(rng() % std::uint64_t(size + 4)) - 2;
            const bool backward = rng() % 2, fold = rng() % 2;
            ASSERT_EQ(SearchDocument(cut, pattern, start, backward, fold),
                      SearchBytes(all, pattern, start, backward, fold))
                << "pattern of " << pattern.size() << " from " << start << (backward ? " back" : "");
        }
        for (std::int64_t p = 0; p < size; p += 1 + std::int64_t(rng() % 5)) {
            ASSERT_EQ(NextIdenticalByte(cut, p), NextIdenticalByte(whole, p)) << p;
            ASSERT_EQ(PreviousIdenticalByte(cut, p), PreviousIdenticalByte(whole, p)) << p;
        }
        EXPECT_EQ(CountStatistics(cut).values, CountStatistics(whole).values);

        std::vector<std::uint8_t> read(bytes.size());
        cut.ReadBytes(0, size, read.data());
        EXPECT_EQ(read, bytes);

        // Saving writes the spans in order.
        const auto path = std::filesystem::temp_directory_path()
                          / ("vtm_spans_" + std::to_string(getpid()) + ".bin");
        const WriteOutcome out =
            WriteFileSafely(path.string(), [&](int fd) { return cut.WriteTo(fd); }, size);
        ASSERT_EQ(out.result, WriteResult::Written);
        Document back;
        ASSERT_TRUE(back.loadFile(path.string()));
        std::vector<std::uint8_t> saved(bytes.size());
        back.ReadBytes(0, size, saved.data());
        EXPECT_EQ(saved, bytes);
        std::filesystem::remove(path);
    }
}
