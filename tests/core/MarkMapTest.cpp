#include "document/MarkMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace vtm;

namespace {

// The map must hold exactly what a plain array of colours holds, in canonical runs.
void ExpectSame(const MarkMap &map, const std::vector<std::uint8_t> &model, const char *step)
{
    SCOPED_TRACE(step);
    std::vector<MarkRun> want;
    std::int64_t count = 0, end = 0;
    for (std::size_t i = 0; i < model.size(); ++i) {
        const std::uint8_t c = model[i];
        if (c == 0)
            continue;
        ++count;
        end = std::int64_t(i) + 1;
        if (!want.empty() && want.back().end == std::int64_t(i) && want.back().colour == c)
            ++want.back().end;
        else
            want.push_back(MarkRun{std::int64_t(i), std::int64_t(i) + 1, c});
    }
    ASSERT_EQ(map.runs(), want);
    EXPECT_EQ(map.count(), count);
    EXPECT_EQ(map.end(), end);
    std::vector<std::uint8_t> read(model.size() + 8, 0xEE);
    map.read(0, std::int64_t(model.size()), read.data());
    EXPECT_TRUE(std::equal(model.begin(), model.end(), read.begin()));
}

std::uint8_t Colour(std::mt19937 &rng)
{
    return std::uint8_t(rng() % 4 == 0 ? 0 : rng() % 6 + 1);
}

// Colours in one of the patterns that decide the form: every other byte, a random colour
// per byte, long runs, scattered single bytes.
std::vector<std::uint8_t> Pattern(std::mt19937 &rng, std::size_t n)
{
    std::vector<std::uint8_t> c(n, 0);
    const std::uint8_t one = std::uint8_t(rng() % 6 + 1);
    switch (rng() % 4) {
    case 0:
        for (std::size_t i = rng() % 2; i < n; i += 2)
            c[i] = one;
        break;
    case 1:
        for (auto &x : c)
            x = std::uint8_t(rng() % 7);
        break;
    case 2:
        for (std::size_t i = 0; i < n;) {
            const std::size_t len = std::min<std::size_t>(n - i, 50 + rng() % 400);
            std::fill_n(c.begin() + std::ptrdiff_t(i), len, rng() % 3 ? Colour(rng) : 0);
            i += len;
        }
        break;
    default:
        for (std::size_t i = 0; i < n; i += 20 + rng() % 200)
            c[i] = one;
        break;
    }
    return c;
}

// Small chunks of both forms, so that edits cross their edges all the time.
struct SmallChunks
{
    SmallChunks(std::size_t runs, std::int64_t bytes) { MarkMap::setLimitsForTesting({runs, bytes}); }
    ~SmallChunks() { MarkMap::setLimitsForTesting({}); }
};

} // namespace

// Every operation, in random order, against the plain array; runs short and long, so
// that stretches change form back and forth and chunk edges are crossed all the time.
TEST(MarkMap, RandomOperationsMatchAPlainArray)
{
    std::mt19937 rng(20261209);
    std::int64_t denseSeen = 0;
    for (int round = 0; round < 10; ++round) {
        SmallChunks small(round % 2 ? 64 : 4 + rng() % 8, round % 2 ? 64 * 1024 : 40 + rng() % 200);
        MarkMap map;
        std::vector<std::uint8_t> model(std::size_t(2000 + rng() % 6000), 0);
        for (int step = 0; step < 400; ++step) {
            const std::int64_t size = std::int64_t(model.size());
            const std::int64_t p = size ? std::int64_t(rng() % std::uint64_t(size + 1)) : 0;
            const std::int64_t room = size - p;
            const std::int64_t n = room > 0 ? std::int64_t(rng() % std::uint64_t(std::min<std::int64_t>(room, 300) + 1)) : 0;
            switch (rng() % 8) {
            case 0:
            case 1: {
                const std::uint8_t c = Colour(rng);
                map.fill(p, n, c);
                std::fill_n(model.begin() + p, n, c);
                break;
            }
            case 2: {
                const std::vector<std::uint8_t> colours = Pattern(rng, std::size_t(n));
                map.assign(p, colours.data(), n);
                std::copy(colours.begin(), colours.end(), model.begin() + p);
                break;
            }
            case 3: {
                const std::int64_t k = std::int64_t(rng() % 200) + 1;
                map.insertGap(p, k);
                model.insert(model.begin() + p, std::size_t(k), 0);
                break;
            }
            case 4:
                map.erase(p, n);
                model.erase(model.begin() + p, model.begin() + p + n);
                break;
            case 5: { // a slice pasted elsewhere, as undoing a deletion does
                const MarkMap part = map.slice(p, n);
                const std::vector<std::uint8_t> copy(model.begin() + p, model.begin() + p + n);
                const std::int64_t q = std::int64_t(rng() % std::uint64_t(size + 1));
                map.insertGap(q, n);
                map.paste(q, n, part);
                model.insert(model.begin() + q, copy.begin(), copy.end());
                break;
            }
            case 6: { // a whole map built from a pattern, and the same seen from the end
                const std::vector<std::uint8_t> colours = Pattern(rng, model.size());
                MarkMap::Builder b;
                b.appendColours(0, colours.data(), size);
                const MarkMap built = b.finish();
                const MarkMap back = built.mirrored(size);
                std::vector<std::uint8_t> reversed(colours.rbegin(), colours.rend());
                ExpectSame(back, reversed, "mirrored");
                ExpectSame(back.mirrored(size), colours, "mirrored twice");
                map.paste(0, size, built);
                model = colours;
                denseSeen += map.denseBytes();
                break;
            }
            default:
                if (rng() % 10 == 0) {
                    map.truncate(p);
                    std::fill(model.begin() + p, model.end(), 0);
                }
                break;
            }
            if (step % 16 == 0 || step == 399)
                ExpectSame(map, model, "step");
        }
        // Look-ups from every offset, and runs walked backwards.
        const std::int64_t size = std::int64_t(model.size());
        auto all = map.runs();
        std::vector<MarkRun> back;
        for (auto c = map.lastStartingAtOrBefore(INT64_MAX); c.valid(); c.previous())
            back.push_back(c.run());
        std::reverse(back.begin(), back.end());
        EXPECT_EQ(back, all);
        for (std::int64_t p = 0; p < size; p += 7) {
            ASSERT_EQ(map.at(p), model[std::size_t(p)]);
            const auto next = map.firstEndingAfter(p);
            std::int64_t q = p;
            while (q < size && model[std::size_t(q)] == 0)
                ++q;
            if (q == size) {
                ASSERT_FALSE(next.valid());
            } else {
                ASSERT_TRUE(next.valid());
                EXPECT_EQ(std::max(next.run().start, p), q);
            }
            const auto prev = map.lastStartingAtOrBefore(p);
            if (prev.valid()) {
                EXPECT_LE(prev.run().start, p);
                auto after = prev;
                after.next();
                if (after.valid()) {
                    EXPECT_GT(after.run().start, p);
                }
            } else {
                EXPECT_TRUE(all.empty() || all.front().start > p);
            }
            const auto in = [&](std::int64_t k) {
                return model.begin() + std::min<std::int64_t>(size, p + k);
            };
            EXPECT_EQ(map.countIn(p, 100),
                      std::count_if(in(0), in(100), [](std::uint8_t c) { return c != 0; }));
            EXPECT_EQ(map.countColour(p, 100, 3), std::count(in(0), in(100), 3));
        }
    }
    EXPECT_GT(denseSeen, 0); // the colour-per-byte form was exercised
}

// A chunk stays within about a byte per byte of the stretch it spans, whatever the pattern.
TEST(MarkMap, MemoryStaysNearAByteAPerByte)
{
    std::mt19937 rng(7);
    constexpr std::int64_t N = 1 << 20;
    std::vector<std::uint8_t> colours(N, 0);
    for (std::int64_t i = 0; i < N; i += 2)
        colours[std::size_t(i)] = 1;
    MarkMap::Builder b;
    b.appendColours(0, colours.data(), N);
    MarkMap every = b.finish();
    EXPECT_LE(every.bytesHeld(), N + N / 8);
    for (auto &c : colours)
        c = std::uint8_t(rng() % 7);
    MarkMap random;
    for (std::int64_t i = 0; i < N; i += 4096)
        random.assign(i, colours.data() + i, 4096);
    EXPECT_LE(random.bytesHeld(), N + N / 8);
    MarkMap sparse; // single bytes far apart stay runs
    for (std::int64_t i = 0; i < N; i += 1000)
        sparse.fill(i, 1, 2);
    EXPECT_EQ(sparse.denseBytes(), 0);
}

// Far offsets cost nothing: marks at the ends of 64 GiB, shifted across 4 GiB.
TEST(MarkMap, FarOffsetsAndLargeShifts)
{
    constexpr std::int64_t G = std::int64_t(1) << 30;
    MarkMap map;
    map.fill(64 * G - 1, 1, 3);
    map.fill(0, 2, 1);
    EXPECT_EQ(map.count(), 3);
    EXPECT_EQ(map.end(), 64 * G);
    map.insertGap(1, 4 * G);
    EXPECT_EQ(map.runs(), (std::vector<MarkRun>{{0, 1, 1}, {4 * G + 1, 4 * G + 2, 1},
                                                 {68 * G - 1, 68 * G, 3}}));
    map.erase(0, 4 * G + 1);
    EXPECT_EQ(map.runs(), (std::vector<MarkRun>{{0, 1, 1}, {64 * G - 2, 64 * G - 1, 3}}));
    map.fill(0, 64 * G, 0);
    EXPECT_TRUE(map.empty());
    EXPECT_EQ(map.end(), 0);
}
