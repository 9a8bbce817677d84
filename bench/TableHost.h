// The benchmarks' template table: the tests' table host, whose Remove and Save do what the
// window's buttons do.
#pragma once

#include "tests/support/TableHost.h"

namespace bench {

using TableHost = testing_support::TableHost;

} // namespace bench
