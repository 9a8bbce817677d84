// The user's actions on real windows, each performed with the messages that the same
// action of a real user produces.
#include "host/UserActions.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "host/windows/SystemWindows.h"

namespace host {
namespace {

using win::ClassName;

std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

bool IsDialog(HWND hwnd) {
    return ClassName(hwnd) == win::kDialogClass;
}

std::string ItemText(HWND tree, HTREEITEM item) {
    char text[1024] = {};
    TVITEMA query{};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = sizeof text;
    TreeView_GetItem(tree, &query);
    return text;
}

LRESULT NotifyTree(HWND tree, UINT code, UINT action, HTREEITEM item) {
    NMTREEVIEWA notify{};
    notify.hdr.hwndFrom = tree;
    notify.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(tree));
    notify.hdr.code = code;
    notify.action = action;
    notify.itemNew.mask = TVIF_HANDLE | TVIF_STATE;
    notify.itemNew.hItem = item;
    notify.itemNew.stateMask = 0xFFFF;
    notify.itemNew.state = TreeView_GetItemState(tree, item, 0xFFFF);
    return SendMessageA(GetParent(tree), WM_NOTIFY, notify.hdr.idFrom,
                        reinterpret_cast<LPARAM>(&notify));
}

LRESULT NotifyTabs(HWND tabs, UINT code) {
    NMHDR notify{};
    notify.hwndFrom = tabs;
    notify.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(tabs));
    notify.code = code;
    return SendMessageA(GetParent(tabs), WM_NOTIFY, notify.idFrom,
                        reinterpret_cast<LPARAM>(&notify));
}

bool HasClass(HWND hwnd, std::string_view className) {
    return lstrcmpiA(ClassName(hwnd).c_str(), std::string(className).c_str()) == 0;
}

HWND FindVisibleOfClass(HWND window, std::string_view className) {
    for (HWND child : Children(window)) {
        if (HasClass(child, className) && IsWindowVisible(child))
            return child;
        if (IsDialog(child))
            if (HWND found = FindVisibleOfClass(child, className))
                return found;
    }
    return nullptr;
}

HWND FindControl(HWND window, int id) {
    for (HWND child : Children(window)) {
        if (GetDlgCtrlID(child) == id && !IsDialog(child))
            return child;
        if (IsDialog(child))
            if (HWND found = FindControl(child, id))
                return found;
    }
    return nullptr;
}

std::vector<TreeRow> TreeRows(HWND tree) {
    std::vector<TreeRow> rows;
    for (HTREEITEM item = TreeView_GetRoot(tree); item;
         item = TreeView_GetNextVisible(tree, item)) {
        TreeRow row;
        row.Item = item;
        row.Text = ItemText(tree, item);
        row.HasChildren = TreeView_GetChild(tree, item) != nullptr;
        row.Expanded = (TreeView_GetItemState(tree, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
        rows.push_back(std::move(row));
    }
    return rows;
}

// The node's button: TVN_ITEMEXPANDING, the toggle, TVN_ITEMEXPANDED.
void ToggleTreeNode(HWND tree, HTREEITEM item) {
    const bool expanded = (TreeView_GetItemState(tree, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    const UINT action = expanded ? TVE_COLLAPSE : TVE_EXPAND;
    // The parent may refuse the change in the first notification.
    if (NotifyTree(tree, TVN_ITEMEXPANDINGA, action, item))
        return;
    TreeView_Expand(tree, item, action);
    NotifyTree(tree, TVN_ITEMEXPANDEDA, action, item);
}

bool ClickButtonControl(HWND control) {
    if (!HasClass(control, "Button"))
        return false;
    SendMessageA(control, BM_CLICK, 0, 0);
    return true;
}

// TCN_SELCHANGING, TCM_SETCURSEL, TCN_SELCHANGE, when the tab is another.
bool ClickTabControl(HWND tabs, int index) {
    if (index < 0 || index >= TabCtrl_GetItemCount(tabs))
        return false;
    if (TabCtrl_GetCurSel(tabs) == index)
        return true;
    if (NotifyTabs(tabs, TCN_SELCHANGING))
        return true;
    TabCtrl_SetCurSel(tabs, index);
    NotifyTabs(tabs, TCN_SELCHANGE);
    return true;
}

// CB_SETCURSEL then CBN_SELCHANGE.
bool ChooseItem(HWND combo, int index) {
    if (index < 0 || index >= static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0)))
        return false;
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    return true;
}

// Focuses the edit field (which selects its text) and types the characters into it.
bool TypeIntoCombo(HWND combo, std::string_view text) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(combo, &info) || !info.hwndItem)
        return false;
    SetFocus(info.hwndItem);
    for (const char c : text)
        SendMessageA(info.hwndItem, WM_CHAR, static_cast<unsigned char>(c), 1);
    return true;
}

HWND HandleOf(Window window) {
    return static_cast<HWND>(window);
}

HTREEITEM ItemOf(TreeItem item) {
    return static_cast<HTREEITEM>(item);
}

class WindowsUserActions final : public UserActions {
public:
    Window ActiveWindow() const override { return GetActiveWindow(); }
    Window FindVisible(Window window, ControlClass controlClass) const override {
        return FindVisibleOfClass(HandleOf(window), controlClass == ControlClass::TreeView
                                                        ? WC_TREEVIEWA
                                                        : WC_TABCONTROLA);
    }
    Window FindControl(Window window, int id) const override {
        return host::FindControl(HandleOf(window), id);
    }
    bool IsComboBox(Window control) const override {
        return HasClass(HandleOf(control), "ComboBox");
    }
    // IsWindowVisible is true only when the window and its ancestors are visible.
    bool IsVisible(Window control) const override { return IsWindowVisible(HandleOf(control)); }
    bool IsEnabled(Window control) const override { return IsWindowEnabled(HandleOf(control)); }
    std::vector<TreeRow> VisibleTreeRows(Window tree) const override {
        return TreeRows(HandleOf(tree));
    }
    // TVM_SELECTITEM, which notifies the parent as a click on the node does.
    void ClickTreeItem(Window tree, TreeItem item) override {
        TreeView_SelectItem(HandleOf(tree), ItemOf(item));
    }
    void ClickTreeButton(Window tree, TreeItem item) override {
        ToggleTreeNode(HandleOf(tree), ItemOf(item));
    }
    bool ClickButton(Window control) override { return ClickButtonControl(HandleOf(control)); }
    bool ClickTab(Window tabs, int index) override {
        return ClickTabControl(HandleOf(tabs), index);
    }
    bool ChooseComboItem(Window combo, int index) override {
        return ChooseItem(HandleOf(combo), index);
    }
    bool TypeComboText(Window combo, std::string_view text) override {
        return TypeIntoCombo(HandleOf(combo), text);
    }
    // Dispatches the thread's messages until none is waiting.
    void Settle() override {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
};

} // namespace

UserActions& PlatformUserActions() {
    static WindowsUserActions actions;
    return actions;
}

} // namespace host
