#include "app/Placement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>

using namespace vtm;

namespace {
// The window's top-left corner and a grabbable piece of its title bar on the screen.
bool TopStripOn(const WindowRect &w, const WindowRect &s)
{
    const std::int64_t right = std::int64_t{s.left} + s.width;
    const std::int64_t bottom = std::int64_t{s.top} + s.height;
    return w.left >= s.left && w.left + std::int64_t{50} <= right && w.top >= s.top
           && w.top + std::int64_t{30} <= bottom;
}
} // namespace

// The stored bounds come from a settings file that anyone can edit.
TEST(Placement, ExtremeStoredBoundsStayOnAScreen)
{
    PlacementInput in;
    in.screens = {{0, 0, 1920, 1080}};
    in.stored = {INT_MAX, 100, INT_MAX, 500};
    EXPECT_EQ(PlaceMainWindow(in), (WindowRect{0, 0, INT_MAX, 500}));

    const int values[] = {INT_MIN, INT_MIN + 1, -5000, -1, 0, 300, 5000, INT_MAX - 20, INT_MAX};
    const std::vector<WindowRect> layouts[] = {
        {{0, 0, 1920, 1080}},
        {{0, 40, 1920, 1040}, {-1280, -300, 1280, 1024}, {1920, 0, 2560, 1440}},
        {{-3000, -2000, 800, 600}, {INT_MAX - 1000, INT_MAX - 1000, 1000, 1000}},
    };
    for (const auto &screens : layouts) {
        in.screens = screens;
        for (const bool first : {true, false}) {
            in.firstInstance = first;
            in.r = in.s = 4; // the largest offset for a second copy
            for (const int left : values)
                for (const int top : values)
                    for (const int width : values)
                        for (const int height : values) {
                            in.stored = {left, top, width, height};
                            const WindowRect w = PlaceMainWindow(in);
                            const bool onAScreen =
                                std::any_of(screens.begin(), screens.end(),
                                            [&](const WindowRect &s) { return TopStripOn(w, s); });
                            ASSERT_TRUE(onAScreen && w.width >= in.minWidth
                                        && w.height >= in.minHeight)
                                << left << ' ' << top << ' ' << width << ' ' << height << " first "
                                << first << " -> " << w.left << ' ' << w.top << ' ' << w.width
                                << ' ' << w.height;
                        }
        }
    }
}
