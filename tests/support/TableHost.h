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
        if (path.size() >= sizeof PathField)
            throw std::runtime_error("path too long: " + path);
        std::memcpy(PathField, path.data(), path.size());
        if (!Host.Create())
            throw std::runtime_error("cannot create the tree's window");
        Host.Tree.InsertItem(templates::kRootNodeText, nullptr);
        Host.Tree.InsertItem(templates::kModelNodeText, Host.Tree.GetRootItem());
    }
    ~TableHost() { ui::desktop::DestroyWindow(Host.Handle()); }
    TableHost(const TableHost&) = delete;
    TableHost& operator=(const TableHost&) = delete;

    // Loads the table as the window's initialisation does.
    void Load() {
        if (Table.LoadTemplateList())
            dialogs::ShowTemplates(Host.Tree, Table.FileTemplates());
        Table.LoadAllTemplates(Listed());
    }
    // Saves as the window's Save does, the tree then showing the file after a merge.
    bool Save() {
        const bool saved = Table.Save(dialogs::ListedInOrder(Host.Tree));
        if (saved && Table.LastSaveMerged())
            dialogs::ShowTemplates(Host.Tree, Table.FileTemplates());
        return saved;
    }
    // Remove of a template node as the window does it: the table's rule, then the node.
    bool Remove(int index) {
        const ui::TreeItem node = Node(dialogs::TemplateNodeText(index));
        if (!node)
            return false;
        Table.RemoveTemplate(Listed(), index);
        Host.Tree.DeleteItem(node);
        return true;
    }
    templates::TemplateSet Listed() const { return dialogs::ListedTemplates(Host.Tree); }
    // The model node's child with this text, or nullptr.
    ui::TreeItem Node(std::string_view text) const {
        const ui::TreeItem model = dialogs::ModelNode(Host.Tree);
        for (ui::TreeItem node = Host.Tree.GetChildItem(model); node;
             node = Host.Tree.GetNextSiblingItem(node))
            if (Host.Tree.GetItemText(node) == text)
                return node;
        return nullptr;
    }

    TreeHost Host;
    char PathField[256] = {};
    templates::TemplateTable Table{PathField};
};

} // namespace testing_support
