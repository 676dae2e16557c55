#pragma once

#include "document/Message.h"
#include "view/TPlixScrollBar.h"

#include <string>

namespace vtm {

// What the editor asks of the window system. The GUI implements it over Qt; core tests
// implement it with a scripted host that records the calls and answers from a queue.
class Host : public ScrollBarBackend
{
public:
    // Repaint this rectangle of the view's client area (view pixels) with the painters.
    virtual void invalidateView(int x, int y, int w, int h) = 0;
    virtual void invalidateViewAll() = 0;
    // The offset column and the header row.
    virtual void invalidatePanel() = 0;
    // Move the view's drawn pixels by dy and repaint only the uncovered strip.
    virtual void scrollView(int dy) = 0;
    // Carry out pending repaints of the panel and the view now.
    virtual void updateNow() = 0;
    // Run a layout pass with the window's current size.
    virtual void requestLayout() = 0;
    virtual void setStatusText(int panel, const std::string &text) = 0;
    virtual void restartCursorTimer() = 0;
    virtual void beep() = 0;
    virtual void setCaption(const std::string &caption) = 0;
    // A modal message box; returns the button pressed (MessageResult).
    virtual int showMessage(const MessageRequest &request) = 0;
};

} // namespace vtm
