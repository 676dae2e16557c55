#include "print/PrintFlow.h"
#include "print/PrintJob.h"
#include "print/PrintLayout.h"
#include "print/PrintTexts.h"
#include "view/Layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using namespace vtm;

namespace {

Document MakeDocument(std::int64_t n, std::uint8_t first = 0x41)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(n));
    for (std::int64_t i = 0; i < n; ++i)
        bytes[std::size_t(i)] = std::uint8_t(first + i);
    Document doc;
    doc.loadBytes(bytes.data(), n);
    return doc;
}

// Records what each page gets. Fonts measure 6 x 11 per 10 size units, lines are 2 pixels
// taller than characters so that a mix-up of the two shows.
struct RecordingTarget : PrintTarget
{
    struct Item
    {
        char kind; // 't' text, 'c' cells, 'b' box
        std::int64_t x, y, x2, y2;
        std::string text;
        MarkBoxStyle style;
    };
    std::vector<std::vector<Item>> pages;
    std::int64_t width = 5000, height = 8000;
    int fontSize = 0, measures = 0, newPages = 0, ends = 0;
    bool failBegin = false;
    int failNewPageAt = -1; // the call of newPage that fails, 1-based
    std::function<void(int page)> onNewPage;

    bool beginJob(const std::string &) override
    {
        if (failBegin)
            return false;
        pages.emplace_back();
        return true;
    }
    bool newPage() override
    {
        if (++newPages == failNewPageAt)
            return false;
        pages.emplace_back();
        return true;
    }
    void endJob() override { ++ends; }
    std::int64_t pageWidth() const override { return width; }
    std::int64_t pageHeight() const override { return height; }
    PrintFontMetrics measureFont(int size) override
    {
        ++measures;
        return {size * 6 / 10, size * 11 / 10, size * 11 / 10 + 2};
    }
    void setFont(int size) override { fontSize = size; }
    int w() const { return fontSize * 6 / 10; }
    int pitch() const { return fontSize * 11 / 10 + 2; }
    std::int64_t textWidth(const std::string &s) override { return std::int64_t(s.size()) * w(); }
    void text(std::int64_t x, std::int64_t y, const std::string &s) override
    {
        pages.back().push_back({'t', x, y, 0, 0, s, {}});
    }
    void cells(std::int64_t x, std::int64_t y, std::string_view s) override
    {
        pages.back().push_back({'c', x, y, 0, 0, std::string(s), {}});
    }
    void box(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
             const MarkBoxStyle &style) override
    {
        pages.back().push_back({'b', x1, y1, x2, y2, {}, style});
    }

    std::vector<Item> of(std::size_t page, char kind) const
    {
        std::vector<Item> r;
        for (const Item &i : pages.at(page))
            if (i.kind == kind)
                r.push_back(i);
        return r;
    }
};

PrintInput Input(const Document &doc, bool hex = true)
{
    PrintInput in{.doc = doc};
    in.HexMode = hex;
    in.OffsetDigits =
        OffsetDigitsFor(int(PrintRowCount(doc.BufferSize(), hex ? 16 : 10)), hex ? 16 : 10);
    in.OpenName = "/tmp/a.bin";
    in.DateTime = "01.02.2024 10:11:12";
    in.FirstPage = 1;
    in.LastPage = 1000;
    return in;
}

} // namespace

TEST(PrintPages, PageArithmetic)
{
    EXPECT_EQ(PageCount(PrintRowCount(16 * 68, 16)), 1);
    EXPECT_EQ(PageCount(PrintRowCount(16 * 68 + 1, 16)), 2);
    EXPECT_EQ(PageCount(PrintRowCount(10 * 68 * 3, 10)), 3);
    EXPECT_EQ(PageCount(PrintRowCount(0, 16)), 0);
    EXPECT_EQ(PageFirstRow(2), 68);
    EXPECT_EQ(PageEndRow(2, 69), 69);
    EXPECT_EQ(ProposedPage(67), 1);
    EXPECT_EQ(ProposedPage(68), 2);
    EXPECT_EQ(ProposedPage(70), 2);
    // The largest document: row and page numbers need 64 bits on the way.
    const std::int64_t rows = PrintRowCount(Document::MaxBufferSize, 10);
    EXPECT_EQ(PageEndRow(PageCount(rows), rows), rows);
}

TEST(PrintPages, RowTextsAndColumnHeaders)
{
    const Document doc = MakeDocument(16 + 13);
    const PrintLayout hex = PrintLayout::For(true, 3, doc.BufferSize());
    EXPECT_EQ(PrintColumnHeader(hex), "     "
                                      "  0  1  2  3   4  5  6  7   8  9  A  B   C  D  E  F"
                                      "   0123456789ABCDEF");
    EXPECT_EQ(PrintRowText(hex, doc, 1, true), "010  "
                                               " 51 52 53 54  55 56 57 58  59 5A 5B 5C  5D   "
                                               "         QRSTUVWXYZ[\\]   ");

    const PrintLayout dec = PrintLayout::For(false, 3, doc.BufferSize());
    EXPECT_EQ(PrintColumnHeader(dec), "     "
                                      "   0   1   2   3   4    5   6   7   8   9"
                                      "   0123456789");
    EXPECT_EQ(PrintRowText(dec, doc, 1, true), "010  "
                                               " 075 076 077 078 079  080 081 082 083 084"
                                               "   KLMNOPQRST");
    EXPECT_EQ(PrintRowText(dec, doc, 2, true).substr(0, 25), "020   085 086 087 088 089");
    EXPECT_EQ(hex.RowChars(), int(PrintColumnHeader(hex).size()));

    // Characters pass the same filter as the view's.
    Document odd = MakeDocument(3, 0);
    const std::uint8_t odd81 = 0x81;
    odd.WriteBytes(2, &odd81, 1);
    EXPECT_EQ(PrintRowText(hex, odd, 0, true).substr(hex.CharPos(0), 3), "   ");
    EXPECT_EQ(PrintRowText(hex, odd, 0, false).substr(hex.CharPos(0), 3),
              std::string("\x00\x01\x81", 3));
}

TEST(PrintPages, OffsetColumnGrowsWithTheDocument)
{
    // Above 16 MiB the offset takes 7 hexadecimal digits, and every row is one wider.
    const std::int64_t big = (std::int64_t(1) << 24) + 1;
    const PrintLayout l =
        PrintLayout::For(true, OffsetDigitsFor(int(PrintRowCount(big, 16)), 16), big);
    EXPECT_EQ(l.OffsetDigits, 7);
    EXPECT_EQ(l.RowChars(), 79);
    // An offset width that is too small is widened rather than shifting the columns.
    EXPECT_EQ(PrintLayout::For(true, 3, big).OffsetDigits, 7);
    EXPECT_EQ(PrintLayout::For(false, 3, 100000).OffsetDigits, 5);

    Document doc = MakeDocument(big);
    RecordingTarget t;
    t.width = 79 * 60 + 30; // room for 79 characters of size 100, not for 82
    PrintInput in = Input(doc);
    in.FirstPage = in.LastPage = PageCount(PrintRowCount(big, 16));
    ASSERT_EQ(PrintPages(in, t, {}).pagesPrinted, 1);
    const auto rows = t.of(0, 'c');
    ASSERT_EQ(rows.size(), 18u); // column header and 17 rows, the last of one byte
    EXPECT_EQ(rows.back().text.substr(0, 8), "1000000 ");
    EXPECT_GE(rows.back().x, 0);
    EXPECT_LE(rows.back().x + std::int64_t(rows.back().text.size()) * t.w(), t.width);
}

TEST(PrintPages, BoxesSitUnderTheirCharacters)
{
    Document doc = MakeDocument(16 * 3);
    for (bool hexMode : {true, false}) {
        const PrintLayout l = PrintLayout::For(hexMode, 4, doc.BufferSize());
        const std::string row = PrintRowText(l, doc, 1, true);
        for (int w : {7, 8}) {
            for (int j = 0; j < l.BytesPerRow; ++j) {
                const std::int64_t o = std::int64_t(l.BytesPerRow) + j;
                const PrintBox n = NumberBox(l, j, 100, 50, w, 9);
                // The value's characters lie inside, with half a character to spare.
                const std::int64_t firstChar = (n.x1 - 100 + w / 2) / w;
                EXPECT_EQ((n.x1 - 100 + w / 2) % w, 0);
                EXPECT_EQ(n.x2 - n.x1, std::int64_t(l.CellChars + 1) * w);
                const std::string value =
                    row.substr(std::size_t(firstChar), std::size_t(l.CellChars));
                EXPECT_EQ(std::stoi(value, nullptr, hexMode ? 16 : 10), int(doc.ByteAt(o)))
                    << "column " << j << " width " << w;
                const PrintBox c = CharBox(l, j, 100, 50, w, 9);
                EXPECT_EQ(row[std::size_t((c.x1 - 100) / w)], char(doc.ByteAt(o)));
                EXPECT_EQ(c.x2 - c.x1, w);
                EXPECT_EQ(c.y2 - c.y1, 9);
            }
        }
    }
}

TEST(PrintPages, WhatEachPageHolds)
{
    Document doc = MakeDocument(16 * 68 + 1);
    doc.SetMark(17, 1);
    doc.SetMark(16 * 68, 4);
    RecordingTarget t;
    const PrintResult r = PrintPages(Input(doc), t, {});
    EXPECT_EQ(r.status, PrintStatus::Done);
    ASSERT_EQ(t.pages.size(), 2u);
    EXPECT_EQ(t.newPages, 1);
    EXPECT_EQ(t.ends, 1);

    const int w = t.w();
    const std::int64_t pitch = t.pitch();
    const auto texts = t.of(1, 't');
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "    01.02.2024 10:11:12");
    EXPECT_EQ(texts[0].x, 0);
    EXPECT_EQ(texts[1].text, "/tmp/a.bin");
    EXPECT_EQ(texts[1].x, (t.width - 10 * w) / 2);
    EXPECT_EQ(texts[2].text, "2    ");
    EXPECT_EQ(texts[2].x, t.width - 5 * w);
    for (const auto &i : texts)
        EXPECT_EQ(i.y, 0);

    const auto cells1 = t.of(0, 'c');
    ASSERT_EQ(cells1.size(), 69u);
    EXPECT_EQ(cells1[0].y, 3 * pitch);
    EXPECT_EQ(cells1[1].y, 5 * pitch);
    EXPECT_EQ(cells1[68].y, 72 * pitch);
    EXPECT_EQ(cells1[68].text.substr(0, 3), "430");
    const std::int64_t x0 = (t.width - 75 * w) / 2;
    for (const auto &c : cells1)
        EXPECT_EQ(c.x, x0);
    const auto cells2 = t.of(1, 'c');
    ASSERT_EQ(cells2.size(), 2u);
    EXPECT_EQ(cells2[1].text.substr(0, 3), "440");
    EXPECT_EQ(cells2[1].y, 5 * pitch);

    // Hatched marks: two framed boxes per marked byte, laid before the row's text.
    const auto boxes1 = t.of(0, 'b');
    ASSERT_EQ(boxes1.size(), 2u);
    const MarkBoxStyle red{true, colors::White, Hatch::Horizontal};
    EXPECT_EQ(boxes1[0].style, red);
    EXPECT_EQ(boxes1[1].style, red);
    EXPECT_EQ(boxes1[0].y, 6 * pitch);
    const auto &page1 = t.pages[0];
    const auto boxAt =
        std::find_if(page1.begin(), page1.end(), [](const auto &i) { return i.kind == 'b'; });
    ASSERT_NE(boxAt + 2, page1.end());
    EXPECT_EQ((boxAt + 2)->kind, 'c');
    EXPECT_EQ((boxAt + 2)->y, 6 * pitch);
    EXPECT_EQ(t.of(1, 'b').at(0).style.hatch, Hatch::RisingDiagonal);
}

TEST(PrintPages, MarkSettings)
{
    Document doc = MakeDocument(40);
    const std::uint8_t marks[] = {1, 2, 3, 4, 5, 6, 0, 0x80};
    doc.SetMarks(0, marks, 8);
    auto boxes = [&](bool none, bool hatched) {
        PrintInput in = Input(doc);
        in.DoNotPrintMarks = none;
        in.PrintMarksHatched = hatched;
        RecordingTarget t;
        PrintPages(in, t, {});
        return t.of(0, 'b');
    };
    EXPECT_TRUE(boxes(true, true).empty());
    EXPECT_TRUE(boxes(true, false).empty());

    const auto hatched = boxes(false, true);
    ASSERT_EQ(hatched.size(), 12u); // unmarked bytes and mark bits 0x80 alone get none
    const Hatch kinds[] = {Hatch::Horizontal,     Hatch::Vertical, Hatch::FallingDiagonal,
                           Hatch::RisingDiagonal, Hatch::Cross,    Hatch::DiagonalCross};
    for (int m = 0; m < 6; ++m) {
        EXPECT_EQ(hatched[std::size_t(2 * m)].style, hatched[std::size_t(2 * m + 1)].style);
        EXPECT_EQ(hatched[std::size_t(2 * m)].style.hatch, kinds[m]);
        EXPECT_TRUE(hatched[std::size_t(2 * m)].style.outline);
    }
    const auto coloured = boxes(false, false);
    ASSERT_EQ(coloured.size(), 12u);
    for (int m = 0; m < 6; ++m) {
        const MarkBoxStyle want{false, BrightMarkColor(std::uint8_t(m + 1)), Hatch::None};
        EXPECT_EQ(coloured[std::size_t(2 * m)].style, want);
        EXPECT_EQ(coloured[std::size_t(2 * m + 1)].style, want);
    }
}

TEST(PrintPages, StopFinishesThePageAndStartsNoOther)
{
    Document doc = MakeDocument(16 * 68 * 5);
    RecordingTarget t;
    struct StopMeter : JobMeter
    {
        bool stop = false;
        bool poll() override { return !stop; }
    } meter;
    PrintHooks hooks;
    hooks.pageStarted = [&](std::int64_t page) {
        if (page == 2)
            meter.stop = true; // pressed while page 2 prints
    };
    hooks.meter = &meter;
    const PrintResult r = PrintPages(Input(doc), t, hooks);
    EXPECT_EQ(r.status, PrintStatus::Cancelled);
    EXPECT_EQ(r.pagesPrinted, 2);
    EXPECT_EQ(t.newPages, 1);
    ASSERT_EQ(t.pages.size(), 2u);
    EXPECT_EQ(t.of(1, 'c').size(), 69u);
    EXPECT_EQ(meter.done(), 2 * 68); // rows
    EXPECT_EQ(meter.total(), 5 * 68);
    EXPECT_EQ(t.ends, 1);

    // Stopped before the first page: the job is ended with nothing on it.
    RecordingTarget early;
    StopMeter stopped;
    stopped.stop = true;
    hooks.meter = &stopped;
    EXPECT_EQ(PrintPages(Input(doc), early, hooks).pagesPrinted, 0);
    EXPECT_EQ(early.newPages, 0);
    EXPECT_EQ(early.ends, 1);
}

TEST(PrintPages, PageRangesAndFailures)
{
    Document doc = MakeDocument(16 * 68 * 5);
    PrintInput in = Input(doc);
    in.FirstPage = 4;
    in.LastPage = 99; // beyond the end: clamped
    RecordingTarget t;
    const PrintResult r = PrintPages(in, t, {});
    EXPECT_EQ(r.pagesPrinted, 2);
    EXPECT_EQ(t.of(0, 'c').at(1).text.substr(0, 4), "0CC0"); // row 204
    EXPECT_EQ(t.of(1, 't').at(2).text, "5    ");
    // The font is fitted once per job, not per page.
    RecordingTarget one;
    in.LastPage = 4;
    PrintPages(in, one, {});
    EXPECT_EQ(one.measures, t.measures);

    RecordingTarget none;
    in.FirstPage = 6;
    in.LastPage = 9;
    EXPECT_EQ(PrintPages(in, none, {}).pagesPrinted, 0);
    EXPECT_TRUE(none.pages.empty()); // no job, so no empty sheet

    RecordingTarget noBegin;
    noBegin.failBegin = true;
    EXPECT_EQ(PrintPages(Input(doc), noBegin, {}).status, PrintStatus::BeginFailed);
    EXPECT_EQ(noBegin.ends, 0);

    RecordingTarget noSheet;
    noSheet.failNewPageAt = 2;
    const PrintResult f = PrintPages(Input(doc), noSheet, {});
    EXPECT_EQ(f.status, PrintStatus::NewPageFailed);
    EXPECT_EQ(f.failedPage, 3);
    EXPECT_EQ(f.pagesPrinted, 2);
    EXPECT_EQ(noSheet.ends, 1);
}

TEST(PrintFlow, DialogOffersAndErrorsShown)
{
    EXPECT_EQ(PlanPrint(true, 0, 0).pages, 0); // an empty document opens no dialog
    // Four hex pages, three decimal; the cursor's page is offered, never one past the end.
    const PrintPlan plan = PlanPrint(true, 16 * 68 * 4, 70);
    EXPECT_EQ(plan.pages, 4);
    EXPECT_EQ(plan.proposedPage, 2);
    EXPECT_EQ(PlanPrint(false, 16 * 68 * 4, 0).pages, 7);
    EXPECT_EQ(PlanPrint(true, 16 * 68 * 4, 68 * 4).proposedPage, 4);
    EXPECT_EQ(ChosenPages(plan, false, 3, 3), (PageRange{1, 4}));
    EXPECT_EQ(ChosenPages(plan, true, 3, 3), (PageRange{3, 3}));
    EXPECT_EQ(DialogPageNumber(0), 1);
    EXPECT_EQ(DialogPageNumber(std::int64_t(1) << 40), INT32_MAX);
    // The largest document: the cursor's page lies past 2^31 rows.
    const PrintPlan largest = PlanPrint(true, Document::MaxBufferSize, std::int64_t(1) << 33);
    EXPECT_EQ(largest.pages, ((std::int64_t(1) << 36) + 67) / 68);
    EXPECT_EQ(largest.proposedPage, (std::int64_t(1) << 33) / 68 + 1);

    PrintResult r;
    EXPECT_FALSE(PrintErrorText(r, "", LanguageEnglish));
    r.status = PrintStatus::Cancelled;
    EXPECT_FALSE(PrintErrorText(r, "", LanguageEnglish));
    r.status = PrintStatus::BeginFailed;
    EXPECT_EQ(PrintErrorText(r, "", LanguageGerman), PrintBeginFailedText(LanguageGerman));
    r.status = PrintStatus::NewPageFailed;
    r.failedPage = 3;
    EXPECT_EQ(PrintErrorText(r, "", LanguageEnglish), PrintNewPageFailedText(LanguageEnglish, 3));
    r.status = PrintStatus::Failed;
    EXPECT_EQ(PrintErrorText(r, "Out of paper", LanguageEnglish), "Out of paper.");
}

TEST(PrintPages, FontFittingEndsForAnyMetrics)
{
    // Liberation Mono-like growth: the largest size that fits, and the next does not.
    auto mono = [](int s) { return PrintFontMetrics{s * 6 / 10, s * 113 / 100, 0}; };
    const int size = FitFontSize(mono, 9000, 13000, 78, 73);
    EXPECT_LE(78 * mono(size).charWidth, 9000);
    EXPECT_LE(73 * mono(size).charHeight, 13000);
    EXPECT_TRUE(78 * mono(size + 1).charWidth > 9000 || 73 * mono(size + 1).charHeight > 13000);

    int calls = 0;
    auto constant = [&](int) {
        ++calls;
        return PrintFontMetrics{5, 5, 5};
    };
    EXPECT_EQ(FitFontSize(constant, 9000, 13000, 78, 73), 2);
    EXPECT_LT(calls, 100);
    EXPECT_EQ(FitFontSize([](int) { return PrintFontMetrics{}; }, 9000, 13000, 78, 73), 1);
    // Too small a page for any size, and metrics that never outgrow a huge page.
    EXPECT_EQ(FitFontSize(mono, 10, 10, 78, 73), 1);
    EXPECT_EQ(FitFontSize(
                  [](int s) {
                      return PrintFontMetrics{s, s, s};
                  },
                  INT64_MAX / 2, INT64_MAX / 2, 78, 73, 500),
              500);
    // Metrics that stall for a few sizes and grow again are followed further.
    auto steps = [](int s) { return PrintFontMetrics{s / 8 + 1, s / 8 + 1, 0}; };
    EXPECT_GT(FitFontSize(steps, 78 * 20, 73 * 20, 78, 73), 100);
}
