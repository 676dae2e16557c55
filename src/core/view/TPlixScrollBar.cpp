#include "view/TPlixScrollBar.h"

#include <algorithm>

namespace vtm {

int ClampScrollPosition(int range, int page, int position)
{
    return std::max(0, std::min(position, range - page));
}

std::int64_t ScrollBarScale(std::int64_t range)
{
    return range <= ScrollBarUnits ? 1 : (range + ScrollBarUnits - 1) / ScrollBarUnits;
}

void TPlixScrollBar::SetParams(std::int64_t range, std::int64_t page, std::int64_t position)
{
    Range = range;
    PageSize = page;
    Position = std::max<std::int64_t>(0, std::min(position, range - page));
    if (Owner) {
        const std::int64_t scale = ScrollBarScale(range);
        const std::int64_t shownPage = scale == 1 ? page : std::max<std::int64_t>(page / scale, 1);
        Owner->setScrollInfo(BarKind, int(range / scale), int(shownPage), int(Position / scale));
    }
}

void TPlixScrollBar::SetPosition(std::int64_t position)
{
    SetParams(Range, PageSize, position);
    if (OnChange)
        OnChange();
}

void TPlixScrollBar::HandleScroll(ScrollRequest request)
{
    const std::int64_t p = GetPosition();
    switch (request) {
    case ScrollRequest::LineUp: SetPosition(p - 1); break;
    case ScrollRequest::LineDown: SetPosition(p + 1); break;
    case ScrollRequest::PageUp: SetPosition(p - PageSize); break;
    case ScrollRequest::PageDown: SetPosition(p + PageSize); break;
    case ScrollRequest::ThumbTrack: {
        if (!Owner)
            break;
        // Scaled, the bar's last unit may fall short of the last rows: its end is the end.
        const std::int64_t scale = ScrollBarScale(Range);
        const std::int64_t track = Owner->trackPosition(BarKind);
        const std::int64_t shownPage =
            scale == 1 ? PageSize : std::max<std::int64_t>(PageSize / scale, 1);
        const bool atEnd = scale > 1 && track >= Range / scale - shownPage;
        SetPosition(atEnd ? Range - PageSize : track * scale);
        break;
    }
    case ScrollRequest::Top: SetPosition(0); break;
    case ScrollRequest::Bottom: SetPosition(Range - PageSize); break;
    case ScrollRequest::EndScroll: break;
    }
}

} // namespace vtm
