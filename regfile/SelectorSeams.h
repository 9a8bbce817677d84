// Test seam of the search and the checksum: on a processor that runs their wide builds, a
// test sets these to run the portable builds instead. They exist only in builds with test
// seams (PCI_TEST_SEAMS); the library built for shipping always takes the build the
// processor runs.
#pragma once

namespace regfile::detail {

extern bool ForceNarrowSearch;
extern bool ForceNarrowChecksum;

} // namespace regfile::detail
