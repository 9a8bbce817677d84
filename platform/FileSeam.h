// The file layer's test seam: a hook that sees every file call before it runs and may
// make it fail, and counters of the bytes moved. Only a build configured with test seams
// (PCI_TEST_SEAMS, on wherever tests, benchmarks or fuzz targets are built) has it; the
// library built for shipping has no hook to install, and a program using this header
// there does not link.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/File.h"

namespace platform {

// Called before every file call. Returning a non-zero code makes that call fail with this
// operating-system error code instead of running. A hook that fails "the n-th call" counts
// the calls it sees.
class FaultHook {
public:
    virtual ~FaultHook() = default;
    virtual int BeforeCall(FileCall call, std::string_view path) = 0;
};
// Installs the hook for the calling process (nullptr removes it); returns the previous one.
FaultHook* SetFaultHook(FaultHook* hook);

// Bytes moved by the file layer since the last reset.
struct FileCounters {
    std::uint64_t BytesRead = 0;
    std::uint64_t BytesWritten = 0;
    std::uint64_t Calls = 0;
};
FileCounters& Counters();

} // namespace platform
