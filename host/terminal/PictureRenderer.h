// Draws a bitmap into a rectangle of cells: scaled to the rectangle, two pixel rows per
// cell with the upper half block (or one colour per cell where the terminal has no
// Unicode), and a framed placeholder on a terminal without colours.
#pragma once

#include <vector>

#include "host/terminal/CellBuffer.h"
#include "host/terminal/Palette.h"
#include "platform/linux/Desktop.h"

namespace terminal {

// The colours of one cell: its upper and its lower half.
struct CellColours {
    Rgb Upper;
    Rgb Lower;
};

// The picture scaled to columns by rows cells, row by row; each half cell is the average of
// the pixels it covers.
std::vector<CellColours> ScalePicture(const ui::desktop::Pixels& pixels, int columns, int rows);

void PaintPicture(CellBuffer& buffer, const CellRect& rect, const ui::desktop::Pixels& pixels,
                  ColourMode mode, bool unicode);

} // namespace terminal
