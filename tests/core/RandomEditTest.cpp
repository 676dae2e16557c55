#include "ScriptedHost.h"

#include "edit/TCompoundMarkAction.h"
#include "edit/TDeleteAction.h"
#include "edit/TDeleteBytesAction.h"
#include "edit/TEditAction.h"
#include "edit/TInsertAction.h"
#include "edit/TInsertBytesAction.h"
#include "edit/TMarkAction.h"
#include "edit/TReplaceAction.h"

#include <gtest/gtest.h>

#include <random>

using namespace vtm;
using namespace vtmtest;

namespace {
using Bytes = std::vector<std::uint8_t>;

struct Snapshot
{
    Bytes bytes, marks;
    friend bool operator==(const Snapshot &, const Snapshot &) = default;
};

void PrintTo(const Snapshot &s, std::ostream *os)
{
    *os << s.bytes.size() << " bytes:";
    for (std::size_t i = 0; i < s.bytes.size() && i < 24; ++i)
        *os << ' ' << int(s.bytes[i]) << '/' << int(s.marks[i]);
}

Snapshot Take(const Document &d)
{
    std::vector<std::uint8_t> marks(static_cast<std::size_t>(d.BufferSize()));
    d.MarkRuns().read(0, d.BufferSize(), marks.data());
    std::vector<std::uint8_t> bytes(marks.size());
    d.ReadBytes(0, d.BufferSize(), bytes.data());
    return {std::move(bytes), std::move(marks)};
}

// No mark lies past the end, so that growing the document again can never bring an old
// mark back, and the count of marked bytes is exact.
bool NoStaleMarks(const Document &d)
{
    const Snapshot s = Take(d);
    const auto marked = std::count_if(s.marks.begin(), s.marks.end(), [](auto m) { return m; });
    return d.MarkRuns().end() <= d.BufferSize() && marked == d.MarkedCount();
}
} // namespace

// Random commands against a plain model: every result, every undo and every redo must
// match, also when growth fails at random.
// Over a file read on demand, the cache holds two blocks of five bytes, so that spans end at
// block boundaries as well and blocks are dropped and read again all the time.
class RandomEdits : public ::testing::TestWithParam<bool>
{
protected:
    // Small chunks of marks, so that stretches change form back and forth.
    void SetUp() override { MarkMap::setLimitsForTesting({4, 64}); }
    void TearDown() override
    {
        Document::SetReadingOnDemandForTesting(-1, {});
        MarkMap::setLimitsForTesting({});
    }
};

TEST_P(RandomEdits, MatchAPlainModel)
{
    std::mt19937 rng(12345);
    auto pick = [&](int n) { return int(rng() % unsigned(std::max(n, 1))); };
    Rig r(Iota(40));
    // Chunks of four pieces and spans of seven bytes: every edit meets their boundaries.
    r.s.doc.setPieceLimitsForTesting(4, 7);
    const bool onDemand = GetParam();
    TempFile file(Iota(40));
    const TempFile small(Iota(50));
    if (onDemand)
        Document::SetReadingOnDemandForTesting(0, FileSource::Limits{5, 2});
    auto load = [&](const TempFile &f, const Bytes &bytes) {
        if (onDemand)
            ASSERT_TRUE(r.s.doc.loadFile(f.path));
        else
            r.s.doc.loadBytes(bytes.data(), std::int64_t(bytes.size()));
        ASSERT_EQ(r.s.doc.ReadsOnDemand(), onDemand);
    };
    load(file, Iota(40));
    TActions &h = r.s.History;
    std::vector<Snapshot> path{Take(r.s.doc)}; // path[i]: after i steps of the history
    int at = 0;

    for (int step = 0; step < 3000; ++step) {
        SCOPED_TRACE(step);
        Document &doc = r.s.doc;
        const int size = doc.BufferSize();
        const int op = pick(12);
        if (op == 10 && h.CanUndo()) {
            h.Undo();
            --at;
        } else if (op == 11 && h.CanRedo()) {
            h.Redo();
            ++at;
        } else {
            Snapshot want = Take(doc);
            const int g = r.ed.NextCommandNumber();
            const int p = pick(size);
            std::unique_ptr<TAction> a;
            switch (op) {
            case 0:
                if (size == 0)
                    continue;
                a = std::make_unique<TEditAction>(g, p, false, std::uint8_t(rng()));
                want.bytes[std::size_t(p)] = static_cast<TEditAction &>(*a).NewValue;
                break;
            case 1:
                if (p < 1)
                    continue;
                a = std::make_unique<TDeleteAction>(ActionKind::Back, g, p, false);
                want.bytes.erase(want.bytes.begin() + p - 1);
                want.marks.erase(want.marks.begin() + p - 1);
                break;
            case 2:
                if (size == 0)
                    continue;
                a = std::make_unique<TDeleteAction>(ActionKind::Delete, g, p, false);
                want.bytes.erase(want.bytes.begin() + p);
                want.marks.erase(want.marks.begin() + p);
                break;
            case 3: {
                const int q = pick(size + 1);
                a = std::make_unique<TInsertAction>(
                    q == size ? ActionKind::Append : ActionKind::Insert, g, q, false);
                want.bytes.insert(want.bytes.begin() + q, 0);
                want.marks.insert(want.marks.begin() + q, 0);
                break;
            }
            case 4: {
                const int q = pick(size + 1);
                // Now and then enough to cross the 64 KiB storage step.
                const int n = pick(60) == 0 ? 65536 + pick(100) : 1 + pick(20);
                const Bytes pattern{std::uint8_t(rng()), std::uint8_t(rng()), 7};
                const int len = 1 + pick(3);
                a = std::make_unique<TInsertBytesAction>(g, q, false, n, pattern.data(), len);
                Bytes fill = Bytes(std::size_t(n));
                for (int i = 0; i < n; ++i)
                    fill[std::size_t(i)] = pattern[std::size_t(i % len)];
                want.bytes.insert(want.bytes.begin() + q, fill.begin(), fill.end());
                want.marks.insert(want.marks.begin() + q, std::size_t(n), 0);
                break;
            }
            case 5: {
                if (size == 0)
                    continue;
                const int n = pick(4) == 0 ? size : 1 + pick(30);
                a = std::make_unique<TDeleteBytesAction>(r.ed, g, p, n, false);
                const int m = std::min(n, size - p);
                want.bytes.erase(want.bytes.begin() + p, want.bytes.begin() + p + m);
                want.marks.erase(want.marks.begin() + p, want.marks.begin() + p + m);
                break;
            }
            case 6: {
                if (size == 0)
                    continue;
                const int n = 1 + pick(std::min(5, size - p));
                const int m = pick(6);
                Bytes with = Bytes(std::size_t(m));
                for (auto &b : with)
                    b = std::uint8_t(rng());
                a = std::make_unique<TReplaceAction>(r.ed, g, p, false, n, with.data(), m);
                std::copy_n(with.begin(), std::min(n, m), want.bytes.begin() + p);
                if (m > n) {
                    want.bytes.insert(want.bytes.begin() + p + n, with.begin() + n, with.end());
                    want.marks.insert(want.marks.begin() + p + n, std::size_t(m - n), 0);
                } else {
                    want.bytes.erase(want.bytes.begin() + p + m, want.bytes.begin() + p + n);
                    want.marks.erase(want.marks.begin() + p + m, want.marks.begin() + p + n);
                }
                break;
            }
            case 7:
            case 8: {
                if (size == 0)
                    continue;
                const std::uint8_t colour = std::uint8_t(pick(7));
                a = std::make_unique<TMarkAction>(colour ? ActionKind::Mark : ActionKind::Unmark, g,
                                                  p, false, colour);
                want.marks[std::size_t(p)] = colour;
                break;
            }
            default: {
                if (size == 0)
                    continue;
                auto c = std::make_unique<TCompoundMarkAction>(ActionKind::Mark, g, false);
                const int from = pick(size), len = 1 + pick(size - from);
                switch (pick(3)) {
                case 0: { // anywhere, in any order
                    const int n = pick(3) == 0 ? size : pick(40);
                    for (int i = 0; i < n; ++i) {
                        const int q = pick(size);
                        const std::uint8_t colour = std::uint8_t(pick(7));
                        c->Add(doc, q, colour);
                        want.marks[std::size_t(q)] = colour;
                    }
                    break;
                }
                case 1: { // every byte or every other one of a stretch, going up or down
                    const int stride = 1 + pick(2);
                    const bool down = pick(2);
                    const std::uint8_t colour = std::uint8_t(pick(7));
                    for (int i = 0; i < len; i += stride) {
                        const int q = down ? from + len - 1 - i : from + i;
                        c->Add(doc, q, colour);
                        want.marks[std::size_t(q)] = colour;
                    }
                    break;
                }
                default: { // a colour per byte
                    Bytes colours(static_cast<std::size_t>(len));
                    for (auto &k : colours)
                        k = std::uint8_t(pick(7));
                    c->AddColours(doc, from, colours.data(), len);
                    std::copy(colours.begin(), colours.end(), want.marks.begin() + from);
                    break;
                }
                }
                if (c->Empty())
                    continue;
                a = std::move(c);
                break;
            }
            }
            const Snapshot before = Take(doc);
            const bool squeeze = pick(25) == 0;
            if (squeeze) // growth fails whenever it is needed
                doc.setStorageLimit(std::int64_t(doc.BufferCapacity()));
            const bool ok = h.AddAction(std::move(a), true);
            doc.setStorageLimit(INT64_MAX);
            if (!ok) {
                ASSERT_TRUE(squeeze);
                ASSERT_EQ(Take(doc), before);
                ASSERT_FALSE(h.CanUndo() || h.CanRedo());
                path = {before};
                at = 0;
            } else {
                ASSERT_EQ(Take(doc), want) << "op " << op;
                path.resize(std::size_t(at) + 1);
                path.push_back(want);
                ++at;
            }
        }
        ASSERT_EQ(Take(r.s.doc), path[std::size_t(at)]);
        ASSERT_TRUE(NoStaleMarks(r.s.doc));
        ASSERT_LE(r.s.view.CursorOffset(), std::max<std::int64_t>(0, r.s.doc.BufferSize() - 1));
        // Keep the documents small enough to check quickly.
        if (r.s.doc.BufferSize() > 70000 && pick(3) == 0) {
            load(small, Iota(50));
            h.Forget();
            path = {Take(r.s.doc)};
            at = 0;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Storage, RandomEdits, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "OnDemand" : "InMemory"; });
