#include "platform/linux/TreeModel.h"

#include <algorithm>

namespace ui::detail {

TreeItem TreeModel::Insert(std::string_view text, TreeItem parent) {
    if (parent && !Contains(parent))
        return nullptr;
    auto item = std::make_unique<TreeItemObject>();
    item->Text = std::string(text);
    item->Parent = parent;
    TreeItem inserted = item.get();
    (parent ? parent->Children : roots_).push_back(std::move(item));
    live_.insert(inserted);
    if (!top_)
        top_ = inserted;
    return inserted;
}

bool TreeModel::Contains(TreeItem item) const {
    return item && live_.count(item) != 0;
}

std::vector<std::unique_ptr<TreeItemObject>>& TreeModel::SiblingsOf(TreeItem item) {
    return item->Parent ? item->Parent->Children : roots_;
}

bool TreeModel::IsWithin(TreeItem item, TreeItem ancestor) {
    for (TreeItem node = item; node; node = node->Parent)
        if (node == ancestor)
            return true;
    return false;
}

bool TreeModel::IsVisible(TreeItem item) const {
    if (!Contains(item))
        return false;
    for (TreeItem node = item->Parent; node; node = node->Parent)
        if (!node->Expanded)
            return false;
    return true;
}

bool TreeModel::HasChildren(TreeItem item) const {
    return Contains(item) && !item->Children.empty();
}

int TreeModel::Depth(TreeItem item) const {
    int depth = 0;
    for (TreeItem node = Contains(item) ? item->Parent : nullptr; node; node = node->Parent)
        ++depth;
    return depth;
}

std::vector<TreeItem> TreeModel::VisibleItems() const {
    std::vector<TreeItem> items;
    // Depth first through expanded items, with an explicit stack of sibling lists.
    struct Level {
        const std::vector<std::unique_ptr<TreeItemObject>>* Items;
        std::size_t Next;
    };
    std::vector<Level> stack{{&roots_, 0}};
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.Next >= level.Items->size()) {
            stack.pop_back();
            continue;
        }
        TreeItem item = (*level.Items)[level.Next++].get();
        items.push_back(item);
        if (item->Expanded && !item->Children.empty())
            stack.push_back({&item->Children, 0});
    }
    return items;
}

int TreeModel::TopIndex() const {
    const std::vector<TreeItem> items = VisibleItems();
    if (items.empty())
        return 0;
    // The top item, or the nearest ancestor of it that is still shown.
    TreeItem top = top_;
    while (top && !IsVisible(top))
        top = top->Parent;
    const auto found = std::find(items.begin(), items.end(), top);
    const int index = found == items.end() ? 0 : static_cast<int>(found - items.begin());
    const int last = std::max(0, static_cast<int>(items.size()) - pageRows_);
    return std::min(index, last);
}

TreeItem TreeModel::Next(TreeItem item, unsigned code) const {
    switch (code) {
    case TVGN_ROOT:
        return roots_.empty() ? nullptr : roots_.front().get();
    case TVGN_FIRSTVISIBLE: {
        const std::vector<TreeItem> items = VisibleItems();
        return items.empty() ? nullptr : items[static_cast<std::size_t>(TopIndex())];
    }
    case TVGN_CARET:
        return selected_;
    default:
        break;
    }
    if (code == TVGN_CHILD && !item)
        return roots_.empty() ? nullptr : roots_.front().get();
    if (!Contains(item))
        return nullptr;
    if (code == TVGN_PARENT)
        return item->Parent;
    if (code == TVGN_CHILD)
        return item->Children.empty() ? nullptr : item->Children.front().get();
    if (code == TVGN_NEXT || code == TVGN_PREVIOUS) {
        const auto& siblings = item->Parent ? item->Parent->Children : roots_;
        const auto found =
            std::find_if(siblings.begin(), siblings.end(),
                         [item](const auto& sibling) { return sibling.get() == item; });
        if (code == TVGN_NEXT)
            return found + 1 < siblings.end() ? (found + 1)->get() : nullptr;
        return found != siblings.begin() ? (found - 1)->get() : nullptr;
    }
    if (code == TVGN_NEXTVISIBLE || code == TVGN_PREVIOUSVISIBLE) {
        if (!IsVisible(item))
            return nullptr;
        const std::vector<TreeItem> items = VisibleItems();
        const auto found = std::find(items.begin(), items.end(), item);
        if (code == TVGN_NEXTVISIBLE)
            return found + 1 < items.end() ? *(found + 1) : nullptr;
        return found != items.begin() ? *(found - 1) : nullptr;
    }
    return nullptr;
}

void TreeModel::EnsureVisible(TreeItem item) {
    for (TreeItem node = item->Parent; node; node = node->Parent)
        node->Expanded = true;
    const std::vector<TreeItem> items = VisibleItems();
    const int index = static_cast<int>(std::find(items.begin(), items.end(), item) - items.begin());
    const int top = TopIndex();
    if (index < top)
        top_ = item;
    else if (index >= top + pageRows_)
        top_ = items[static_cast<std::size_t>(index - pageRows_ + 1)];
    else
        top_ = items[static_cast<std::size_t>(top)];
}

bool TreeModel::Select(TreeItem item) {
    if (item && !Contains(item))
        return false;
    if (item)
        EnsureVisible(item);
    if (item == selected_)
        return false;
    selected_ = item;
    return true;
}

bool TreeModel::ScrollToTop(TreeItem item) {
    if (!Contains(item))
        return false;
    for (TreeItem node = item->Parent; node; node = node->Parent)
        node->Expanded = true;
    top_ = item;
    return true;
}

void TreeModel::Forget(TreeItemObject& item) {
    live_.erase(&item);
    for (auto& child : item.Children)
        Forget(*child);
}

TreeModel::Removal TreeModel::Delete(TreeItem item) {
    Removal removal;
    if (!item) {
        removal.Removed = !roots_.empty();
        removal.SelectionChanged = selected_ != nullptr;
        roots_.clear();
        live_.clear();
        selected_ = nullptr;
        top_ = nullptr;
        return removal;
    }
    if (!Contains(item))
        return removal;
    removal.Removed = true;

    TreeItem replacement = selected_;
    if (selected_ && IsWithin(selected_, item)) {
        replacement = Next(item, TVGN_NEXT);
        if (!replacement)
            replacement = item->Parent;
        if (!replacement)
            replacement = Next(item, TVGN_PREVIOUS);
    }
    removal.SelectionChanged = replacement != selected_;
    // The row that the view starts with stays where it is, when it is not removed.
    const int topIndex = TopIndex();
    const bool topRemoved = top_ && IsWithin(top_, item);

    TreeItem parent = item->Parent;
    auto& siblings = SiblingsOf(item);
    Forget(*item);
    siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                                [item](const auto& sibling) { return sibling.get() == item; }));
    if (parent && parent->Children.empty())
        parent->Expanded = false;

    if (topRemoved) {
        const std::vector<TreeItem> items = VisibleItems();
        top_ = items.empty()
                   ? nullptr
                   : items[std::min(static_cast<std::size_t>(topIndex), items.size() - 1)];
    }
    selected_ = replacement;
    return removal;
}

bool TreeModel::Expand(TreeItem item, unsigned code) {
    if (!Contains(item) || item->Children.empty())
        return false;
    bool expand = false;
    switch (code) {
    case TVE_EXPAND:
        expand = true;
        break;
    case TVE_COLLAPSE:
        expand = false;
        break;
    case TVE_TOGGLE:
        expand = !item->Expanded;
        break;
    default:
        return false;
    }
    item->Expanded = expand;
    if (!expand && selected_ && selected_ != item && IsWithin(selected_, item))
        selected_ = item;
    return true;
}

} // namespace ui::detail
