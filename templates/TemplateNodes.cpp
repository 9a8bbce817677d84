#include "templates/TemplateNodes.h"

#include <charconv>
#include <cstring>

#include "templates/TemplateRecord.h"

namespace templates {

std::string TemplateNodeText(int index) {
    return kTemplateNodePrefix + std::to_string(index);
}

bool IsTemplateNodeText(std::string_view text) {
    return text.starts_with(kTemplateNodePrefix);
}

bool IsModelNodeText(std::string_view text) {
    return text.starts_with(kModelNodeText);
}

std::optional<int> TemplateNodeIndex(std::string_view text) {
    if (!IsTemplateNodeText(text))
        return std::nullopt;
    const std::size_t prefixLength = std::strlen(kTemplateNodePrefix);
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

std::uint16_t ListedTemplates(const ui::TreeView& tree) {
    std::uint16_t listed = 0;
    const ui::TreeItem model = ModelNode(tree);
    for (ui::TreeItem node = model ? tree.GetChildItem(model) : nullptr; node;
         node = tree.GetNextSiblingItem(node)) {
        const auto index = TemplateNodeIndex(tree.GetItemText(node));
        if (index && *index >= 0 && *index < kTemplateCount)
            listed = static_cast<std::uint16_t>(listed | (1u << *index));
    }
    return listed;
}

} // namespace templates
