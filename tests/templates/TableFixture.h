// A template table over a real tree control and a real driver file in a temporary folder.
#pragma once

#include <string>
#include <string_view>

#include "tests/support/TableHost.h"
#include "tests/support/TempFolder.h"

namespace testing_support {

// A section in the written form, as the library appends it.
std::string Section(int index, int switchId, std::string_view trigger, std::string_view latch);

// Holds the temporary folder, made ahead of the table host that names a file in it.
struct FixtureFolder {
    TempFolder Folder;
};

class TableFixture : public FixtureFolder, public TableHost {
public:
    // Writes `content` as the driver file (nullptr: no file) and builds the tree's root and
    // model nodes as the template window does.
    explicit TableFixture(const std::string* content);

    std::string Path() const { return PathField; }
    std::string FileBytes() const { return ReadBytes(PathField); }
    std::string NodeTexts() const; // children of the model node, joined by ","
};

} // namespace testing_support
