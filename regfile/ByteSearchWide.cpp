// Compiled with -mavx2: nothing here may be shared with the rest of the program but the
// two functions below (ByteSearchKernel.h has internal linkage and includes no C++ library
// header, whose inline functions the linker could take from this file for every caller).
#include "regfile/ByteSearchKernel.h"

namespace regfile::detail {

bool WideSearchUsable() {
    return __builtin_cpu_supports("avx2");
}

size_t WideFindPattern(const char* data, size_t size, size_t from, char first, char last,
                       size_t distance, char fold) {
    return FindPatternIn(data, size, from, first, last, distance, fold);
}

} // namespace regfile::detail
