// The user's actions on real windows, each performed with the messages that the same
// action of a real user produces, and the look-ups the script needs to aim them.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <string_view>
#include <vector>

namespace devhost {

// The first visible control of this class in the window or, depth first, in its child
// dialogs.
HWND FindVisibleOfClass(HWND window, std::string_view className);
// The control with this id in the window or, depth first, in its child dialogs.
HWND FindControl(HWND window, int id);
bool HasClass(HWND hwnd, std::string_view className);

struct TreeRow {
    HTREEITEM item = nullptr;
    std::string text;
    bool hasChildren = false;
    bool expanded = false;
};
// The nodes in display order, through expanded nodes only.
std::vector<TreeRow> VisibleTreeRows(HWND tree);

// TVM_SELECTITEM, which notifies the parent as a click on the node does.
void ClickTreeItem(HWND tree, HTREEITEM item);
// The node's button: TVN_ITEMEXPANDING, the toggle, TVN_ITEMEXPANDED.
void ClickTreeButton(HWND tree, HTREEITEM item);
// BM_CLICK; false when the control is not a button.
bool ClickButton(HWND control);
// TCN_SELCHANGING, TCM_SETCURSEL, TCN_SELCHANGE, when the tab is another; false when
// there is no such tab.
bool ClickTab(HWND tabs, int index);
// CB_SETCURSEL then CBN_SELCHANGE; false when there is no such item.
bool ChooseComboItem(HWND combo, int index);
// Focuses the edit field (which selects its text) and types the characters into it.
bool TypeComboText(HWND combo, std::string_view text);

// Dispatches the thread's messages until none is waiting.
void PumpUntilIdle();

} // namespace devhost
