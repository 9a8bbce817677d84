// Test seam of the checksum: on a processor that runs its wide build, a test sets this to
// run the portable build instead. It exists only in builds with test seams
// (PCI_TEST_SEAMS); the library built for shipping always takes the build the processor
// runs.
#pragma once

namespace regfile::detail {

extern bool ForceNarrowChecksum;

} // namespace regfile::detail
