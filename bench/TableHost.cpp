#include "bench/TableHost.h"

namespace bench {

bool TableHost::Remove(int index) {
    const ui::TreeItem node = Node(templates::TemplateNodeText(index));
    if (!node)
        return false;
    table.PendingDeletes = static_cast<std::uint16_t>(table.PendingDeletes | (1u << index));
    table.ReleaseSwitchId(host.Tree, table.Records[index].SwitchId, index);
    host.Tree.DeleteItem(node);
    return true;
}

} // namespace bench
