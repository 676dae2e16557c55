#include "app/Placement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace vtm {

namespace {
// The stored bounds come from a settings file and may hold any int, so every sum is taken in
// 64 bits, where no sum of a few ints can overflow.
struct Rect64
{
    std::int64_t left = 0, top = 0, width = 0, height = 0;

    explicit Rect64(const WindowRect &r)
        : left(r.left)
        , top(r.top)
        , width(r.width)
        , height(r.height)
    {}
    std::int64_t right() const { return left + width; }
    std::int64_t bottom() const { return top + height; }
};

constexpr std::int64_t kIntMin = std::numeric_limits<int>::min();
constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();

int ToInt(std::int64_t v)
{
    return static_cast<int>(std::clamp(v, kIntMin, kIntMax));
}

// Back to int; the size is cut so that the right and bottom edges fit in int as well, since
// the window system adds them up.
WindowRect ToWindowRect(const Rect64 &w)
{
    const int left = ToInt(w.left), top = ToInt(w.top);
    return {left, top, ToInt(std::min(w.width, kIntMax - left)),
            ToInt(std::min(w.height, kIntMax - top))};
}

// Enough of the window's top strip on the screen to grab and move it.
bool Reachable(const Rect64 &w, const Rect64 &screen)
{
    const std::int64_t left = std::max(w.left, screen.left);
    const std::int64_t right = std::min(w.right(), screen.right());
    const std::int64_t top = std::max(w.top, screen.top);
    const std::int64_t bottom = std::min(w.top + 30, screen.bottom());
    return right - left >= 50 && bottom > top;
}
} // namespace

WindowRect PlaceMainWindow(const PlacementInput &in)
{
    Rect64 w(in.baseUnits == in.storedBaseUnits ? in.stored : in.platform);
    if (!in.firstInstance) {
        w.top += 8 + 8 * std::int64_t{in.r};
        w.left += 8 + 8 * std::int64_t{in.s};
    }
    if (in.screens.empty())
        return ToWindowRect(w);
    w.width = std::max<std::int64_t>(w.width, in.minWidth);
    w.height = std::max<std::int64_t>(w.height, in.minHeight);
    // The screen it stands on decides the edges; off every screen it goes to the primary.
    const auto on = std::find_if(in.screens.begin(), in.screens.end(),
                                 [&](const WindowRect &s) { return Reachable(w, Rect64(s)); });
    const Rect64 screen(on != in.screens.end() ? *on : in.screens.front());
    if (on == in.screens.end()) {
        w.left = screen.left;
        w.top = screen.top;
    }
    if (screen.right() < w.right())
        w.left = screen.right() - w.width;
    if (screen.bottom() < w.bottom())
        w.top = screen.bottom() - w.height;
    // Larger than the screen: its title bar stays on it.
    w.left = std::max(w.left, screen.left);
    w.top = std::max(w.top, screen.top);
    return ToWindowRect(w);
}

} // namespace vtm
