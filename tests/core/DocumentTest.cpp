#include "ScriptedHost.h"

#include <gtest/gtest.h>

using namespace vtm;
using namespace vtmtest;
using Bytes = std::vector<std::uint8_t>;

namespace {
void Load(Document &d, const Bytes &bytes)
{
    ASSERT_TRUE(d.loadBytes(bytes.data(), std::int64_t(bytes.size())));
}
} // namespace

TEST(DocumentStorage, LoadedBytesTakeTheNextStepOf64KiBAndEditsCopyNothing)
{
    Document d;
    EXPECT_EQ(d.BufferCapacity(), 0);
    EXPECT_TRUE(d.MarkRuns().empty());
    for (auto [n, cap] : {std::pair{1, 65536}, {65536, 65536}, {65537, 131072}}) {
        Load(d, Bytes(std::size_t(n), 7));
        EXPECT_EQ(d.BufferCapacity(), cap) << n;
    }
    // Removing and inserting zeros hold no bytes of their own.
    d.remove(100, 1);
    d.remove(0, d.BufferSize());
    d.insertZeros(0, 1);
    EXPECT_EQ(d.BufferSize(), 1);
    EXPECT_EQ(d.BufferCapacity(), 131072);
    EXPECT_EQ(d.ByteAt(0) + d.MarkAt(0), 0);
    d.clear();
    EXPECT_EQ(d.BufferCapacity(), 0);
}

TEST(DocumentStorage, InsertAndRemoveMoveMarksWithTheirBytes)
{
    Document d;
    Load(d, {10, 11, 12, 13, 14});
    SetMarks(d, "12345");
    d.insertZeros(2, 3);
    EXPECT_EQ(BytesOf(d), (Bytes{10, 11, 0, 0, 0, 12, 13, 14}));
    EXPECT_EQ(MarksOf(d), (Bytes{1, 2, 0, 0, 0, 3, 4, 5}));
    d.remove(1, 5);
    EXPECT_EQ(BytesOf(d), (Bytes{10, 13, 14}));
    EXPECT_EQ(MarksOf(d), (Bytes{1, 4, 5}));
    d.insertZeros(3, 1); // the removed marks must not reappear
    EXPECT_EQ(MarksOf(d), (Bytes{1, 4, 5, 0}));
}

TEST(DocumentStorage, GrowthPastTheLimitThrowsAndChangesNothing)
{
    Document d;
    const Bytes bytes(65536, 0x5A);
    Load(d, bytes);
    d.SetMark(3, 2);
    auto unchanged = [&] {
        EXPECT_EQ(BytesOf(d), bytes);
        EXPECT_EQ(d.MarkAt(3), 2);
        EXPECT_EQ(d.BufferCapacity(), 65536);
        };
    d.setStorageLimit(65536); // no byte can be added
    const std::uint8_t one = 1;
    EXPECT_THROW(d.InsertBytes(0, &one, 1), OutOfMemoryError);
    unchanged();
    EXPECT_THROW(d.WriteBytes(10, &one, 1), OutOfMemoryError);
    unchanged();
    d.insertZeros(10, 1); // zeros take no memory
    EXPECT_EQ(d.BufferSize(), 65537);
}

TEST(DocumentLoad, FileReplacesContentsAndMarks)
{
    Document d;
    Load(d, {1, 2, 3, 4});
    SetMarks(d, "1234");
    d.setChangeCount(3);
    TempFile six({9, 8, 7, 6, 5, 4}), two({1, 1}), empty({});

    ASSERT_TRUE(d.loadFile(six.path, true));
    EXPECT_EQ(BytesOf(d), (Bytes{9, 8, 7, 6, 5, 4}));
    EXPECT_EQ(MarksOf(d), (Bytes{1, 2, 3, 4, 0, 0}));
    EXPECT_EQ(d.ChangeCount(), 0);
    // Marks dropped with a shorter file stay dropped.
    ASSERT_TRUE(d.loadFile(two.path, true));
    ASSERT_TRUE(d.loadFile(six.path, true));
    EXPECT_EQ(MarksOf(d), (Bytes{1, 2, 0, 0, 0, 0}));

    ASSERT_TRUE(d.loadFile(six.path));
    EXPECT_EQ(MarksOf(d), Bytes(6, 0));

    ASSERT_TRUE(d.loadFile(empty.path));
    EXPECT_EQ(d.BufferSize(), 0);
    EXPECT_EQ(d.BufferCapacity(), 0);
}

TEST(DocumentLoad, FailureLeavesThePreviousDocument)
{
    Document d;
    Load(d, {1, 2, 3, 4, 5});
    SetMarks(d, "..3");
    d.setChangeCount(2);
    auto intact = [&] {
        EXPECT_EQ(BytesOf(d), (Bytes{1, 2, 3, 4, 5}));
        EXPECT_EQ(d.MarkAt(2), 3);
        EXPECT_EQ(d.ChangeCount(), 2);
        EXPECT_EQ(d.BufferCapacity(), 65536);
    };
    const auto tmp = std::filesystem::temp_directory_path();
    EXPECT_FALSE(d.loadFile((tmp / "vtm_no_such_file").string()));
    intact();
    EXPECT_FALSE(d.loadFile(tmp.string()));
    intact();
    // Longer than the largest document: refused before anything is read (the file is sparse).
    TempFile huge(Bytes{});
    std::filesystem::resize_file(huge.path, std::uintmax_t(Document::MaxBufferSize) + 1);
    EXPECT_FALSE(d.loadFile(huge.path));
    intact();

    TempFile big(Bytes(65537, 1)); // the buffer needs 128 KiB; marks need nothing
    d.setStorageLimit(131071);
    EXPECT_FALSE(d.loadFile(big.path));
    intact();
    EXPECT_FALSE(d.loadFile(big.path, true));
    intact();
    d.setStorageLimit(131072);
    EXPECT_TRUE(d.loadFile(big.path, true));
    EXPECT_EQ(d.MarkAt(2), 3);
}

TEST(DocumentLoad, LimitCountsTheNewContents)
{
    Document d;
    Load(d, {1, 2, 3});
    TempFile big(Bytes(65537, 1));
    d.setStorageLimit(65536); // no room for the new buffer
    EXPECT_FALSE(d.loadFile(big.path));
    EXPECT_EQ(d.BufferSize(), 3);
    EXPECT_LE(d.BufferCapacity(), 65536);
}

// Moving a tail touches marks only as far as marked bytes reach; that reach follows
// the last mark back when it goes.
TEST(DocumentStorage, MarkedEndFollowsTheLastMark)
{
    Document d;
    Load(d, Bytes(100, 1));
    EXPECT_EQ(d.MarkedEnd(), 0);
    d.SetMark(10, 2);
    d.SetMark(90, 3);
    EXPECT_EQ(d.MarkedEnd(), 91);
    EXPECT_EQ(d.MarkedCount(), 2);
    d.SetMark(90, 0);
    EXPECT_EQ(d.MarkedEnd(), 11);
    d.insertZeros(50, 5); // past every mark: nothing of the marks moves
    EXPECT_EQ(d.MarkedEnd(), 11);
    d.insertZeros(0, 5);
    EXPECT_EQ(d.MarkedEnd(), 16);
    EXPECT_EQ(d.MarkAt(15), 2);
    const Bytes none(20, 0);
    d.SetMarks(0, none.data(), 20);
    EXPECT_EQ(d.MarkedEnd(), 0);
    d.remove(0, 110);
    EXPECT_EQ(d.MarkedEnd(), 0);
}
