// A template table over a real tree control, as the template window holds it: a tiny
// window with the tree, its root and model nodes, and the table on a driver file path.
// Shared by the table's tests and the benchmarks.
#pragma once

#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "dialogs/TemplateNodes.h"
#include "platform/Application.h"
#include "platform/Dialog.h"
#include "platform/TreeView.h"
#include "platform/linux/Desktop.h"
#include "templates/TemplateTable.h"

namespace testing_support {

class TreeHost : public ui::Dialog {
public:
    TreeHost() : ui::Dialog(100, nullptr) {}
    ui::TreeView Tree;

protected:
    void BindControls() override { BindControl(102, Tree); }
};

class TableHost {
public:
    // Raises std::runtime_error when the path does not fit the table's path field or the
    // window cannot be made.
    explicit TableHost(const std::string& path) {
        // The module whose resources the tree's window is built from.
        static ui::Application application;
        if (path.size() >= sizeof pathField)
            throw std::runtime_error("path too long: " + path);
        std::memcpy(pathField, path.data(), path.size());
        if (!host.Create())
            throw std::runtime_error("cannot create the tree's window");
        host.Tree.InsertItem(templates::kRootNodeText, nullptr);
        host.Tree.InsertItem(templates::kModelNodeText, host.Tree.GetRootItem());
    }
    ~TableHost() { ui::desktop::DestroyWindow(host.Handle()); }
    TableHost(const TableHost&) = delete;
    TableHost& operator=(const TableHost&) = delete;

    // Loads the table as the window's initialisation does.
    void Load() {
        if (table.LoadTemplateList())
            dialogs::ShowTemplates(host.Tree, table.FileTemplates());
        table.LoadAllTemplates(Listed());
    }
    // Saves as the window's Save does, the tree then showing the file after a merge.
    bool Save() {
        const bool saved = table.Save(dialogs::ListedInOrder(host.Tree));
        if (saved && table.LastSaveMerged())
            dialogs::ShowTemplates(host.Tree, table.FileTemplates());
        return saved;
    }
    // Remove of a template node as the window does it: the table's rule, then the node.
    bool Remove(int index) {
        const ui::TreeItem node = Node(dialogs::TemplateNodeText(index));
        if (!node)
            return false;
        table.RemoveTemplate(Listed(), index);
        host.Tree.DeleteItem(node);
        return true;
    }
    templates::TemplateSet Listed() const { return dialogs::ListedTemplates(host.Tree); }
    // The model node's child with this text, or nullptr.
    ui::TreeItem Node(std::string_view text) const {
        const ui::TreeItem model = dialogs::ModelNode(host.Tree);
        for (ui::TreeItem node = host.Tree.GetChildItem(model); node;
             node = host.Tree.GetNextSiblingItem(node))
            if (host.Tree.GetItemText(node) == text)
                return node;
        return nullptr;
    }

    TreeHost host;
    char pathField[256] = {};
    templates::TemplateTable table{pathField};
};

} // namespace testing_support
