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
    EXPECT_EQ(map.runCount(), std::int64_t(want.size()));
    std::vector<std::uint8_t> read(model.size() + 8, 0xEE);
    map.read(0, std::int64_t(model.size()), read.data());
    EXPECT_TRUE(std::equal(model.begin(), model.end(), read.begin()));
}

std::uint8_t Colour(std::mt19937 &rng)
{
    return std::uint8_t(rng() % 4 == 0 ? 0 : rng() % 6 + 1);
}

} // namespace

// Every operation, in random order, against the plain array; small runs and many of them,
// so that chunk boundaries are crossed all the time.
TEST(MarkMap, RandomOperationsMatchAPlainArray)
{
    std::mt19937 rng(20261209);
    for (int round = 0; round < 12; ++round) {
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
                std::vector<std::uint8_t> colours(static_cast<std::size_t>(n));
                for (auto &c : colours)
                    c = rng() % 3 ? Colour(rng) : 0;
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
            case 6: { // a bulk change and its undo data
                MarkMap::Builder b;
                std::vector<std::uint8_t> after = model;
                const bool few = rng() % 2; // one change lands where it is, many in one pass
                for (std::int64_t at = few ? p : 0; at < size;) {
                    const std::int64_t len = std::int64_t(rng() % 40) + 1;
                    const std::int64_t stop = std::min(size, at + len);
                    if (rng() % 2) {
                        const std::uint8_t c = Colour(rng);
                        b.append(at, stop, std::uint8_t(c | 0x80));
                        std::fill(after.begin() + at, after.begin() + stop, c);
                        if (few)
                            break;
                    }
                    at = stop + std::int64_t(rng() % 60);
                }
                const MarkMap changes = b.finish();
                MarkMap old;
                map.apply(changes, &old);
                ExpectSame(map, after, "apply");
                map.apply(old, nullptr);
                ExpectSame(map, model, "apply undone");
                map.apply(changes, nullptr);
                model = after;
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
        // Look-ups from every offset.
        const std::int64_t size = std::int64_t(model.size());
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
                const auto all = map.runs();
                EXPECT_TRUE(all.empty() || all.front().start > p);
            }
            EXPECT_EQ(map.countIn(p, 100),
                      std::count_if(model.begin() + p,
                                    model.begin() + std::min<std::int64_t>(size, p + 100),
                                    [](std::uint8_t c) { return c != 0; }));
        }
    }
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
