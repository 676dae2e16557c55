#include "print/PrintFlow.h"

#include "print/PrintLayout.h"
#include "print/PrintTexts.h"

#include <algorithm>
#include <climits>

namespace vtm {

PrintPlan PlanPrint(bool hexMode, std::int64_t bufferSize, std::int64_t cursorRow)
{
    const PrintLayout layout = PrintLayout::For(hexMode, 1, bufferSize);
    PrintPlan plan;
    plan.pages = PageCount(PrintRowCount(bufferSize, layout.BytesPerRow));
    // A cursor behind the last row (the append position) still proposes a real page.
    plan.proposedPage =
        std::clamp<std::int64_t>(ProposedPage(cursorRow), 1, std::max<std::int64_t>(1, plan.pages));
    return plan;
}

PageRange ChosenPages(const PrintPlan &plan, bool rangeChosen, std::int64_t from, std::int64_t to)
{
    if (rangeChosen)
        return {from, to};
    return {1, plan.pages};
}

int DialogPageNumber(std::int64_t page)
{
    return int(std::clamp<std::int64_t>(page, 1, INT_MAX));
}

std::optional<std::string> PrintErrorText(const PrintResult &result, const std::string &failure,
                                          Language language)
{
    switch (result.status) {
    case PrintStatus::Done:
    case PrintStatus::Cancelled: return std::nullopt;
    case PrintStatus::BeginFailed: return PrintBeginFailedText(language);
    case PrintStatus::NewPageFailed: return PrintNewPageFailedText(language, result.failedPage);
    case PrintStatus::Failed: return failure + ".";
    }
    return std::nullopt;
}

} // namespace vtm
