#include "bench/TableHost.h"

#include <cstring>
#include <stdexcept>

#include "platform/Application.h"
#include "platform/linux/Desktop.h"
#include "templates/TemplateNodes.h"

namespace bench {
namespace {

// The module whose resources the tree's window is built from.
ui::Application& BenchApplication() {
    static ui::Application application;
    return application;
}

} // namespace

TableHost::TableHost(const std::string& path) {
    BenchApplication();
    if (path.size() >= sizeof pathField)
        throw std::runtime_error("path too long: " + path);
    std::memcpy(pathField, path.data(), path.size());
    if (!window.Create())
        throw std::runtime_error("cannot create the tree's window");
    window.Tree.InsertItem(templates::kRootNodeText, nullptr);
    window.Tree.InsertItem(templates::kModelNodeText, window.Tree.GetRootItem());
}

TableHost::~TableHost() {
    ui::desktop::DestroyWindow(window.Handle());
}

void TableHost::Load() {
    table.LoadTemplateList(window.Tree);
    table.LoadAllTemplates(window.Tree);
}

bool TableHost::Remove(int index) {
    const ui::TreeItem model = templates::ModelNode(window.Tree);
    const std::string text = templates::TemplateNodeText(index);
    for (ui::TreeItem node = window.Tree.GetChildItem(model); node;
         node = window.Tree.GetNextSiblingItem(node)) {
        if (window.Tree.GetItemText(node) != text)
            continue;
        table.PendingDeletes = static_cast<std::uint16_t>(table.PendingDeletes | (1u << index));
        table.ReleaseSwitchId(window.Tree, table.Records[index].SwitchId, index);
        window.Tree.DeleteItem(node);
        return true;
    }
    return false;
}

} // namespace bench
