// What the file layer's implementations tell the test seam (platform/FileSeam.h) at every
// call; without test seams these are empty and vanish from the build.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/File.h"

#ifndef PCI_TEST_SEAMS
#define PCI_TEST_SEAMS 0
#endif

namespace platform::detail {

#if PCI_TEST_SEAMS
// Counts the call and asks the hook; the error code the call must fail with, or 0.
int BeforeFileCall(FileCall call, std::string_view path);
void CountRead(std::uint64_t bytes);
void CountWritten(std::uint64_t bytes);
#else
inline int BeforeFileCall(FileCall, std::string_view) {
    return 0;
}
inline void CountRead(std::uint64_t) {}
inline void CountWritten(std::uint64_t) {}
#endif

} // namespace platform::detail
