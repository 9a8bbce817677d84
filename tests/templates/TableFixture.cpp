#include "tests/templates/TableFixture.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/Application.h"
#include "platform/linux/Desktop.h"
#include "templates/TemplateNodes.h"

namespace testing_support {
namespace {

ui::Application& TestApplication() {
    static ui::Application application;
    return application;
}

} // namespace

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

TableFixture::TableFixture(const std::string* content) {
    TestApplication();
    path_ = folder.PathOf("PCI3916.reg");
    std::strncpy(pathField, path_.c_str(), sizeof pathField - 1);
    if (content)
        WriteBytes(path_, *content);
    if (!host.Create())
        throw std::runtime_error("cannot create the tree's window");
    host.Tree.InsertItem(templates::kRootNodeText, nullptr);
    host.Tree.InsertItem(templates::kModelNodeText, host.Tree.GetRootItem());
}

TableFixture::~TableFixture() {
    ui::desktop::DestroyWindow(host.Handle());
}

void TableFixture::Load() {
    table.LoadTemplateList(host.Tree);
    table.LoadAllTemplates(host.Tree);
}

std::string TableFixture::NodeTexts() const {
    std::string texts;
    const ui::TreeItem model = templates::ModelNode(host.Tree);
    for (ui::TreeItem node = host.Tree.GetChildItem(model); node;
         node = host.Tree.GetNextSiblingItem(node)) {
        if (!texts.empty())
            texts += ",";
        texts += host.Tree.GetItemText(node);
    }
    return texts;
}

ui::TreeItem TableFixture::Node(std::string_view text) const {
    const ui::TreeItem model = templates::ModelNode(host.Tree);
    for (ui::TreeItem node = host.Tree.GetChildItem(model); node;
         node = host.Tree.GetNextSiblingItem(node))
        if (host.Tree.GetItemText(node) == text)
            return node;
    return nullptr;
}

} // namespace testing_support
