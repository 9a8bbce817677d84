#include <windows.h>

#include <commctrl.h>

#include "platform/TreeView.h"
#include "platform/windows/Module.h"

namespace ui {
namespace {

HTREEITEM ToItem(TreeItem item) {
    return reinterpret_cast<HTREEITEM>(item);
}
TreeItem FromItem(HTREEITEM item) {
    return reinterpret_cast<TreeItem>(item);
}

// The longest item text the tree keeps.
constexpr int kMaxItemText = 1024;

} // namespace

TreeItem TreeView::InsertItem(std::string_view text, TreeItem parent) const {
    std::string terminated(text);
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent ? ToItem(parent) : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = terminated.data();
    return FromItem(reinterpret_cast<HTREEITEM>(SendMessageA(
        win::ToHwnd(Handle()), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert))));
}

TreeItem TreeView::GetNextItem(TreeItem item, unsigned code) const {
    return FromItem(reinterpret_cast<HTREEITEM>(SendMessageA(
        win::ToHwnd(Handle()), TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(ToItem(item)))));
}

std::string TreeView::GetItemText(TreeItem item) const {
    char text[kMaxItemText] = {};
    TVITEMA query{};
    query.mask = TVIF_TEXT;
    query.hItem = ToItem(item);
    query.pszText = text;
    query.cchTextMax = kMaxItemText;
    if (!SendMessageA(win::ToHwnd(Handle()), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)))
        return {};
    return text;
}

bool TreeView::SelectItem(TreeItem item, unsigned code) const {
    return SendMessageA(win::ToHwnd(Handle()), TVM_SELECTITEM, code,
                        reinterpret_cast<LPARAM>(ToItem(item))) != 0;
}

bool TreeView::DeleteItem(TreeItem item) const {
    return SendMessageA(win::ToHwnd(Handle()), TVM_DELETEITEM, 0,
                        reinterpret_cast<LPARAM>(ToItem(item))) != 0;
}

bool TreeView::Expand(TreeItem item, unsigned code) const {
    return SendMessageA(win::ToHwnd(Handle()), TVM_EXPAND, code,
                        reinterpret_cast<LPARAM>(ToItem(item))) != 0;
}

bool TreeView::IsExpanded(TreeItem item) const {
    const LRESULT state = SendMessageA(win::ToHwnd(Handle()), TVM_GETITEMSTATE,
                                       reinterpret_cast<WPARAM>(ToItem(item)), TVIS_EXPANDED);
    return (state & TVIS_EXPANDED) != 0;
}

} // namespace ui
