// Compiled with -mavx2: nothing here may be shared with the rest of the program but the
// three functions below (no C++ library header, whose inline functions the linker could
// take from this file for every caller).
#define XXH_INLINE_ALL
#include <xxhash.h>

#include "regfile/ChecksumWide.h"

namespace regfile::detail {

bool WideChecksumUsable() {
    return __builtin_cpu_supports("avx2");
}

void WideChecksumAdd(unsigned char* state, const void* bytes, std::size_t size) {
    XXH3_64bits_update(reinterpret_cast<XXH3_state_t*>(state), bytes, size);
}

std::uint64_t WideChecksumOf(const void* bytes, std::size_t size) {
    return XXH3_64bits(bytes, size);
}

} // namespace regfile::detail
