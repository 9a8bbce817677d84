// The cells the windows need, and the screen shown instead of them on a terminal below the
// smallest size the front end works in (a larger one shows them in a scrolling view).
#pragma once

#include "host/terminal/CellBuffer.h"
#include "host/terminal/ScreenMap.h"

namespace terminal {

struct SizeNeed {
    int Columns = 0;
    int Rows = 0;
};

// The cells that the visible top-level windows reach (the main window, which fills the
// terminal whatever its size, aside).
SizeNeed NeededSize(const ScreenMap& map);

// The smallest terminal the windows are shown in.
inline constexpr SizeNeed kMinimumSize{40, 12};

bool TooSmall(int columns, int rows);

// What size is needed and how to quit, centred on the screen.
void PaintSizeRequest(CellBuffer& buffer);

} // namespace terminal
