// Mouse presses on what the screen shows: buttons, radio buttons, tree items and their
// buttons, tabs, the combo box's arrow and its list items. A press while the list is open
// and outside it closes the list and does nothing else.
#pragma once

#include "host/terminal/HitMap.h"
#include "host/terminal/ViewState.h"

namespace terminal {

void OnMousePress(ViewState& view, const HitMap& hits, int x, int y, int screenRows);

} // namespace terminal
