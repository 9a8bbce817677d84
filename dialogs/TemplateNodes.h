// The template nodes of the window's tree: "Template" followed by the index in decimal, as
// children of the model node. The tree is turned into template sets here, for the table's
// rules, which know no tree.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TreeView.h"
#include "templates/TemplateSet.h"

namespace dialogs {

std::string TemplateNodeText(int index);
bool IsTemplateNodeText(std::string_view text);
bool IsModelNodeText(std::string_view text);
// The index a template node's text names: the two characters after "Template" when the
// text is longer than 9 characters, else the one character, read as a decimal number.
std::optional<int> TemplateNodeIndex(std::string_view text);

// The model node: the first child of the tree's root node.
ui::TreeItem ModelNode(const ui::TreeView& tree);
// The templates listed as children of the model node.
templates::TemplateSet ListedTemplates(const ui::TreeView& tree);
// The same in display order.
std::vector<int> ListedInOrder(const ui::TreeView& tree);
// The templates among the children of `selected`'s parent when `selected` is a template
// node, else among the children of `selected` itself.
templates::TemplateSet SiblingTemplates(const ui::TreeView& tree, ui::TreeItem selected);
// Makes the model node's children the nodes of `shown`: removes the others, appends those
// missing in index order.
void ShowTemplates(const ui::TreeView& tree, templates::TemplateSet shown);

} // namespace dialogs
