#include "ScriptedHost.h"

#include "edit/EditTexts.h"
#include "edit/TDeleteAction.h"
#include "edit/TDeleteBytesAction.h"
#include "edit/TEditAction.h"
#include "edit/TInsertAction.h"
#include "edit/TInsertBytesAction.h"
#include "edit/TMarkAction.h"
#include "edit/TReplaceAction.h"

#include <gtest/gtest.h>

#include <functional>

using namespace vtm;
using namespace vtmtest;

namespace {
using Bytes = std::vector<std::uint8_t>;

// Marks by offset: byte i gets colour i % 7.
void Stripe(Document &d)
{
    for (std::int32_t i = 0; i < d.BufferSize(); ++i)
        d.SetMark(i, std::uint8_t(i % 7));
}
bool Add(Rig &r, std::unique_ptr<TAction> a)
{
    return r.s.History.AddAction(std::move(a), true);
}
int G(Rig &r)
{
    return r.ed.NextCommandNumber();
}
} // namespace

// Every action undone gives back the bytes, the marks and the length exactly; redone,
// the result of performing it. Around the 64 KiB storage step, at both ends, and on an
// empty document.
TEST(Actions, UndoAndRedoRestoreBytesAndMarksExactly)
{
    using Make = std::function<std::unique_ptr<TAction>(Rig &)>;
    const Bytes pattern{0x12, 0x34};
    const std::vector<std::pair<int, Make>> cases{
        {10, [](Rig &r) { return std::make_unique<TEditAction>(G(r), 5, false, 0x41); }},
        {2,
         [](Rig &r) { return std::make_unique<TDeleteAction>(ActionKind::Back, G(r), 1, false); }},
        {3,
         [](Rig &r) {
             return std::make_unique<TDeleteAction>(ActionKind::Delete, G(r), 2, false);
         }},
        {65536,
         [](Rig &r) {
             return std::make_unique<TInsertAction>(ActionKind::Insert, G(r), 0, false);
         }},
        {65536,
         [](Rig &r) {
             return std::make_unique<TInsertAction>(ActionKind::Append, G(r), 65536, false);
         }},
        {0,
         [](Rig &r) {
             return std::make_unique<TInsertAction>(ActionKind::Insert, G(r), 0, false);
         }},
        {65537,
         [](Rig &r) {
             return std::make_unique<TDeleteAction>(ActionKind::Delete, G(r), 65536, false);
         }},
        {65540,
         [](Rig &r) { return std::make_unique<TDeleteBytesAction>(r.ed, G(r), 0, 5, true); }},
        {20,
         [](Rig &r) { return std::make_unique<TDeleteBytesAction>(r.ed, G(r), 10, 100, false); }},
        {65535,
         [&](Rig &r) {
             return std::make_unique<TInsertBytesAction>(G(r), 100, false, 5, pattern.data(), 2);
         }},
        {0,
         [&](Rig &r) {
             return std::make_unique<TInsertBytesAction>(G(r), 0, false, 70000, pattern.data(), 2);
         }},
        {30,
         [](Rig &r) {
             const Bytes four{9, 9, 9, 9};
             return std::make_unique<TReplaceAction>(r.ed, G(r), 8, false, 2, four.data(), 4);
         }},
        {30,
         [](Rig &r) {
             return std::make_unique<TReplaceAction>(r.ed, G(r), 27, false, 3, nullptr, 0);
         }},
        {30,
         [](Rig &r) { return std::make_unique<TMarkAction>(ActionKind::Mark, G(r), 4, false, 6); }},
    };
    int n = 0;
    for (const auto &[size, make] : cases) {
        SCOPED_TRACE(n++);
        Rig r(Iota(size));
        Stripe(r.s.doc);
        const Bytes bytes = BytesOf(r.s.doc), marks = MarksOf(r.s.doc);
        ASSERT_TRUE(Add(r, make(r)));
        const Bytes doneBytes = BytesOf(r.s.doc), doneMarks = MarksOf(r.s.doc);
        EXPECT_TRUE(doneBytes != bytes || doneMarks != marks);
        r.s.History.Undo();
        EXPECT_EQ(BytesOf(r.s.doc), bytes);
        EXPECT_EQ(MarksOf(r.s.doc), marks);
        EXPECT_EQ(r.s.doc.ChangeCount(), 0);
        EXPECT_FALSE(r.s.doc.isModified());
        r.s.History.Redo();
        EXPECT_EQ(BytesOf(r.s.doc), doneBytes);
        EXPECT_EQ(MarksOf(r.s.doc), doneMarks);
    }
}

TEST(Actions, ResultsAndCursor)
{
    Rig r({0x41, 0x42});
    SetMarks(r.s.doc, "34");
    r.place(2, 0);
    Add(r, std::make_unique<TDeleteAction>(ActionKind::Back, G(r), 1, false));
    EXPECT_EQ(r.s.History.UndoName(), "(Back)");
    EXPECT_EQ(BytesOf(r.s.doc), Bytes{0x42});
    EXPECT_EQ(MarksOf(r.s.doc), Bytes{4});
    EXPECT_EQ(r.s.view.CursorOffset(), 0);
    r.s.History.Undo();
    EXPECT_EQ(r.s.view.CursorOffset(), 1);
    EXPECT_EQ(MarksOf(r.s.doc), (Bytes{3, 4}));

    Rig d(Iota(3));
    Add(d, std::make_unique<TDeleteAction>(ActionKind::Delete, G(d), 2, true));
    EXPECT_EQ(d.s.doc.BufferSize(), 2);
    EXPECT_EQ(d.s.view.CursorOffset(), 1);
    EXPECT_TRUE(d.s.view.InCharArea(d.s.view.CursorCol));

    // Inserted pattern bytes are unmarked; replacing grows inside a marked run.
    Rig p(Iota(8));
    Stripe(p.s.doc);
    const Bytes pattern{0x12, 0x34};
    Add(p, std::make_unique<TInsertBytesAction>(G(p), 2, false, 5, pattern.data(), 2));
    EXPECT_EQ(BytesOf(p.s.doc), (Bytes{0, 1, 0x12, 0x34, 0x12, 0x34, 0x12, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(MarksOf(p.s.doc), (Bytes{0, 1, 0, 0, 0, 0, 0, 2, 3, 4, 5, 6, 0}));
    EXPECT_EQ(p.s.view.CursorOffset(), 2);
    const Bytes four{9, 8, 7, 6};
    Add(p, std::make_unique<TReplaceAction>(p.ed, G(p), 8, false, 2, four.data(), 4));
    EXPECT_EQ(BytesOf(p.s.doc),
              (Bytes{0, 1, 0x12, 0x34, 0x12, 0x34, 0x12, 2, 9, 8, 7, 6, 5, 6, 7}));
    EXPECT_EQ(MarksOf(p.s.doc), (Bytes{0, 1, 0, 0, 0, 0, 0, 2, 3, 4, 0, 0, 5, 6, 0}));

    // Appending to a full hexadecimal row: the cursor stands on the new byte of a new row.
    Rig a(Iota(16));
    Add(a, std::make_unique<TInsertAction>(ActionKind::Append, G(a), 16, false));
    EXPECT_EQ(a.s.view.CursorOffset(), 16);
    EXPECT_EQ(a.s.view.RowCount, 2);
    EXPECT_EQ(a.cursor(), (CellPos{0, 1}));
}

// Save, undo one edit, make a new edit: modified, though the counter is back to 0.
TEST(Actions, ModifiedIsExact)
{
    Rig r(Iota(10));
    Add(r, std::make_unique<TEditAction>(G(r), 5, false, 0x41));
    EXPECT_EQ(r.s.doc.ChangeCount(), 1);
    EXPECT_TRUE(r.s.doc.isModified());
    r.s.doc.setChangeCount(0); // saved
    r.s.doc.markSaved();
    r.s.History.Undo();
    EXPECT_EQ(r.s.doc.ChangeCount(), -1);
    EXPECT_TRUE(r.s.doc.isModified());
    r.s.History.Redo();
    EXPECT_FALSE(r.s.doc.isModified());
    r.s.History.Undo();
    Add(r, std::make_unique<TEditAction>(G(r), 6, false, 0x42));
    EXPECT_EQ(r.s.doc.ChangeCount(), 0);
    EXPECT_TRUE(r.s.doc.isModified());
    // Marks never make the document modified.
    Rig m(Iota(10));
    Add(m, std::make_unique<TMarkAction>(ActionKind::Mark, G(m), 1, false, 2));
    EXPECT_FALSE(m.s.doc.isModified());
    EXPECT_EQ(m.s.doc.ChangeCount(), 0);
}

// Growth that fails: the message of the action, the document consistent and unchanged,
// the history gone. Every byte typed or inserted is kept in memory; zeros, removed bytes
// and bytes put back need none.
TEST(Actions, OutOfMemoryLeavesAConsistentDocument)
{
    const std::string shortText = "Operation failed! Possible reason: Not enough memory.";
    const std::string replaceText = shortText + " Close application!";
    auto consistent = [](Rig &r, const Bytes &bytes) {
        EXPECT_EQ(BytesOf(r.s.doc), bytes);
        EXPECT_FALSE(r.s.History.CanUndo());
        EXPECT_FALSE(r.s.History.CanRedo());
        EXPECT_GE(r.s.view.CursorOffset(), 0);
        EXPECT_LT(r.s.view.CursorOffset(), std::max<std::int64_t>(1, r.s.doc.BufferSize()));
    };
    const Bytes full = Iota(65536);
    const Bytes pattern{1, 2};
    {
        Rig r(full);
        Add(r, std::make_unique<TEditAction>(G(r), 0, false, 7));
        r.s.doc.setStorageLimit(65536 + 1); // the byte typed, and nothing more
        EXPECT_FALSE(
            Add(r, std::make_unique<TInsertBytesAction>(G(r), 0, false, 2, pattern.data(), 2)));
        ASSERT_EQ(r.host.messages.size(), 1u);
        EXPECT_EQ(r.host.messages[0].text, shortText);
        EXPECT_EQ(r.host.messages[0].kind, MessageKind::Error);
        Bytes b = full;
        b[0] = 7;
        consistent(r, b);
        EXPECT_FALSE(Add(r, std::make_unique<TEditAction>(G(r), 3, false, 9)));
        consistent(r, b);
        // A zero inserted needs no memory.
        EXPECT_TRUE(Add(r, std::make_unique<TInsertAction>(ActionKind::Append, G(r), 65536, false)));
        EXPECT_EQ(r.s.doc.BufferSize(), 65537);
    }
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        const int removed = which == 2 ? 20 : 1;
        Rig r(Iota(65536 + removed));
        r.s.settings.Language = LanguageGerman;
        Stripe(r.s.doc);
        Add(r, std::make_unique<TEditAction>(G(r), 9, false, 7)); // an older step
        const int g = G(r);
        // Two steps of one command: the newer one undoes, the older cannot grow back.
        if (which == 0)
            Add(r, std::make_unique<TDeleteAction>(ActionKind::Delete, g, 10, false));
        else if (which == 1)
            Add(r, std::make_unique<TDeleteAction>(ActionKind::Back, g, 10, false));
        else
            Add(r, std::make_unique<TDeleteBytesAction>(r.ed, g, 10, 20, false));
        Add(r, std::make_unique<TInsertAction>(ActionKind::Insert, g, 0, false));
        r.s.doc.setStorageLimit(0); // nothing more can be added
        r.place(30, 100);
        r.s.History.Undo();
        if (which == 2) { // the removed bytes come back as the pieces they were
            EXPECT_TRUE(r.host.messages.empty());
            EXPECT_EQ(r.s.doc.BufferSize(), 65536 + removed);
            continue;
        }
        ASSERT_FALSE(r.host.messages.empty());
        EXPECT_EQ(r.host.messages.back().text,
                  "Vorgang fehlgeschlagen! Vermutlich nicht genug Speicher. Bitte beenden Sie "
                  "das Programm!");
        EXPECT_EQ(r.s.doc.BufferSize(), 65536);
        EXPECT_EQ(r.s.doc.ByteAt(0), 0); // the newer step was undone, nothing older
        EXPECT_EQ(r.s.doc.ByteAt(9), which == 1 ? 10 : 7);
        consistent(r, BytesOf(r.s.doc));
    }
    {
        Rig r(full);
        const Bytes two{5, 6};
        r.s.doc.setStorageLimit(65536);
        EXPECT_FALSE(
            Add(r, std::make_unique<TReplaceAction>(r.ed, G(r), 0, false, 1, two.data(), 2)));
        EXPECT_EQ(r.host.messages.back().text, replaceText);
        consistent(r, full);
    }
    {
        // Undoing puts the replaced bytes back as pieces: no memory needed.
        Rig r(Iota(65537));
        const Bytes two{5, 6};
        Add(r, std::make_unique<TReplaceAction>(r.ed, G(r), 0, false, 2, two.data(), 1));
        r.s.doc.setStorageLimit(0);
        r.s.History.Undo();
        EXPECT_TRUE(r.host.messages.empty());
        EXPECT_EQ(BytesOf(r.s.doc), Iota(65537));
    }
    {
        // Past the largest document: out of memory, computed without overflow.
        Rig r(Iota(100));
        EXPECT_FALSE(Add(r, std::make_unique<TInsertBytesAction>(
                                G(r), 0, false, Document::MaxBufferSize, pattern.data(), 1)));
        EXPECT_EQ(r.host.messages.back().text, shortText);
        consistent(r, Iota(100));
        EXPECT_FALSE(Add(
            r, std::make_unique<TInsertBytesAction>(G(r), 0, false, INT64_MAX, pattern.data(), 1)));
        consistent(r, Iota(100));
    }
}

namespace {
// What the history asks of the window system, in order.
class LoggingContext : public EditContext
{
public:
    Document doc;
    TActions history;
    std::vector<std::string> log;

    explicit LoggingContext(const Bytes &bytes)
    {
        doc.loadBytes(bytes.data(), std::int64_t(bytes.size()));
        history.setContext(this);
    }
    Document &Doc() override { return doc; }
    TActions &History() override { return history; }
    vtm::Language Language() const override { return LanguageEnglish; }
    int NextCommandNumber() override { return ++m_command; }
    std::int64_t CursorOffset() const override { return m_cursor; }
    bool CursorInCharArea() const override { return false; }
    void MoveCursorToOffset(std::int64_t offset, bool, bool) override
    {
        m_cursor = offset;
        log.push_back("cursor");
    }
    void RequestLayout() override { log.push_back("layout"); }
    void UpdateView() override { log.push_back("update"); }
    void InvalidateView() override { log.push_back("invalidate"); }
    void UpdateMainWindow() override { log.push_back("menus"); }
    void Beep() override {}
    int ShowMessageDlg(const std::string &text, MessageKind, unsigned, int) override
    {
        log.push_back(text);
        return mrOk;
    }

private:
    int m_command = 0;
    std::int64_t m_cursor = 0;
};
} // namespace

// The message of a failed step comes over a view already laid out for the document as it
// is (and repainted, except while replacing); the cursor is placed after it.
TEST(Actions, FailureMessageAfterTheLayoutPass)
{
    using Log = std::vector<std::string>;
    const Bytes two{5, 6};
    {
        LoggingContext c(Iota(65536));
        c.doc.setStorageLimit(65536);
        EXPECT_FALSE(c.history.AddAction(std::make_unique<TInsertBytesAction>(
                                             c.NextCommandNumber(), 3, false, 2, two.data(), 2),
                                         true));
        EXPECT_EQ(c.log, (Log{"layout", "update", OutOfMemoryText(LanguageEnglish), "layout",
                              "cursor", "update"}));
        c.log.clear();
        EXPECT_FALSE(c.history.AddAction(
            std::make_unique<TReplaceAction>(c, c.NextCommandNumber(), 0, false, 1, two.data(), 2),
            true));
        EXPECT_EQ(c.log, (Log{"layout", OutOfMemoryReplaceText(LanguageEnglish), "layout", "cursor",
                              "update"}));
    }
    {
        LoggingContext c(Iota(65537));
        c.history.AddAction(
            std::make_unique<TDeleteAction>(ActionKind::Delete, c.NextCommandNumber(), 9, false),
            true);
        c.doc.setStorageLimit(65536);
        c.log.clear();
        c.history.Undo();
        EXPECT_EQ(c.log, (Log{"layout", "update", OutOfMemoryUndoText(LanguageEnglish), "layout",
                              "cursor", "menus"}));
    }
}

TEST(Actions, GuardsAndEmptyCounts)
{
    Rig r(Iota(10));
    const Bytes pattern{1};
    // Nothing to insert, nothing to delete, out of range: performed as no change at all.
    Add(r, std::make_unique<TInsertBytesAction>(G(r), 3, false, 0, pattern.data(), 1));
    Add(r, std::make_unique<TInsertBytesAction>(G(r), 3, false, 5, pattern.data(), 0));
    Add(r, std::make_unique<TDeleteBytesAction>(r.ed, G(r), 4, -5, false));
    Add(r, std::make_unique<TDeleteBytesAction>(r.ed, G(r), 10, 5, false));
    Add(r, std::make_unique<TDeleteAction>(ActionKind::Back, G(r), 0, false));
    Add(r, std::make_unique<TDeleteAction>(ActionKind::Delete, G(r), 10, false));
    Add(r, std::make_unique<TEditAction>(G(r), -1, false, 3));
    Add(r, std::make_unique<TMarkAction>(ActionKind::Mark, G(r), 10, false, 3));
    EXPECT_EQ(BytesOf(r.s.doc), Iota(10));
    EXPECT_EQ(r.s.doc.ChangeCount(), 0);
    for (int i = 0; i < 8; ++i)
        r.s.History.Undo();
    EXPECT_EQ(BytesOf(r.s.doc), Iota(10));
    EXPECT_EQ(r.s.doc.ChangeCount(), 0);
    EXPECT_EQ(MarksOf(r.s.doc), Bytes(10, 0));
}
