// Paints the windows of the layer into the cell buffer: every visible top-level window in
// creation order with its children, then the open drop-down list above them all, and
// records where the mouse can act.
#pragma once

#include "host/terminal/CellBuffer.h"
#include "host/terminal/HitMap.h"
#include "host/terminal/ScreenMap.h"
#include "host/terminal/ViewState.h"

namespace terminal {

struct PaintContext {
    CellBuffer& Buffer;
    HitMap& Hits;
    const ScreenMap& Map;
    const ViewState& View;
    ui::WindowHandle Focus = nullptr;
    ui::WindowHandle EnterButton = nullptr; // the button that Enter presses, marked as default
};

void PaintDesktop(PaintContext& context);

// The cells of a window and of its client area (below its caption).
CellRect WindowCells(const ScreenMap& map, ui::WindowHandle window);
CellRect ClientCells(const ScreenMap& map, ui::WindowHandle window);

} // namespace terminal
