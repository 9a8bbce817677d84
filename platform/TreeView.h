// Tree view control (SysTreeView32): text-only items.
#pragma once

#include "platform/Window.h"

namespace ui {

class TreeView : public Window {
public:
    using Window::Window;

    // TVM_INSERTITEM with TVIF_TEXT and TVI_LAST: the new item becomes the last child of
    // `parent`, or the last top-level item when `parent` is nullptr (TVI_ROOT).
    TreeItem InsertItem(std::string_view text, TreeItem parent) const;
    // TVM_GETNEXTITEM with a TVGN_ code; nullptr when there is none.
    TreeItem GetNextItem(TreeItem item, unsigned code) const;
    TreeItem GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    TreeItem GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    TreeItem GetParentItem(TreeItem item) const { return GetNextItem(item, TVGN_PARENT); }
    TreeItem GetChildItem(TreeItem item) const { return GetNextItem(item, TVGN_CHILD); }
    TreeItem GetNextSiblingItem(TreeItem item) const { return GetNextItem(item, TVGN_NEXT); }
    // TVM_GETITEM with TVIF_TEXT: the item's whole text.
    std::string GetItemText(TreeItem item) const;
    // TVM_SELECTITEM with TVGN_CARET or TVGN_FIRSTVISIBLE; the item's collapsed ancestors
    // are expanded (the system's tree notifies those expansions, the Linux layer does not).
    bool SelectItem(TreeItem item, unsigned code) const;
    // TVM_DELETEITEM: the item and its children.
    bool DeleteItem(TreeItem item) const;
    // TVM_EXPAND with TVE_EXPAND, TVE_COLLAPSE or TVE_TOGGLE (programmatic: no notification,
    // except that the system's tree notifies the first expansion of an item).
    bool Expand(TreeItem item, unsigned code) const;
    bool IsExpanded(TreeItem item) const;
};

} // namespace ui
