// Painting one full view of the dump through QtCanvas, in the middle of a small and a
// large document; the time should not depend on the document's size.
#include "app/EditorState.h"
#include "gui/view/DumpFont.h"
#include "gui/view/QtCanvas.h"
#include "view/DumpPainter.h"
#include "view/Layout.h"
#include "view/TPlixScrollBar.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstring>
#include <vector>
#include <memory>
#include <string_view>

namespace {

constexpr int kVisibleRows = 40;

// Stands in for the window system's scroll bar: keeps the clamped position.
class StoredScrollBar : public vtm::ScrollBarBackend
{
public:
    void setScrollInfo(int, int range, int page, int position) override
    {
        m_position = vtm::ClampScrollPosition(range, page, position);
    }
    int trackPosition(int) const override { return m_position; }

private:
    int m_position = 0;
};

// Counts the calls of one paint, to show which drawing paths a view takes.
class CountingCanvas : public vtm::Canvas
{
public:
    int texts = 0;
    int fills = 0;
    void fillRect(int, int, int, int, vtm::Color) override { ++fills; }
    void drawText(int, int, std::string_view, vtm::Color, vtm::Color) override { ++texts; }
};

struct View
{
    vtm::EditorState state;
    StoredScrollBar vert;
    StoredScrollBar horz;
};

vtm::DumpFont *g_font = nullptr;
std::unique_ptr<View> g_small;
std::unique_ptr<View> g_large;
std::unique_ptr<View> g_huge;

std::unique_ptr<View> makeView(std::int64_t n)
{
    auto v = std::make_unique<View>();
    vtm::Document &doc = v->state.doc;
    std::vector<std::uint8_t> b(static_cast<std::size_t>(n));
    std::uint64_t x = 0x2545F4914F6CDD1Dull ^ std::uint64_t(n);
    for (std::int64_t i = 0; i < n; ++i) { // xorshift64: varied bytes, all glyphs appear
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        b[std::size_t(i)] = std::uint8_t(x >> 24);
    }
    doc.loadBytes(b.data(), n);
    v->state.view.VertBar.Owner = &v->vert;
    v->state.view.HorzBar.Owner = &v->horz;
    v->state.view.fontCharWidth = g_font->charWidth();
    v->state.view.fontCharHeight = g_font->charHeight();
    return v;
}

// Lays the view out in the given base, scrolled to the middle, with a few marked rows
// (one whole-row mark for the fast path, partial marks for the cell-by-cell path).
void configure(View &v, bool hex)
{
    vtm::EditorState &s = v.state;
    s.view.HexMode = hex;
    vtm::ComputeLayout(s.view, s.doc.BufferSize());
    s.view.VisibleRows = kVisibleRows;
    const std::int64_t middle = s.view.RowCount / 2;
    s.view.VertBar.SetParams(s.view.RowCount, kVisibleRows, middle);
    const std::int64_t top = s.view.TopRow();

    const std::int64_t bpr = s.view.BytesPerRow;
    const std::int64_t first = top * bpr;
    const std::vector<std::uint8_t> none(std::size_t(kVisibleRows * bpr), 0), row(16, 2),
        part(5, 3);
    s.doc.SetMarks(first, none.data(), std::int64_t(none.size()));
    s.doc.SetMarks((top + 5) * bpr, row.data(), bpr); // whole row, one colour
    s.doc.SetMark((top + 12) * bpr + 3, 1);           // one cell
    s.doc.SetMarks((top + 20) * bpr, part.data(), 5); // part of a row
    s.doc.SetMark((top + 31) * bpr + bpr - 1, 6);     // last cell

    s.view.CursorRow = top + 17;
    s.view.CursorCol = 3 * s.view.CellChars + 1;
    s.view.CursorVisible = true;
}

// Times painting the visible rows; atEnd scrolls to the last rows with the cursor there.
void paintView(benchmark::State &state, View &v, bool hex, bool atEnd = false)
{
    configure(v, hex);
    vtm::EditorState &s = v.state;
    if (atEnd) {
        const std::int64_t last = s.view.RowCount - 1;
        s.view.VertBar.SetParams(s.view.RowCount, kVisibleRows, last - kVisibleRows + 1);
        s.view.CursorRow = last;
    }
    const vtm::Metrics &m = s.view.metrics;
    const int width = s.view.BytesPerRow * m.CellWidth + m.CharAreaWidth - 1;
    const int height = kVisibleRows * m.RowHeight - 1;
    CountingCanvas counted;
    vtm::PaintRows(counted, s.Scene(), 0, kVisibleRows * m.RowHeight - 1);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (auto _ : state) {
        QPainter painter(&image);
        vtm::QtCanvas canvas(painter, *g_font);
        vtm::PaintRows(canvas, s.Scene(), 0, kVisibleRows * m.RowHeight - 1);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["docMiB"] = double(s.doc.BufferSize()) / (1024.0 * 1024.0);
    state.counters["topRow"] = double(s.view.TopRow());
    state.counters["texts"] = counted.texts;
    state.counters["fills"] = counted.fills;
}

// The last rows of a 64 GiB document (1 MiB of varied bytes around 64 GiB of zeros held
// as a fill): painting reads through the pieces as fast as in 1 MiB.
void BM_PaintHex64GiBEnd(benchmark::State &state)
{
    paintView(state, *g_huge, true, true);
}

void BM_PaintHex1MiB(benchmark::State &state)
{
    paintView(state, *g_small, true);
}
void BM_PaintHex256MiB(benchmark::State &state)
{
    paintView(state, *g_large, true);
}
void BM_PaintDec1MiB(benchmark::State &state)
{
    paintView(state, *g_small, false);
}
void BM_PaintDec256MiB(benchmark::State &state)
{
    paintView(state, *g_large, false);
}

BENCHMARK(BM_PaintHex1MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintHex256MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintDec1MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintDec256MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintHex64GiBEnd)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv); // fonts need the window system's font database
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    vtm::DumpFont font;
    g_font = &font;
    g_small = makeView(std::int64_t(1) << 20);
    g_large = makeView(std::int64_t(256) << 20);
    g_huge = makeView(std::int64_t(1) << 20);
    g_huge->state.doc.insertZeros(std::int64_t(1) << 19, std::int64_t(64) << 30);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_huge.reset();
    g_large.reset();
    g_small.reset();
    return 0;
}
