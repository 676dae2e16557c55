#pragma once

#include <functional>

namespace vtm {

enum class ScrollRequest { LineUp, LineDown, PageUp, PageDown, ThumbTrack, Top, Bottom, EndScroll };

// The window system's scroll bars of one control, as TPlixScrollBar sees them.
class ScrollBarBackend
{
public:
    virtual ~ScrollBarBackend() = default;
    // Range 0 .. range - 1 with the given page; the bar clamps the position with
    // ClampScrollPosition and stays visible but disabled when nothing can scroll.
    virtual void setScrollInfo(int barKind, int range, int page, int position) = 0;
    virtual int scrollPosition(int barKind) const = 0;
    // Where the thumb is while it is being dragged.
    virtual int trackPosition(int barKind) const = 0;
};

// The position a scroll bar keeps for a requested one.
int ClampScrollPosition(int range, int page, int position);

// Wraps one standard scroll bar of a control: 0 horizontal, 1 vertical.
class TPlixScrollBar
{
public:
    explicit TPlixScrollBar(int barKind)
        : BarKind(barKind)
    {}

    ScrollBarBackend *Owner = nullptr;
    std::function<void()> OnChange;
    int Range = 0;
    int PageSize = 0;
    int Position = 0;
    int BarKind;

    void SetParams(int range, int page, int position);
    int GetPosition() const;
    // Notifies OnChange even when the position stays the same.
    void SetPosition(int position);
    void HandleScroll(ScrollRequest request);
};

} // namespace vtm
