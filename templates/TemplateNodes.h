// The template nodes of the tree: "Template" followed by the index in decimal.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/TreeView.h"

namespace templates {

std::string TemplateNodeText(int index);
bool IsTemplateNodeText(std::string_view text);
bool IsModelNodeText(std::string_view text);
// The index a template node's text names: the two characters after "Template" when the
// text is longer than 9 characters, else the one character, read as a decimal number.
std::optional<int> TemplateNodeIndex(std::string_view text);

// The model node: the first child of the tree's root node.
ui::TreeItem ModelNode(const ui::TreeView& tree);
// Bit i set: a template node of index i is a child of the model node.
std::uint16_t ListedTemplates(const ui::TreeView& tree);

} // namespace templates
