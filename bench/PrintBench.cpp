// Printing one page of a 256 MiB document: the first and the last page should cost the same,
// since a page's rows are found directly, not by walking the pages before it.
#include "gui/print/QtPrintTarget.h"
#include "print/PrintJob.h"
#include "print/PrintLayout.h"
#include "view/Layout.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPrinter>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

namespace {

std::unique_ptr<vtm::Document> g_doc;
std::int64_t g_pages = 0;

// Takes everything and draws nothing: what is left is the print routine's own cost.
class NullTarget : public vtm::PrintTarget
{
public:
    bool beginJob(const std::string &) override { return true; }
    bool newPage() override { return true; }
    void endJob() override {}
    std::int64_t pageWidth() const override { return 9500; }
    std::int64_t pageHeight() const override { return 13600; }
    vtm::PrintFontMetrics measureFont(int size) override
    {
        return {size * 6 / 10, size * 113 / 100, size * 113 / 100};
    }
    void setFont(int) override {}
    std::int64_t textWidth(const std::string &s) override { return std::int64_t(s.size()); }
    void text(std::int64_t, std::int64_t, const std::string &s) override
    {
        benchmark::DoNotOptimize(s.data());
    }
    void cells(std::int64_t, std::int64_t, std::string_view s) override
    {
        benchmark::DoNotOptimize(s.data());
    }
    void box(std::int64_t, std::int64_t, std::int64_t, std::int64_t,
             const vtm::MarkBoxStyle &) override
    {}
};

vtm::PrintInput input(std::int64_t page)
{
    vtm::PrintInput in{.doc = *g_doc};
    in.OffsetDigits = vtm::OffsetDigitsFor(int(vtm::PrintRowCount(g_doc->BufferSize(), 16)), 16);
    in.OpenName = "/data/large.bin";
    in.DateTime = "01.02.2024 10:11:12";
    in.FirstPage = in.LastPage = page;
    return in;
}

void printCore(benchmark::State &state, std::int64_t page)
{
    NullTarget target;
    const vtm::PrintInput in = input(page);
    for (auto _ : state)
        benchmark::DoNotOptimize(vtm::PrintPages(in, target, {}).pagesPrinted);
    state.counters["page"] = double(page);
}

void printPdf(benchmark::State &state, std::int64_t page)
{
    QTemporaryDir dir;
    const vtm::PrintInput in = input(page);
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
        vtm::QtPrintTarget target(printer);
        benchmark::DoNotOptimize(vtm::PrintPages(in, target, {}).pagesPrinted);
    }
    state.counters["page"] = double(page);
}

void BM_PrintCoreFirstPage(benchmark::State &state)
{
    printCore(state, 1);
}
void BM_PrintCoreLastPage(benchmark::State &state)
{
    printCore(state, g_pages);
}
void BM_PrintPdfFirstPage(benchmark::State &state)
{
    printPdf(state, 1);
}
void BM_PrintPdfLastPage(benchmark::State &state)
{
    printPdf(state, g_pages);
}

BENCHMARK(BM_PrintCoreFirstPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PrintCoreLastPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PrintPdfFirstPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintPdfLastPage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv); // the printer wants the font database
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const std::int64_t size = std::int64_t(256) << 20;
    g_doc = std::make_unique<vtm::Document>();
    {
        std::vector<std::uint8_t> b(static_cast<std::size_t>(size));
        for (std::int64_t i = 0; i < size; ++i)
            b[std::size_t(i)] = std::uint8_t(i * 7);
        g_doc->loadBytes(b.data(), size);
    }
    g_pages = vtm::PageCount(vtm::PrintRowCount(size, 16));
    // The same marks on the first and the last page.
    for (std::int64_t page : {std::int64_t(1), g_pages})
        for (std::int64_t o = 0; o < 16 * 68; o += 5)
            g_doc->SetMark(std::int64_t(vtm::PageFirstRow(page) * 16 + o), std::uint8_t(1 + o % 6));

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_doc.reset();
    return 0;
}
