#include "tests/templates/TableFixture.h"

#include <cstdio>

#include "dialogs/TemplateNodes.h"

namespace testing_support {

std::string Section(int index, int switchId, std::string_view trigger, std::string_view latch) {
    char header[128];
    std::snprintf(header, sizeof header,
                  " \r\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template%d]"
                  " \r\n",
                  index);
    char id[32];
    std::snprintf(id, sizeof id, "\n\"SwitchID\"=dword:%x\r\n", switchId);
    return std::string(header) + id + "\n\"TriggerMode\"=hex:" + std::string(trigger) + "\r\n" +
           "\n\"LatchData\"=hex:" + std::string(latch) + "\r\n";
}

TableFixture::TableFixture(const std::string* content) : TableHost((Folder.PathOf("PCI3916.reg"))) {
    if (content)
        WriteBytes(Path(), *content);
}

std::string TableFixture::NodeTexts() const {
    std::string texts;
    const ui::TreeItem model = dialogs::ModelNode(Host.Tree);
    for (ui::TreeItem node = Host.Tree.GetChildItem(model); node;
         node = Host.Tree.GetNextSiblingItem(node)) {
        if (!texts.empty())
            texts += ",";
        texts += Host.Tree.GetItemText(node);
    }
    return texts;
}

} // namespace testing_support
