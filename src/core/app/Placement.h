#pragma once

#include <vector>

namespace vtm {

struct WindowRect
{
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const WindowRect &, const WindowRect &) = default;
};

struct PlacementInput
{
    WindowRect stored;               // Left, Top, Width, Height of the last run
    int storedBaseUnits = 0;         // DialogBaseUnits of the last run
    int baseUnits = 0;               // the platform's now
    bool firstInstance = true;       // no other copy runs
    int r = 0, s = 0;                // two draws from 0..4 for a second copy's offset
    WindowRect platform;             // where the platform would put the window
    std::vector<WindowRect> screens; // available areas, the primary first
    int minWidth = 100, minHeight = 100;
};

// Where the main window opens: the stored bounds when the dialog base units are unchanged,
// moved 8 to 40 pixels down and right for a second copy, pulled back over the right and
// bottom edge of its screen, and brought back into the available area when it would be
// off every screen or too small to use.
WindowRect PlaceMainWindow(const PlacementInput &in);

} // namespace vtm
