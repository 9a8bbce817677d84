#include "dialogs/TemplateNodes.h"

#include <charconv>
#include <cstring>

#include "templates/TemplateRecord.h"

namespace dialogs {

using templates::kTemplateCount;
using templates::TemplateSet;

std::string TemplateNodeText(int index) {
    return templates::kTemplateNodePrefix + std::to_string(index);
}

bool IsTemplateNodeText(std::string_view text) {
    return text.starts_with(templates::kTemplateNodePrefix);
}

bool IsModelNodeText(std::string_view text) {
    return text.starts_with(templates::kModelNodeText);
}

std::optional<int> TemplateNodeIndex(std::string_view text) {
    if (!IsTemplateNodeText(text))
        return std::nullopt;
    const std::size_t prefixLength = std::strlen(templates::kTemplateNodePrefix);
    const std::size_t digits = text.size() > prefixLength + 1 ? 2 : 1;
    const std::string_view number = text.substr(prefixLength, digits);
    int index = 0;
    auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), index);
    if (ec != std::errc() || ptr == number.data())
        return std::nullopt;
    return index;
}

ui::TreeItem ModelNode(const ui::TreeView& tree) {
    const ui::TreeItem root = tree.GetRootItem();
    return root ? tree.GetChildItem(root) : nullptr;
}

namespace {

// The template indices of `parent`'s children, in display order.
std::vector<int> ChildTemplates(const ui::TreeView& tree, ui::TreeItem parent) {
    std::vector<int> indices;
    for (ui::TreeItem node = parent ? tree.GetChildItem(parent) : nullptr; node;
         node = tree.GetNextSiblingItem(node)) {
        const auto index = TemplateNodeIndex(tree.GetItemText(node));
        if (index && *index >= 0 && *index < kTemplateCount)
            indices.push_back(*index);
    }
    return indices;
}

TemplateSet SetOf(const std::vector<int>& indices) {
    TemplateSet set;
    for (const int index : indices)
        set = set.With(index);
    return set;
}

} // namespace

TemplateSet ListedTemplates(const ui::TreeView& tree) {
    return SetOf(ChildTemplates(tree, ModelNode(tree)));
}

std::vector<int> ListedInOrder(const ui::TreeView& tree) {
    return ChildTemplates(tree, ModelNode(tree));
}

TemplateSet SiblingTemplates(const ui::TreeView& tree, ui::TreeItem selected) {
    const bool onTemplate = selected && IsTemplateNodeText(tree.GetItemText(selected));
    return SetOf(ChildTemplates(tree, onTemplate ? tree.GetParentItem(selected) : selected));
}

void ShowTemplates(const ui::TreeView& tree, TemplateSet shown) {
    const ui::TreeItem model = ModelNode(tree);
    for (ui::TreeItem node = model ? tree.GetChildItem(model) : nullptr; node;) {
        const ui::TreeItem next = tree.GetNextSiblingItem(node);
        const auto index = TemplateNodeIndex(tree.GetItemText(node));
        if (index && !shown.Has(*index))
            tree.DeleteItem(node);
        node = next;
    }
    const TemplateSet listed = ListedTemplates(tree);
    for (int i = 0; i < kTemplateCount; ++i) {
        if (shown.Has(i) && !listed.Has(i))
            tree.InsertItem(TemplateNodeText(i), model);
    }
}

} // namespace dialogs
