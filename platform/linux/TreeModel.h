// The items of a tree view: hierarchy, expanded state, selection and scroll position. The
// model sends nothing; the tree view delivers the notifications its results call for.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/Window.h"

namespace ui {

struct TreeItemObject {
    std::string Text;
    TreeItemObject* Parent = nullptr;
    std::vector<std::unique_ptr<TreeItemObject>> Children;
    bool Expanded = false;
};

namespace detail {

class TreeModel {
public:
    // The new item is the last child of `parent`, or the last top-level item for nullptr;
    // nullptr when `parent` is not an item of this tree.
    TreeItem Insert(std::string_view text, TreeItem parent);
    bool Contains(TreeItem item) const;
    // TVM_GETNEXTITEM; nullptr when there is none or the item is not of this tree.
    TreeItem Next(TreeItem item, unsigned code) const;
    TreeItem Selected() const { return selected_; }
    bool IsVisible(TreeItem item) const;
    bool HasChildren(TreeItem item) const;
    int Depth(TreeItem item) const;
    // The items a user sees, in display order (through expanded items only).
    std::vector<TreeItem> VisibleItems() const;
    // Index in VisibleItems() of the row at the top of the view.
    int TopIndex() const;
    void SetPageRows(int rows) { pageRows_ = rows > 0 ? rows : 1; }

    // Selects the item, expanding its collapsed ancestors and scrolling it into view.
    // Returns whether the selection changed (nothing happens when it is selected already).
    bool Select(TreeItem item);
    // Expands the item's collapsed ancestors and scrolls it to the top of the view.
    bool ScrollToTop(TreeItem item);

    struct Removal {
        bool Removed = false;
        bool SelectionChanged = false;
    };
    // Removes the item with its children (nullptr: every item). When the selection was
    // among them it moves to the next sibling, else the parent (below the top level), else
    // the previous sibling.
    Removal Delete(TreeItem item);

    // TVE_EXPAND, TVE_COLLAPSE or TVE_TOGGLE; false for an item without children. A
    // collapse that hides the selected item selects the collapsed item instead.
    bool Expand(TreeItem item, unsigned code);

private:
    std::vector<std::unique_ptr<TreeItemObject>>& SiblingsOf(TreeItem item);
    void EnsureVisible(TreeItem item);
    void Forget(TreeItemObject& item);
    static bool IsWithin(TreeItem item, TreeItem ancestor);

    std::vector<std::unique_ptr<TreeItemObject>> roots_;
    std::unordered_set<const TreeItemObject*> live_;
    TreeItem selected_ = nullptr;
    TreeItem top_ = nullptr;
    int pageRows_ = 1;
};

} // namespace detail
} // namespace ui
