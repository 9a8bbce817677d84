// The benchmarks' template table: the tests' table host plus what the window's Remove and
// Save buttons do with it.
#pragma once

#include <string>

#include "tests/support/TableHost.h"

namespace bench {

class TableHost : public testing_support::TableHost {
public:
    using testing_support::TableHost::TableHost;

    // What the window's Remove does with template `index`: the pending-deletion bit, the
    // switch ID released, the node deleted. False when the tree has no such node.
    bool Remove(int index);
    bool Save() { return table.Save(host.Tree); }
};

} // namespace bench
