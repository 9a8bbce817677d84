#include "platform/TreeView.h"

#include "platform/linux/WindowObject.h"

namespace ui {
namespace {

detail::TreeModel* ModelOf(WindowHandle handle) {
    return detail::FindState<detail::TreeModel>(handle);
}

} // namespace

TreeItem TreeView::InsertItem(std::string_view text, TreeItem parent) const {
    detail::TreeModel* tree = ModelOf(Handle());
    if (!tree)
        return nullptr;
    const TreeItem item = tree->Insert(text, parent);
    if (item)
        detail::Changed();
    return item;
}

TreeItem TreeView::GetNextItem(TreeItem item, unsigned code) const {
    const detail::TreeModel* tree = ModelOf(Handle());
    return tree ? tree->Next(item, code) : nullptr;
}

std::string TreeView::GetItemText(TreeItem item) const {
    const detail::TreeModel* tree = ModelOf(Handle());
    return tree && tree->Contains(item) ? item->Text : std::string();
}

bool TreeView::SelectItem(TreeItem item, unsigned code) const {
    WindowObject* window = detail::Find(Handle());
    detail::TreeModel* tree = window ? window->StateAs<detail::TreeModel>() : nullptr;
    if (!tree || (item && !tree->Contains(item)))
        return false;
    if (code == TVGN_FIRSTVISIBLE) {
        const bool scrolled = tree->ScrollToTop(item);
        detail::Changed();
        return scrolled;
    }
    if (code != TVGN_CARET)
        return false;
    const bool changed = tree->Select(item);
    detail::Changed();
    // Delivered before this returns; the handler may select again, re-entering itself.
    if (changed)
        detail::NotifyParent(*window, WM_NOTIFY, TVN_SELCHANGED);
    return true;
}

bool TreeView::DeleteItem(TreeItem item) const {
    WindowObject* window = detail::Find(Handle());
    detail::TreeModel* tree = window ? window->StateAs<detail::TreeModel>() : nullptr;
    if (!tree)
        return false;
    const detail::TreeModel::Removal removal = tree->Delete(item);
    if (!removal.Removed)
        return false;
    detail::Changed();
    if (removal.SelectionChanged)
        detail::NotifyParent(*window, WM_NOTIFY, TVN_SELCHANGED);
    return true;
}

bool TreeView::Expand(TreeItem item, unsigned code) const {
    detail::TreeModel* tree = ModelOf(Handle());
    if (!tree || !tree->Expand(item, code))
        return false;
    detail::Changed();
    return true;
}

bool TreeView::IsExpanded(TreeItem item) const {
    const detail::TreeModel* tree = ModelOf(Handle());
    return tree && tree->Contains(item) && item->Expanded;
}

} // namespace ui
