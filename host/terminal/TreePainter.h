// Paints a tree view: its border, and the visible items from its scroll position with
// their connecting lines and [+]/[-] buttons.
#pragma once

#include <vector>

#include "host/terminal/ControlPainter.h"
#include "platform/linux/Desktop.h"

namespace terminal {

// The cells of one row of the tree, in columns from the left edge inside the border:
// the lines in front of the item, its button (or a line for an item without children)
// and its text.
struct TreeRowLayout {
    std::u32string Lines; // connecting lines, one character per column
    int ButtonColumn = 0;
    int TextColumn = 0;
};

// The layout of each row of the visible items, in display order.
std::vector<TreeRowLayout> LayOutTree(const std::vector<ui::desktop::TreeRow>& rows);

void PaintTree(PaintContext& context, ui::WindowHandle window, const ui::desktop::WindowInfo& info,
               const CellRect& cells, ControlLook look);

} // namespace terminal
