#include "app/Placement.h"

#include <algorithm>

namespace vtm {

namespace {
// Enough of the window's top strip on the screen to grab and move it.
bool Reachable(const WindowRect &w, const WindowRect &screen)
{
    const int left = std::max(w.left, screen.left);
    const int right = std::min(w.left + w.width, screen.left + screen.width);
    const int top = std::max(w.top, screen.top);
    const int bottom = std::min(w.top + 30, screen.top + screen.height);
    return right - left >= 50 && bottom > top;
}
} // namespace

WindowRect PlaceMainWindow(const PlacementInput &in)
{
    WindowRect w = in.platform;
    if (in.baseUnits == in.storedBaseUnits)
        w = in.stored;
    if (!in.firstInstance) {
        w.top += 8 + 8 * in.r;
        w.left += 8 + 8 * in.s;
    }
    if (in.screens.empty())
        return w;
    w.width = std::max(w.width, in.minWidth);
    w.height = std::max(w.height, in.minHeight);
    // The screen it stands on decides the edges; off every screen it goes to the primary.
    const auto on = std::find_if(in.screens.begin(), in.screens.end(),
                                 [&](const WindowRect &s) { return Reachable(w, s); });
    const WindowRect &screen = on != in.screens.end() ? *on : in.screens.front();
    if (on == in.screens.end()) {
        w.left = screen.left;
        w.top = screen.top;
    }
    if (screen.left + screen.width < w.left + w.width)
        w.left = screen.left + screen.width - w.width;
    if (screen.top + screen.height < w.top + w.height)
        w.top = screen.top + screen.height - w.height;
    // Larger than the screen: its title bar stays on it.
    w.left = std::max(w.left, screen.left);
    w.top = std::max(w.top, screen.top);
    return w;
}

} // namespace vtm
