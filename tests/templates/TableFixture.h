// A template table over a real tree control and a real driver file in a temporary folder.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Dialog.h"
#include "platform/TreeView.h"
#include "templates/TemplateTable.h"
#include "tests/support/TempFolder.h"

namespace testing_support {

// A section in the written form, as the library appends it.
std::string Section(int index, int switchId, std::string_view trigger, std::string_view latch);

class TreeHost : public ui::Dialog {
public:
    TreeHost() : ui::Dialog(100, nullptr) {}
    ui::TreeView Tree;

protected:
    void BindControls() override { BindControl(102, Tree); }
};

class TableFixture {
public:
    // Writes `content` as the driver file (std::nullopt: no file) and builds the tree's
    // root and model nodes as the template window does.
    explicit TableFixture(const std::string* content);
    ~TableFixture();

    std::string Path() const { return path_; }
    std::string FileBytes() const { return ReadBytes(path_); }
    // Loads the table as the window's initialisation does.
    void Load();
    std::string NodeTexts() const; // children of the model node, joined by ","
    ui::TreeItem Node(std::string_view text) const;

    TempFolder folder;
    TreeHost host;
    char pathField[256] = {};
    templates::TemplateTable table{pathField};

private:
    std::string path_;
};

} // namespace testing_support
