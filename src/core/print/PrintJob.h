#pragma once

#include "document/Document.h"
#include "print/PrintTarget.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vtm {

// Everything one print job reads; the caller takes it from the editor state.
struct PrintInput
{
    const Document &doc;
    bool HexMode = true;
    int OffsetDigits = 3;
    bool NoUnknown = true;
    bool DoNotPrintMarks = false;
    bool PrintMarksHatched = true;
    std::string OpenName{}; // header and job title
    std::string DateTime{}; // formatted by the caller in the user's formats
    vtm::Language Language = vtm::Language::English;
    std::int64_t FirstPage = 1; // 1-based, inclusive; clamped to the document's pages
    std::int64_t LastPage = 1;
};

struct PrintHooks
{
    std::function<void(std::int64_t page)> pageStarted;
    // Counts each row printed, which lets the window system run so that Stop can be
    // pressed; asked again before each page.
    JobMeter *meter = nullptr;
};

// Failed: an exception ended the job; the caller that caught it sets this.
enum class PrintStatus { Done, Cancelled, BeginFailed, NewPageFailed, Failed };

struct PrintResult
{
    PrintStatus status = PrintStatus::Done;
    std::int64_t pagesPrinted = 0;
    std::int64_t failedPage = 0; // the page whose sheet could not be started
};

constexpr int MaxPrintFontSize = 4096;

// The largest size (at least 1) at which columns characters fit across and lines lines fit
// down. Ends for any measurements: at maxSize, at a size that measures nothing, or when the
// measured size has stopped growing; sizes that measure no larger than a smaller one are
// not taken.
int FitFontSize(const std::function<PrintFontMetrics(int size)> &measure, std::int64_t pageWidth,
                std::int64_t pageHeight, int columns, int lines, int maxSize = MaxPrintFontSize);

// How a byte with this mark is boxed; nothing for an unmarked byte.
std::optional<MarkBoxStyle> MarkStyle(std::uint8_t mark, bool hatched);

// Prints pages FirstPage..LastPage. A stop is looked at before each page: a page once
// begun is finished, and no sheet is started for a page that is not printed.
PrintResult PrintPages(const PrintInput &input, PrintTarget &target, const PrintHooks &hooks);

} // namespace vtm
