#pragma once

#include "document/Language.h"
#include "print/PrintJob.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vtm {

// What the print command offers before its dialog.
struct PrintPlan
{
    std::int64_t pages = 0;        // none: no dialog and no job
    std::int64_t proposedPage = 1; // the cursor's page, offered as the range
};

PrintPlan PlanPrint(bool hexMode, std::int64_t bufferSize, std::int64_t cursorRow);

// The pages to print: all of them, or the range the user typed (the job clamps it).
struct PageRange
{
    std::int64_t first = 1;
    std::int64_t last = 1;
    friend bool operator==(const PageRange &, const PageRange &) = default;
};

PageRange ChosenPages(const PrintPlan &plan, bool rangeChosen, std::int64_t from, std::int64_t to);

// A page number as the print dialog holds it: an int of at least 1.
int DialogPageNumber(std::int64_t page);

// The error to show after a job; nothing when it printed or was stopped. failure is what
// ended a Failed job.
std::optional<std::string> PrintErrorText(const PrintResult &result, const std::string &failure,
                                          Language language);

} // namespace vtm
