#pragma once

#include "document/Color.h"

#include <string_view>

namespace vtm {

// What the dump painters draw on: the screen, an offscreen image or a test recorder.
// Text is in the dump font, one character per CharWidth; bytes are Windows-1252.
class Canvas
{
public:
    virtual ~Canvas() = default;
    virtual void fillRect(int x, int y, int w, int h, Color color) = 0;
    // Draws text with its top-left corner at (x, y) on an opaque background that covers
    // text.size() characters by one character height.
    virtual void drawText(int x, int y, std::string_view text, Color fg, Color bg) = 0;
};

} // namespace vtm
