// A template table over a real tree control, as the template window holds it: a tiny
// window with the tree, its root and model nodes, and the table on a driver file path.
#pragma once

#include <string>
#include <string_view>

#include "platform/Dialog.h"
#include "platform/TreeView.h"
#include "templates/TemplateTable.h"

namespace bench {

class TreeWindow : public ui::Dialog {
public:
    TreeWindow() : ui::Dialog(100, nullptr) {}
    ui::TreeView Tree;

protected:
    void BindControls() override { BindControl(102, Tree); }
};

class TableHost {
public:
    // Raises std::runtime_error when the window cannot be made.
    explicit TableHost(const std::string& path);
    ~TableHost();
    TableHost(const TableHost&) = delete;
    TableHost& operator=(const TableHost&) = delete;

    // What the window's initialisation does with the table.
    void Load();
    // What the window's Remove does with template `index`: the pending-deletion bit, the
    // switch ID released, the node deleted. False when the tree has no such node.
    bool Remove(int index);
    bool Save() { return table.Save(window.Tree); }

    TreeWindow window;
    char pathField[256] = {};
    templates::TemplateTable table{pathField};
};

} // namespace bench
