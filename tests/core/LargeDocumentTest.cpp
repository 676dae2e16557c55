#include "ScriptedHost.h"

#include "edit/TActions.h"
#include "edit/TDeleteBytesAction.h"
#include "edit/TEditAction.h"
#include "edit/TInsertBytesAction.h"
#include "edit/TMarkAction.h"
#include "marks/MarkCommands.h"
#include "search/SearchBytes.h"

#include <gtest/gtest.h>

#include <memory>

using namespace vtm;
using namespace vtmtest;

namespace {
constexpr std::int64_t G = std::int64_t(1) << 30;
using Bytes = std::vector<std::uint8_t>;
} // namespace

// A 64 GiB document held as pieces: editing, searching and marking at far offsets and
// across the 4 GiB boundary cost what a small document costs, and undo restores it all.
TEST(LargeDocuments, EditSearchAndMarkFarOffsets)
{
    Rig r(Bytes{1, 2, 3});
    TActions &h = r.s.History;
    Document &doc = r.s.doc;
    const auto g = [&] { return r.ed.NextCommandNumber(); };
    const Bytes zero{0}, ab{0x41, 0x42};
    // 64 GiB of zeros between the first two bytes: a fill that takes no memory.
    ASSERT_TRUE(h.AddAction(
        std::make_unique<TInsertBytesAction>(g(), 1, false, 64 * G, zero.data(), 1), true));
    const std::int64_t size = 64 * G + 3;
    ASSERT_EQ(doc.BufferSize(), size);
    EXPECT_LT(doc.BufferCapacity(), std::int64_t(1) << 20);

    r.ed.MoveCursorToOffset(size - 1, false, false);
    EXPECT_EQ(r.s.view.CursorOffset(), size - 1);
    EXPECT_EQ(doc.ByteAt(size - 1), 3);
    EXPECT_EQ(doc.ByteAt(size - 2), 2);

    // Overtype on both sides of 4 GiB, insert in front, delete across the boundary.
    ASSERT_TRUE(h.AddAction(std::make_unique<TEditAction>(g(), 4 * G - 1, false, 0xAB), true));
    ASSERT_TRUE(h.AddAction(std::make_unique<TEditAction>(g(), 4 * G, false, 0xCD), true));
    ASSERT_TRUE(
        h.AddAction(std::make_unique<TInsertBytesAction>(g(), 0, false, 2, ab.data(), 2), true));
    // Now AB stands at 4 GiB + 1 and CD at 4 GiB + 2; the two bytes before CD go.
    ASSERT_TRUE(h.AddAction(std::make_unique<TDeleteBytesAction>(r.ed, g(), 4 * G, 2, false), true));
    EXPECT_EQ(doc.BufferSize(), size);
    EXPECT_EQ(doc.ByteAt(4 * G), 0xCD);
    EXPECT_EQ(doc.ByteAt(4 * G - 1), 0);
    EXPECT_EQ(doc.ByteAt(size - 2), 2);

    // Searches cross from the fill into the typed byte and back (the scan speed over the
    // gigabytes between is the benchmark's business).
    const Bytes cd{0xCD}, zeroCd{0, 0xCD}, two{2, 3};
    EXPECT_EQ(SearchDocument(doc, cd, 4 * G - 100, false, false), 4 * G);
    EXPECT_EQ(SearchDocument(doc, zeroCd, 4 * G - 100, false, false), 4 * G - 1);
    EXPECT_EQ(SearchDocument(doc, zeroCd, 4 * G + 100, true, false), 4 * G - 1);
    EXPECT_EQ(SearchDocument(doc, two, size - 100, false, false), size - 2);
    EXPECT_EQ(SearchDocument(doc, ab, 100, true, false), 0);

    // A mark at the far end is found from the start without looking at what lies between.
    ASSERT_TRUE(h.AddAction(
        std::make_unique<TMarkAction>(ActionKind::Mark, g(), size - 1, false, std::uint8_t(4)),
        true));
    EXPECT_EQ(FindMarkForward(doc, 0, AnyMark), size - 1);
    EXPECT_EQ(FindMarkBackward(doc, size - 2, 4), -1);

    // Every step undone gives the first contents back; redone, the last ones.
    while (h.CanUndo())
        h.Undo();
    EXPECT_EQ(doc.BufferSize(), 3);
    EXPECT_EQ(BytesOf(doc), (Bytes{1, 2, 3}));
    EXPECT_EQ(doc.MarkedCount(), 0);
    while (h.CanRedo())
        h.Redo();
    EXPECT_EQ(doc.BufferSize(), size);
    EXPECT_EQ(doc.ByteAt(0), 0x41);
    EXPECT_EQ(doc.ByteAt(4 * G), 0xCD);
    EXPECT_EQ(doc.MarkAt(size - 1), 4);

    // 8 GiB of a three-byte pattern in the middle: one written-out block, read at any phase.
    const Bytes abc{'a', 'b', 'c'};
    const std::int64_t before = doc.BufferCapacity();
    ASSERT_TRUE(h.AddAction(
        std::make_unique<TInsertBytesAction>(g(), 8 * G, false, 8 * G, abc.data(), 3), true));
    EXPECT_LT(doc.BufferCapacity() - before, std::int64_t(1) << 20);
    EXPECT_EQ(doc.ByteAt(8 * G), 'a');
    EXPECT_EQ(doc.ByteAt(16 * G - 1), 'a' + (8 * G - 1) % 3);
    EXPECT_EQ(doc.MarkAt(size + 8 * G - 1), 4);
    EXPECT_EQ(SearchDocument(doc, Bytes{0, 'a', 'b'}, 8 * G - 100, false, false), 8 * G - 1);
    EXPECT_EQ(SearchDocument(doc, Bytes{'b', 0, 0}, 16 * G - 100, false, false), 16 * G - 1);
    EXPECT_EQ(SearchDocument(doc, Bytes{'b', 0}, 16 * G + 100, true, false), 16 * G - 1);
    h.Undo();
    EXPECT_EQ(doc.BufferSize(), size);
    EXPECT_EQ(doc.MarkAt(size - 1), 4);
}
