// The test seam of the file layer, compiled only into builds with test seams.
#include "platform/FileSeam.h"

#include <utility>

#include "platform/FileCalls.h"

static_assert(PCI_TEST_SEAMS, "the seam is compiled only into builds with test seams");

namespace platform {

namespace {

FaultHook* activeHook = nullptr;

} // namespace

FaultHook* SetFaultHook(FaultHook* hook) {
    return std::exchange(activeHook, hook);
}

FileCounters& Counters() {
    static FileCounters counters;
    return counters;
}

namespace detail {

int BeforeFileCall(FileCall call, std::string_view path) {
    ++Counters().Calls;
    return activeHook != nullptr ? activeHook->BeforeCall(call, path) : 0;
}

void CountRead(std::uint64_t bytes) {
    Counters().BytesRead += bytes;
}

void CountWritten(std::uint64_t bytes) {
    Counters().BytesWritten += bytes;
}

} // namespace detail

} // namespace platform
