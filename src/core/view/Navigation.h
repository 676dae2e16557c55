#pragma once

#include "view/DumpView.h"

#include <cstdint>
#include <optional>

namespace vtm {

enum class Move { Up, Down, PageUp, PageDown, Left, Right, Home, End, Tab };

// The cell a navigation key asks the cursor to go to over a document of `size` bytes,
// before the placement clamps it onto the grid; none where the key does nothing.
std::optional<CellPos> MoveTarget(const DumpView &v, std::int64_t size, Move move);

// A rectangle of the view's client area, in pixels.
struct PixelRect
{
    int x = 0, y = 0, w = 0, h = 0;
};
// The number cell of a byte, and the character row holding it, where they are in view.
std::optional<PixelRect> NumberCellRect(const DumpView &v, std::int64_t offset);
std::optional<PixelRect> CharRowRect(const DumpView &v, std::int64_t offset);

} // namespace vtm
