#include "print/PrintJob.h"

#include "print/PrintLayout.h"
#include "print/PrintTexts.h"

#include <algorithm>

namespace vtm {

namespace {
// Sizes in a row that measure no larger before the search gives up.
constexpr int kMaxStaleSizes = 32;

// Ends the job however the page loop is left, exceptions included.
class JobGuard
{
public:
    explicit JobGuard(PrintTarget &target)
        : m_target(target)
    {}
    ~JobGuard() { m_target.endJob(); }
    JobGuard(const JobGuard &) = delete;
    JobGuard &operator=(const JobGuard &) = delete;

private:
    PrintTarget &m_target;
};
} // namespace

int FitFontSize(const std::function<PrintFontMetrics(int size)> &measure, std::int64_t pageWidth,
                std::int64_t pageHeight, int columns, int lines, int maxSize)
{
    int best = 1;
    PrintFontMetrics grown;
    int stale = 0;
    for (int size = 2; size <= maxSize; ++size) {
        const PrintFontMetrics m = measure(size);
        if (m.charWidth <= 0 || m.charHeight <= 0)
            break;
        if (std::int64_t(columns) * m.charWidth > pageWidth
            || std::int64_t(lines) * m.charHeight > pageHeight)
            break;
        if (m.charWidth > grown.charWidth || m.charHeight > grown.charHeight) {
            best = size;
            grown = m;
            stale = 0;
        } else if (++stale >= kMaxStaleSizes) {
            break;
        }
    }
    return best;
}

std::optional<MarkBoxStyle> MarkStyle(std::uint8_t mark, bool hatched)
{
    static constexpr Hatch kHatches[] = {Hatch::Horizontal,      Hatch::Vertical,
                                         Hatch::FallingDiagonal, Hatch::RisingDiagonal,
                                         Hatch::Cross,           Hatch::DiagonalCross};
    const int m = mark & 0x7F; // the bits the view reads, too
    if (m < 1 || m > 6)
        return std::nullopt;
    if (hatched)
        return MarkBoxStyle{true, colors::White, kHatches[m - 1]};
    return MarkBoxStyle{false, BrightMarkColor(mark), Hatch::None};
}

PrintResult PrintPages(const PrintInput &in, PrintTarget &target, const PrintHooks &hooks)
{
    PrintResult result;
    const Document &doc = in.doc;
    const PrintLayout layout = PrintLayout::For(in.HexMode, in.OffsetDigits, doc.BufferSize());
    const std::int64_t rowCount = PrintRowCount(doc.BufferSize(), layout.BytesPerRow);
    const std::int64_t first = std::max<std::int64_t>(1, in.FirstPage);
    const std::int64_t last = std::min(PageCount(rowCount), in.LastPage);
    // Nothing to print makes no job: a printer would eject an empty sheet.
    if (last < first)
        return result;

    if (!target.beginJob(PrintJobTitle(in.OpenName))) {
        result.status = PrintStatus::BeginFailed;
        return result;
    }
    const JobGuard guard(target);

    // One size for the whole job, wide enough for the widest offset of the document.
    const std::int64_t width = target.pageWidth();
    const std::int64_t height = target.pageHeight();
    const int size = FitFontSize([&](int s) { return target.measureFont(s); }, width, height,
                                 layout.RowChars() + PrintMarginChars, PrintLinesDown);
    const PrintFontMetrics fm = target.measureFont(size);
    target.setFont(size);
    const int w = fm.charWidth;
    const int h = fm.charHeight;
    const std::int64_t pitch = fm.lineHeight;
    const std::int64_t x0 = (width - std::int64_t(layout.RowChars()) * w) / 2;
    const std::string columnHeader = PrintColumnHeader(layout);
    const bool boxes = !in.DoNotPrintMarks;
    const std::string blanks(4, ' ');

    // A stop asked while a page prints takes effect before the next one.
    JobMeter *const meter = hooks.meter;
    if (meter)
        meter->setTotal(PageEndRow(last, rowCount) - PageFirstRow(first));
    const auto stopAsked = [meter] {
        try {
            if (meter)
                meter->check();
            return false;
        } catch (const JobStopped &) {
            return true;
        }
    };
    for (std::int64_t k = first; k <= last; ++k) {
        if (stopAsked()) {
            result.status = PrintStatus::Cancelled;
            break;
        }
        if (k > first && !target.newPage()) {
            result.status = PrintStatus::NewPageFailed;
            result.failedPage = k;
            break;
        }
        if (hooks.pageStarted)
            hooks.pageStarted(k);

        target.text(0, 0, blanks + in.DateTime);
        target.text((width - target.textWidth(in.OpenName)) / 2, 0, in.OpenName);
        const std::string pageText = std::to_string(k) + blanks;
        target.text(width - target.textWidth(pageText), 0, pageText);
        target.cells(x0, 3 * pitch, columnHeader);

        const std::int64_t firstRow = PageFirstRow(k);
        const std::int64_t endRow = PageEndRow(k, rowCount);
        for (std::int64_t r = firstRow; r < endRow; ++r) {
            const std::int64_t y = (r - firstRow + PrintHeaderLines) * pitch;
            if (boxes) {
                const std::int64_t start = r * layout.BytesPerRow;
                const std::int64_t end =
                    std::min<std::int64_t>(start + layout.BytesPerRow, doc.BufferSize());
                doc.MarkRuns().forEachRun(start, end, [&](const MarkRun &run) {
                    const auto style = MarkStyle(run.colour, in.PrintMarksHatched);
                    if (!style)
                        return;
                    for (std::int64_t o = run.start; o < run.end; ++o) {
                        const int j = int(o - start);
                        const PrintBox n = NumberBox(layout, j, x0, y, w, h);
                        target.box(n.x1, n.y1, n.x2, n.y2, *style);
                        const PrintBox c = CharBox(layout, j, x0, y, w, h);
                        target.box(c.x1, c.y1, c.x2, c.y2, *style);
                    }
                });
            }
            // Over the boxes, so the characters stay readable.
            target.cells(x0, y, PrintRowText(layout, doc, r, in.NoUnknown));
            if (meter) {
                try {
                    meter->add(1);
                } catch (const JobStopped &) { // the page is finished all the same
                }
            }
        }
        ++result.pagesPrinted;
    }
    return result;
}

} // namespace vtm
