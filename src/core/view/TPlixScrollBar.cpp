#include "view/TPlixScrollBar.h"

#include <algorithm>

namespace vtm {

int ClampScrollPosition(int range, int page, int position)
{
    return std::max(0, std::min(position, range - page));
}

void TPlixScrollBar::SetParams(int range, int page, int position)
{
    Range = range;
    PageSize = page;
    Position = std::min(position, range - page);
    if (Owner)
        Owner->setScrollInfo(BarKind, range, page, Position);
}

int TPlixScrollBar::GetPosition() const
{
    return Owner ? Owner->scrollPosition(BarKind) : 0;
}

void TPlixScrollBar::SetPosition(int position)
{
    SetParams(Range, PageSize, position);
    if (OnChange)
        OnChange();
}

void TPlixScrollBar::HandleScroll(ScrollRequest request)
{
    const int p = GetPosition();
    switch (request) {
    case ScrollRequest::LineUp: SetPosition(p - 1); break;
    case ScrollRequest::LineDown: SetPosition(p + 1); break;
    case ScrollRequest::PageUp: SetPosition(p - PageSize); break;
    case ScrollRequest::PageDown: SetPosition(p + PageSize); break;
    case ScrollRequest::ThumbTrack: SetPosition(Owner ? Owner->trackPosition(BarKind) : p); break;
    case ScrollRequest::Top: SetPosition(0); break;
    case ScrollRequest::Bottom: SetPosition(Range - PageSize); break;
    case ScrollRequest::EndScroll: break;
    }
}

} // namespace vtm
