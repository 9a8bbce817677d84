// Keyboard navigation as the dialog manager does it: the tab stops of a dialog and its
// visible pages in resource order, and the radio button groups.
//
// A group of automatic radio buttons is one tab stop, reached through its checked button
// (its first when none is checked), also when its buttons have no tab stop style: the
// arrow keys then move within the group.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/linux/Desktop.h"

namespace terminal {

struct FocusItem {
    ui::WindowHandle Window = nullptr;
    ui::desktop::Kind Kind = ui::desktop::Kind::Text;
    bool TabStop = false; // WS_TABSTOP
    bool Usable = false;  // visible and enabled
    bool Checked = false; // radio buttons
    int Group = 0;        // controls of one group share the number
};

// The controls of the dialog and, in place, of its child dialogs, in resource order. A
// group starts at a control with WS_GROUP and at the first control of each dialog.
std::vector<FocusItem> CollectControls(ui::WindowHandle dialog);

// Indexes into items; -1 when there is none.
int IndexOf(const std::vector<FocusItem>& items, ui::WindowHandle window);
// The tab stops in order: usable controls with a tab stop, and one per radio group.
std::vector<int> TabStops(const std::vector<FocusItem>& items);
// The stop after (or before) the item at `current` (-1: from the start or the end), wrapping.
int NextTabStop(const std::vector<FocusItem>& items, int current, bool backwards);
// The next (or previous) usable radio button of current's group, wrapping; -1 if none.
int NextInGroup(const std::vector<FocusItem>& items, int current, bool backwards);
// The default push button of the dialog, or -1.
int DefaultButton(const std::vector<FocusItem>& items);

// The top-level dialog that keys go to: the active window when it is a visible dialog,
// else the visible top-level dialog created last.
ui::WindowHandle KeyboardDialog();

} // namespace terminal
