// Whether the terminal is large enough for the windows, and the request for a larger one
// that is shown instead of a cut picture when it is not.
#pragma once

#include "host/terminal/CellBuffer.h"
#include "host/terminal/ScreenMap.h"

namespace terminal {

struct SizeNeed {
    int columns = 0;
    int rows = 0;
};

// The cells that the visible top-level windows reach (the main window, which fills the
// terminal whatever its size, aside).
SizeNeed NeededSize(const ScreenMap& map);

void PaintSizeRequest(CellBuffer& buffer, const SizeNeed& need);

} // namespace terminal
