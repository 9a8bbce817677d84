// The mapping of the windowing layer's pixels to character cells: one cell is one
// horizontal and one vertical base unit step of the dialog font, 6 by 13 pixels.
#pragma once

#include "platform/Window.h"

namespace terminal {

inline constexpr int kCellWidthPx = 6;
inline constexpr int kCellHeightPx = 13;

// A rectangle of cells; Right and Bottom are exclusive.
struct CellRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Empty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    CellRect Intersect(const CellRect& other) const;
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

// Screen pixels to cells. A window starts in the cell that holds its top left pixel and
// spans its width rounded to whole cells (at least one). Vertically its top and bottom
// edges snap to a row boundary that lies within a quarter row of them, so that labels and
// controls placed a few pixels apart share a row, controls of one row's height stay on
// one row, and a group box still encloses the controls of its last row.
class ScreenMap {
public:
    CellRect ToCells(const ui::Rect& screenPx) const;
    // The cell that holds a screen pixel.
    int Column(int xPx) const;
    int Row(int yPx) const;
    // A terminal of this many cells, in pixels.
    static ui::Rect PixelsOf(int columns, int rows);
};

} // namespace terminal
