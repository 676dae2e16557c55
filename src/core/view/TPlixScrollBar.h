#pragma once

#include <cstdint>
#include <functional>

namespace vtm {

enum class ScrollRequest { LineUp, LineDown, PageUp, PageDown, ThumbTrack, Top, Bottom, EndScroll };

// The window system's scroll bars of one control, as TPlixScrollBar sees them. They count
// in int; the bar's own 64-bit units are mapped into that range at this seam.
class ScrollBarBackend
{
public:
    virtual ~ScrollBarBackend() = default;
    // Range 0 .. range - 1 with the given page; the bar clamps the position with
    // ClampScrollPosition and stays visible but disabled when nothing can scroll.
    virtual void setScrollInfo(int barKind, int range, int page, int position) = 0;
    // Where the thumb is while it is being dragged.
    virtual int trackPosition(int barKind) const = 0;
};

// The position a scroll bar keeps for a requested one.
int ClampScrollPosition(int range, int page, int position);

// The window system's bar shows a range of at most this many units; a longer range is
// shown scaled by a whole factor.
constexpr std::int64_t ScrollBarUnits = std::int64_t(1) << 30;
std::int64_t ScrollBarScale(std::int64_t range);

// Wraps one standard scroll bar of a control: 0 horizontal, 1 vertical. The position is
// the bar's own; the window system's bar only shows it.
class TPlixScrollBar
{
public:
    explicit TPlixScrollBar(int barKind)
        : BarKind(barKind)
    {}

    ScrollBarBackend *Owner = nullptr;
    std::function<void()> OnChange;
    std::int64_t Range = 0;
    std::int64_t PageSize = 0;
    std::int64_t Position = 0;
    int BarKind;

    void SetParams(std::int64_t range, std::int64_t page, std::int64_t position);
    std::int64_t GetPosition() const { return Position; }
    // Notifies OnChange even when the position stays the same.
    void SetPosition(std::int64_t position);
    void HandleScroll(ScrollRequest request);
};

} // namespace vtm
